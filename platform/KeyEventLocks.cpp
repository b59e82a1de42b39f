// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/KeyEventLocks.h"
#include <QKeyEvent>

namespace {
constexpr quint32 LockMask = 0x2, NumLockMask = 0x10;
}

KeyEventLocks::KeyEventLocks(QObject *application) { application->installEventFilter(this); }

std::optional<bool> KeyEventLocks::capsLock() const
{
    return m_modifiers ? std::optional<bool>(*m_modifiers & LockMask) : std::nullopt;
}

std::optional<bool> KeyEventLocks::numLock() const
{
    return m_modifiers ? std::optional<bool>(*m_modifiers & NumLockMask) : std::nullopt;
}

bool KeyEventLocks::eventFilter(QObject *, QEvent *event)
{
    // Only the window system's own events: one made by the program carries no state.
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && event->spontaneous())
        m_modifiers = static_cast<QKeyEvent *>(event)->nativeModifiers();
    return false;
}
