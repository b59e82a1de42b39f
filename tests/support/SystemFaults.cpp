// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SystemFaults.h"
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {
const char *failing = nullptr;
int failure = 0;

// True where the call fails here; else it goes on to `real`, the system's own function, found past this program.
template<typename R> bool fails(const char *function, R &real)
{
    real = real ? real : reinterpret_cast<R>(::dlsym(RTLD_NEXT, function));
    if (!failing || std::strcmp(failing, function) != 0)
        return false;
    errno = failure;
    return true;
}
}

void systemfaults::fail(const char *function, int err)
{
    failing = function;
    failure = err;
}

extern "C" {
int fdatasync(int fd)
{
    static int (*real)(int) = nullptr;
    return fails("fdatasync", real) ? -1 : real(fd);
}

int fchown(int fd, uid_t owner, gid_t group)
{
    static int (*real)(int, uid_t, gid_t) = nullptr;
    return fails("fchown", real) ? -1 : real(fd, owner, group);
}
}
