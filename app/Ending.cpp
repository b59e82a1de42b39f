// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Ending.h"
#include "app/WindowRegistry.h"
#include "editor/DocumentJournal.h"
#include "editor/Form1.h"
#include "text/Journal.h"
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pair[2] = {-1, -1};
constexpr int Signals[] = {SIGTERM, SIGHUP, SIGINT};

void onSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    (void)!::write(g_pair[0], &byte, 1);
    errno = saved;
}
}

EndSignals::EndSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pair) != 0)
        return;   // the defaults stay: the journal on the disk still holds every edit
    m_notifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(g_pair[1], &byte, 1) == 1)
            Q_EMIT received(int(byte));
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : Signals)
        ::sigaction(s, &action, nullptr);
}

EndSignals::~EndSignals()
{
    for (const int s : Signals)
        std::signal(s, SIG_DFL);
}

void syncJournalsAtExit()
{
    std::atexit(journal::syncOpenJournals);
}

namespace {
// The session manager's "die" arrives as a Quit event, which would close the windows and ask.
class SessionEnd : public QObject
{
public:
    SessionEnd(WindowRegistry &windows, std::function<void()> endNow)
        : QObject(qApp), m_windows(windows), m_endNow(std::move(endNow))
    {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        Form1 *form = m_windows.form1();
        if (watched != qApp || event->type() != QEvent::Quit || !form || form->Saved)
            return false;
        m_endNow();
        return true;
    }

private:
    WindowRegistry &m_windows;
    std::function<void()> m_endNow;
};
}

void followSession(WindowRegistry &windows, std::function<void()> endNow)
{
    new SessionEnd(windows, std::move(endNow));
    const auto never = [](QSessionManager &manager) { manager.setRestartHint(QSessionManager::RestartNever); };
    QObject::connect(qApp, &QGuiApplication::saveStateRequest, qApp, never);
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp, [&windows, never](QSessionManager &manager) {
        never(manager);
        Form1 *form = windows.form1();
        if (!form || form->Saved)
            return;
        if (!manager.allowsInteraction()) {
            form->journal().sync();
            return;
        }
        // Qt tells the manager the outcome (InteractDone with the cancel) once this returns.
        if (!form->AskToSave())
            manager.cancel();
        else if (!form->Saved)
            form->journal().reset();   // No: the text is given up, and the close that follows does not ask
    });
}
