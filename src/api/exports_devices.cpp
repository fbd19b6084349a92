// SPDX-License-Identifier: MIT
// Exports that list, name and select the attached cameras.
#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"

using namespace quelix;

extern "C" {

int32_t Quelix_EnumDevice(int32_t handle, char* names)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.EnumDevice(names); });
}

int32_t Quelix_EnumDeviceW(int32_t handle, QUELIX_WCHAR* names)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.EnumDeviceW(names); });
}

int32_t Quelix_GetDeviceName(int32_t handle, int32_t index, char* buffer, int32_t size)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.GetDeviceName(index, buffer, size); });
}

int32_t Quelix_GetDeviceNameW(int32_t handle, int32_t index, QUELIX_WCHAR* buffer, int32_t size)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.GetDeviceNameW(index, buffer, size); });
}

int32_t Quelix_SetDeviceNumber(int32_t handle, int32_t number)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetDeviceNumber(number); });
}

}  // extern "C"
