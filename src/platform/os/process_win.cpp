// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/os/process.h"

namespace quelix::platform {

uint64_t CurrentProcessId()
{
    return GetCurrentProcessId();
}

bool ProcessExists(uint64_t processId)
{
    if (processId == 0 || processId > UINT32_MAX)
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
    if (process == nullptr)
        // Access denied: the process exists under another user.
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD exitCode = 0;
    const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

}  // namespace quelix::platform
