// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>

// The component's loading interface, which its installed headers leave out. Not in
// an anonymous namespace: the objects come from the component, and the compiler
// may not assume that all of them are made here.
class SciLoader
{
public:
    virtual int Release() = 0;
    virtual int AddData(const char *data, std::ptrdiff_t length) = 0;
    virtual void *ConvertToDocument() = 0;

protected:
    ~SciLoader() = default;
};
