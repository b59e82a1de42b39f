// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// State of the Caps Lock and Num Lock keys; nullopt where it cannot be known.
#include <memory>
#include <optional>

class LockKeys
{
public:
    virtual ~LockKeys() = default;
    virtual std::optional<bool> capsLock() const = 0;
    virtual std::optional<bool> numLock() const = 0;
};

// Reads the real keyboard through XKB when running on X11, from the key events elsewhere (Wayland).
class SystemLockKeys : public LockKeys
{
public:
    SystemLockKeys();
    ~SystemLockKeys() override;
    std::optional<bool> capsLock() const override;
    std::optional<bool> numLock() const override;

private:
    std::unique_ptr<LockKeys> m_fromKeys;
};
