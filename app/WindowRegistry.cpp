// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowRegistry.h"
#include "about/AboutWindow.h"
#include "calc/CalcWindow.h"
#include "editor/Form1.h"
#include "search/FindDialog.h"
#include "search/ReplaceDialog.h"
#include <QCoreApplication>
#include <QTimer>

WindowRegistry::WindowRegistry(Services &services) : m_services(services)
{
    onExit = [] { QCoreApplication::exit(0); };
}

WindowRegistry::~WindowRegistry()
{
    // Destroying windows runs no unload handler.
    for (QWidget *w : std::initializer_list<QWidget *>{m_find, m_replace, m_calc, m_about, m_form1})
        delete w;
}

template<class W, class Make>
W *WindowRegistry::show(QPointer<W> &slot, Make make)
{
    if (!slot) {
        slot = make();
        slot->setAttribute(Qt::WA_DeleteOnClose);
        connect(slot, &QObject::destroyed, this, &WindowRegistry::windowGone, Qt::QueuedConnection);
    }
    // A minimized window comes back as it was before (maximized stays maximized).
    if (slot->windowState() & Qt::WindowMinimized)
        slot->setWindowState(slot->windowState() & ~Qt::WindowMinimized);
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

Form1 *WindowRegistry::showForm1()
{
    return show(m_form1, [this] { return new Form1(m_services, *this); });
}

// The Find and Replace windows work on the editor's text while it is open.
FindDialog *WindowRegistry::showFind()
{
    return show(m_find, [this] { return new FindDialog(m_services, [this] { return editTarget(); }); });
}

ReplaceDialog *WindowRegistry::showReplace()
{
    return show(m_replace, [this] { return new ReplaceDialog(m_services, [this] { return editTarget(); }); });
}

CalcWindow *WindowRegistry::showCalc()
{
    return show(m_calc, [] { return new CalcWindow; });
}

AboutWindow *WindowRegistry::showAbout()
{
    return show(m_about, [this] { return new AboutWindow(m_services); });
}

EditTarget *WindowRegistry::editTarget() const
{
    return m_form1 ? &m_form1->editTarget() : nullptr;
}

void WindowRegistry::open(Window window)
{
    switch (window) {
    case Window::Find: showFind(); break;
    case Window::Replace: showReplace(); break;
    case Window::Calculator: showCalc(); break;
    case Window::About: showAbout(); break;
    }
}

Form1 *WindowRegistry::form1() const { return m_form1; }
FindDialog *WindowRegistry::find() const { return m_find; }
ReplaceDialog *WindowRegistry::replace() const { return m_replace; }
CalcWindow *WindowRegistry::calc() const { return m_calc; }
AboutWindow *WindowRegistry::about() const { return m_about; }

void WindowRegistry::exitProcess()
{
    if (onExit)
        onExit();
}

void WindowRegistry::windowGone()
{
    // The process ends when its last window has closed.
    // Several windows can go in one pass of the event loop: end only once.
    if (!m_form1 && !m_find && !m_replace && !m_calc && !m_about && !m_ended) {
        m_ended = true;
        exitProcess();
    }
}
