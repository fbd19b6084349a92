// SPDX-License-Identifier: MIT
// Exports of the mask file and the shading references.
#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"

using namespace quelix;

extern "C" {

int32_t Quelix_LoadMaskFile(int32_t handle, const char* path)
{
    return CallCamera(handle, 0, [path](CQuelix& camera) { return camera.LoadMaskFile(path); });
}

int32_t Quelix_LoadMaskFileW(int32_t handle, const QUELIX_WCHAR* path)
{
    return CallCamera(handle, 0, [path](CQuelix& camera) { return camera.LoadMaskFileW(path); });
}

int32_t Quelix_SaveMaskFile(int32_t handle, const char* path)
{
    return CallCamera(handle, 0, [path](CQuelix& camera) { return camera.SaveMaskFile(path); });
}

int32_t Quelix_SaveMaskFileW(int32_t handle, const QUELIX_WCHAR* path)
{
    return CallCamera(handle, 0, [path](CQuelix& camera) { return camera.SaveMaskFileW(path); });
}

int32_t Quelix_UpdateMaskData(int32_t handle, int32_t value)
{
    return CallCamera(handle, 0, [value](CQuelix& camera) { return camera.UpdateMaskData(value); });
}

}  // extern "C"
