// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How much memory the system can still give this process, asked before a big
// file is loaded rather than found out half-way.
#include <QtGlobal>

class Memory
{
public:
    virtual ~Memory() = default;
    // Bytes; negative when the system does not say.
    virtual qint64 available() const;
};
