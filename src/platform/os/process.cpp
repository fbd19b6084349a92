// SPDX-License-Identifier: MIT
#include "platform/os/process.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace quelix::platform {

uint64_t CurrentProcessId()
{
    return static_cast<uint64_t>(getpid());
}

bool ProcessExists(uint64_t processId)
{
    if (processId == 0 || processId > static_cast<uint64_t>(INT32_MAX))
        return false;
    // Signal 0 checks for existence only; EPERM means it exists under another user.
    return kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}

}  // namespace quelix::platform
