// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "calc/CalcEngine.h"
#include <QWidget>
#include <array>
#include <functional>

struct Services;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;

// The calculator: its buttons drive one engine, whose display is the text box
// Text1. The digit buttons and "OFF" turn light blue under the mouse and get
// their resting colours back when it moves over the window's bare surface.
class CalcWindow : public QWidget
{
    Q_OBJECT
public:
    CalcWindow();

    QLineEdit *Text1 = nullptr;
    std::array<QPushButton *, 10> Command1{};   // digits: index i enters (i + 1) mod 10
    std::array<QPushButton *, 4> Command2{};    // operators: the index is the operator code
    QPushButton *Command3 = nullptr;            // "OFF"
    QPushButton *Command4 = nullptr;            // "AC"
    QPushButton *Command5 = nullptr;            // "="

    void Form_Load();
    void Command1_Click(int index);
    void Command2_Click(int index);
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command1_MouseMove(int index);
    void Command3_MouseMove();
    void Form_MouseMove();

    const CalcEngine &engine() const { return m_engine; }
    // What the last key's failure was, in words; empty when it succeeded.
    QString failureText() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    // Copies the display into the engine, runs the key, copies it back and
    // tells the user whether the key failed.
    void runKey(const std::function<CalcError(CalcEngine &)> &key);
    void showFailure(const QString &text);

    CalcEngine m_engine;
    QLabel *m_failure = nullptr;
    QButtonGroup *m_digits = nullptr;
    QButtonGroup *m_operators = nullptr;
};
