// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/KeyEventLocks.h"
#include <QGuiApplication>
#include <X11/XKBlib.h>

namespace {
Display *x11Display()
{
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        return x11->display();
    return nullptr;
}

std::optional<bool> indicator(const char *name)
{
    Display *display = x11Display();
    if (!display)
        return std::nullopt;
    const Atom atom = XInternAtom(display, name, False);
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return std::nullopt;
    return on == True;
}
}

SystemLockKeys::SystemLockKeys()
{
    if (qGuiApp && !x11Display())
        m_fromKeys = std::make_unique<KeyEventLocks>(qGuiApp);
}

SystemLockKeys::~SystemLockKeys() = default;

std::optional<bool> SystemLockKeys::capsLock() const
{
    return m_fromKeys ? m_fromKeys->capsLock() : indicator("Caps Lock");
}

std::optional<bool> SystemLockKeys::numLock() const
{
    return m_fromKeys ? m_fromKeys->numLock() : indicator("Num Lock");
}
