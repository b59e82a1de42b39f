// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry of the five windows: each exists at most once, is created by
// its first command, shown modeless without an owner, and destroyed by its own
// close, so the next command creates it afresh. The only place that knows
// every window.
#include "editor/EditorHost.h"
#include <QObject>
#include <QPointer>
#include <functional>

struct Services;
class Form1;
class FindDialog;
class ReplaceDialog;
class CalcWindow;
class AboutWindow;
class EditTarget;

class WindowRegistry : public QObject, public EditorHost
{
    Q_OBJECT
public:
    explicit WindowRegistry(Services &services);
    ~WindowRegistry() override;

    Form1 *showForm1();
    FindDialog *showFind();
    ReplaceDialog *showReplace();
    CalcWindow *showCalc();
    AboutWindow *showAbout();

    // The open instances (null when closed).
    Form1 *form1() const;
    FindDialog *find() const;
    ReplaceDialog *replace() const;
    CalcWindow *calc() const;
    AboutWindow *about() const;

    void open(Window window) override;
    void exitProcess() override;
    // How the process ends: QCoreApplication::exit in the program; tests record it.
    std::function<void()> onExit;

private:
    template<class W, class Make> W *show(QPointer<W> &slot, Make make);
    EditTarget *editTarget() const;
    void windowGone();

    Services &m_services;
    QPointer<Form1> m_form1;
    QPointer<FindDialog> m_find;
    QPointer<ReplaceDialog> m_replace;
    QPointer<CalcWindow> m_calc;
    QPointer<AboutWindow> m_about;
    bool m_ended = false;
};
