// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window system the program opens its windows on, decided before Qt starts so that a missing display is
// one line on stderr and exit status 1, never Qt's abort.
#include <QByteArray>
#include <QString>
#include <functional>

struct Displays {
    QString chosen;    // QT_QPA_PLATFORM: the user's choice, empty when not made
    QString x11;       // DISPLAY
    QString wayland;   // WAYLAND_DISPLAY
    std::function<bool()> xAnswers, waylandAnswers;
    std::function<bool(const QString &platform)> installed;
};

struct PlatformChoice {
    QByteArray platform;   // for Qt's -platform; empty: the user's choice stands
    QString problem;       // what is missing; non-empty: no window can open
};

// X11 (through XWayland on a Wayland desktop) wherever an X display answers, since that is where input methods,
// window placement, the lock-key panels and the clipboard at exit all work with Qt 6.4; native Wayland otherwise.
PlatformChoice choosePlatform(const Displays &d);
// This process's environment and window systems.
Displays systemDisplays();

// Around the making of the application object: a fatal start-up failure of Qt's platform becomes one line and
// exit status 1 (instead of Qt's advice to reinstall, and a core dump); what Qt says meanwhile is held back and
// shown only if the start succeeds.
class StartupGuard
{
public:
    explicit StartupGuard(const QByteArray &platform);
    ~StartupGuard();
};
