// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Caps Lock and Num Lock state as the window system's key events carry it, where nothing else tells it
// (Wayland): their native modifiers are the keyboard's XKB modifier mask, Lock 0x2 and Mod2 (Num Lock) 0x10.
// The compositor sends the state only with keys, so it is unknown until the first key event of the process,
// and a lock changed while none of its windows has the keyboard shows at the next key.
#include "platform/LockKeys.h"
#include <QObject>

class KeyEventLocks : public QObject, public LockKeys
{
public:
    explicit KeyEventLocks(QObject *application);
    std::optional<bool> capsLock() const override;
    std::optional<bool> numLock() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<quint32> m_modifiers;
};
