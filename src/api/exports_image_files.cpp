// SPDX-License-Identifier: MIT
// Exports that save the latest frame as an image file.
#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"

using namespace quelix;

extern "C" {

int32_t Quelix_SaveImage(int32_t handle, const char* path, int32_t format)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SaveImage(path, format); });
}

int32_t Quelix_SaveImageW(int32_t handle, const QUELIX_WCHAR* path, int32_t format)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SaveImageW(path, format); });
}

}  // extern "C"
