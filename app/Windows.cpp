#include "app/Windows.h"
#include "about/AboutWindow.h"
#include "calc/CalcWindow.h"
#include "editor/Form1.h"
#include "search/FindDialog.h"
#include "search/ReplaceDialog.h"
#include <QCoreApplication>
#include <QTimer>

Windows::Windows(Services &services) : m_services(services)
{
    onExit = [] { QCoreApplication::exit(0); };
}

Windows::~Windows()
{
    // Destroying windows runs no unload handler.
    for (QWidget *w : std::initializer_list<QWidget *>{m_find, m_replace, m_calc, m_about, m_form1})
        delete w;
}

template<class W>
W *Windows::show(QPointer<W> &slot)
{
    if (!slot) {
        slot = new W(m_services, *this);
        slot->setAttribute(Qt::WA_DeleteOnClose);
        connect(slot, &QObject::destroyed, this, &Windows::windowGone, Qt::QueuedConnection);
    }
    // A minimized window comes back as it was before (maximized stays maximized).
    if (slot->windowState() & Qt::WindowMinimized)
        slot->setWindowState(slot->windowState() & ~Qt::WindowMinimized);
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

Form1 *Windows::showForm1() { return show(m_form1); }
FindDialog *Windows::showFind() { return show(m_find); }
ReplaceDialog *Windows::showReplace() { return show(m_replace); }
CalcWindow *Windows::showCalc() { return show(m_calc); }
AboutWindow *Windows::showAbout() { return show(m_about); }

Form1 *Windows::form1() const { return m_form1; }
FindDialog *Windows::find() const { return m_find; }
ReplaceDialog *Windows::replace() const { return m_replace; }
CalcWindow *Windows::calc() const { return m_calc; }
AboutWindow *Windows::about() const { return m_about; }

void Windows::exitProcess()
{
    if (onExit)
        onExit();
}

void Windows::windowGone()
{
    // The process ends when its last window has closed.
    // Several windows can go in one pass of the event loop: end only once.
    if (!m_form1 && !m_find && !m_replace && !m_calc && !m_about && !m_ended) {
        m_ended = true;
        exitProcess();
    }
}
