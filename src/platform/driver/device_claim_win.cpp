// SPDX-License-Identifier: MIT
#include <windows.h>

#include <string>

#include "platform/driver/device_claim.h"
#include "platform/driver/driver_connection.h"

namespace quelix::platform {

namespace {

constexpr std::string_view kPathPrefix = "\\\\.\\";

// The claim's name; empty for a path that is not "\\.\NAME".
std::string ClaimName(const char* driverPath)
{
    if (driverPath == nullptr)
        return {};
    const std::string_view path(driverPath);
    if (!path.starts_with(kPathPrefix) || path.size() == kPathPrefix.size() || path.size() > 200 ||
        path.find_first_of("\\/", kPathPrefix.size()) != std::string_view::npos)
        return {};
    return "Global\\Quelix-" + std::string(path.substr(kPathPrefix.size())) + ".claim";
}

}  // namespace

bool DeviceClaim::Take(const char* driverPath)
{
    Release();
    const std::string name = ClaimName(driverPath);
    if (name.empty())
        return true;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (mutex == nullptr)
        // Denied: another user's claim exists. Any other failure holds nothing.
        return GetLastError() != ERROR_ACCESS_DENIED;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    claim_ = reinterpret_cast<intptr_t>(mutex);
    return true;
}

void DeviceClaim::Release()
{
    if (claim_ == kNoClaim)
        return;
    CloseHandle(reinterpret_cast<HANDLE>(claim_));  // the last handle ends the mutex
    claim_ = kNoClaim;
}

bool DeviceClaim::HeldElsewhere(const char* driverPath)
{
    DeviceClaim probe;
    return !probe.Take(driverPath);
}

}  // namespace quelix::platform
