// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Find window: looks for its search text in the editor, always from the
// start, and selects the first occurrence there.
#include "search/EditTarget.h"
#include <QPointer>
#include <QWidget>

struct Services;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWindow;

class FindDialog : public QWidget
{
    Q_OBJECT
public:
    FindDialog(Services &services, EditTargetLookup target);

    // Controls
    QCheckBox *Check1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;

    void Command1_Click();
    void Command2_Click();
    void Form_Activate();
    void Text1_KeyPress(int keyAscii);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void focusWindowChanged(QWindow *window);

    Services &m_services;
    EditTargetLookup m_target;
    // Whether the next activation comes from another window of the program
    // (or is the first), which is when Form_Activate runs.
    bool m_activateDue = true;
};
