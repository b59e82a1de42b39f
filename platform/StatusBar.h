// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A status bar docked to the bottom of its parent, with four panels reachable
// by key: "text" (writable, takes the spare width), "caps", "numlock" (drawn
// normally while the lock is on, dimmed while off or unknown) and "time".
#include <QLabel>
#include <QTimer>
#include <QWidget>

class LockKeys;
class QProgressBar;

class StatusBar : public QWidget
{
    Q_OBJECT
public:
    StatusBar(LockKeys &locks, QWidget *parent);

    QLabel *panel(const QString &key) const;
    QLabel *panel(int index) const;       // 1-based
    void refreshLocks();
    void refreshClock();
    int fixedHeight() const;
    // A bar over the first panel while long work runs, percent done (negative: unknown).
    void showProgress(int percent);
    void hideProgress();
    static QString shortTimeFormat();   // the locale's short time, without seconds

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *addPanel(const QString &key, const QString &text, int minWidth);
    void dock();
    LockKeys &m_locks;
    QProgressBar *m_progress = nullptr;
    QList<QLabel *> m_panels;
    QTimer m_clock;
};
