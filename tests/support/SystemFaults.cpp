// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SystemFaults.h"
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {
const char *failing = nullptr;
int failure = 0;

// -1 with errno set where `function` is to fail; else the system's own, found past this program.
template<typename... A> int call(const char *function, A... args)
{
    if (failing && std::strcmp(failing, function) == 0)
        return errno = failure, -1;
    return reinterpret_cast<int (*)(A...)>(::dlsym(RTLD_NEXT, function))(args...);
}
}

void systemfaults::fail(const char *function, int err)
{
    failing = function;
    failure = err;
}

extern "C" int fdatasync(int fd) { return call("fdatasync", fd); }
extern "C" int fchown(int fd, uid_t owner, gid_t group) { return call("fchown", fd, owner, group); }
