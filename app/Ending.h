// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ends the user did not choose from a menu: a signal (shutdown, `kill`, the
// terminal closing, Ctrl+C), a lost display and the end of the desktop session.
// None of them may lose what was typed.
#include <QObject>
#include <functional>

class QSocketNotifier;
class WindowRegistry;

// SIGTERM, SIGHUP and SIGINT arrive through a socket pair and are handled on
// the event loop, not in the signal handler.
class EndSignals : public QObject
{
    Q_OBJECT
public:
    explicit EndSignals(QObject *parent = nullptr);
    ~EndSignals() override;

Q_SIGNALS:
    void received(int signal);

private:
    QSocketNotifier *m_notifier = nullptr;
};

// Syncs the journals to the disk when the process exits by any path that runs
// atexit handlers (the display's connection broke, among others).
void syncJournalsAtExit();

// Answers the session manager: the normal save prompt before a logout when the
// user may be asked, the journal synced when not; never restarted. When the
// session then ends with text still unsaved (nobody could be asked), `endNow`
// ends the process as a signal does, without a question.
void followSession(WindowRegistry &windows, std::function<void()> endNow);
