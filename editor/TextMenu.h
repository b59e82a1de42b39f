// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text area's own context menu (right button, Menu key or Shift+F10): the box's
// Undo, Redo and Delete and the Edit menu's Cut, Copy, Paste and Select All, each
// enabled exactly when it can act.
#include <QMenu>
#include <functional>

class Form1;
class Clipboard;

class TextMenu : public QMenu
{
    Q_OBJECT
public:
    TextMenu(Form1 &form, Clipboard &clipboard);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *item(const char *name, const QString &caption, const QKeySequence &key, const std::function<void()> &act);
    void updateItems();

    Form1 &m_form;
    Clipboard &m_clipboard;
    QAction *m_undo, *m_redo, *m_cut, *m_copy, *m_paste, *m_delete, *m_all;
};
