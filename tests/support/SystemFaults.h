// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Linked into a suite: every call of the C library's `function` (those defined beside this) fails with `err`,
// in Qt's code too, until cleared with nullptr. The failures a test cannot otherwise cause.
namespace systemfaults { void fail(const char *function, int err = 0); }
