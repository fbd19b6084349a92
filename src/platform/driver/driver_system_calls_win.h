// SPDX-License-Identifier: MIT
// The three system calls of the kernel driver's transport, called through
// this table so that a test can stand in for the driver and see every
// code, buffer and length the library passes.
#pragma once

#include <windows.h>

namespace quelix::platform {

struct DriverSystemCalls {
    decltype(&::CreateFileA) createFile = &::CreateFileA;
    decltype(&::DeviceIoControl) deviceIoControl = &::DeviceIoControl;
    decltype(&::CloseHandle) closeHandle = &::CloseHandle;
};

// The calls in use; set before the first driver is opened.
DriverSystemCalls& SystemCalls();

}  // namespace quelix::platform
