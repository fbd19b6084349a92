// SPDX-License-Identifier: MIT
// Exports that make, release and describe cameras.
#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"

using namespace quelix;

namespace {

constexpr int32_t kDllVersion = 8258836;  // 0x7E0514

}  // namespace

extern "C" {

int32_t Quelix_Initialize(QUELIX_HWND errorWindow)
{
    try {
        const int32_t handle = Chain().CreateCamera();
        if (handle == 0)
            return 0;
        // A camera whose initialisation failed stays a live handle: its
        // failure is in its error history, and the caller releases it.
        CallCamera(handle, 0, [errorWindow](CQuelix& camera) { return camera.Initialize(errorWindow); });
        return handle;
    } catch (...) {
        return 0;
    }
}

int32_t Quelix_Release(int32_t handle)
{
    try {
        return Chain().ReleaseCamera(handle) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int32_t Quelix_GetDllVersion(void)
{
    return kDllVersion;
}

int32_t Quelix_GetLastError(int32_t handle)
{
    return CallCamera(handle, 0, [](CQuelix& camera) { return camera.GetLastError(); });
}

}  // extern "C"
