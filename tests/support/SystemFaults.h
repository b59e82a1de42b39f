// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Makes every call of one system function fail with `err` until cleared (nullptr): the failures a test cannot
// otherwise cause. Linked into a suite, the functions here stand in for the C library's, in Qt's code too.
namespace systemfaults {
void fail(const char *function, int err = 0);
}
