// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Replace window: each press replaces the first occurrence of its search
// text in the editor, regardless of case, by its replacement.
#include "search/EditTarget.h"
#include <QWidget>

struct Services;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class ReplaceDialog : public QWidget
{
    Q_OBJECT
public:
    ReplaceDialog(Services &services, EditTargetLookup target);

    // Controls
    QPushButton *Command3 = nullptr;
    QPushButton *Command1 = nullptr;
    QPlainTextEdit *Text2 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;

    void Form_Load();
    void Command1_Click();
    void Command3_Click();
    void Text1_KeyPress(int keyAscii);
    void Text2_KeyPress(int keyAscii);
    void Command1_MouseMove();
    void Command3_MouseMove();
    void Form_MouseMove();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:

    Services &m_services;
    EditTargetLookup m_target;
};
