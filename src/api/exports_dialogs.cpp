// SPDX-License-Identifier: MIT
// The settings dialogs. Each runs modally on the caller's thread.
#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"

using namespace quelix;

extern "C" {

int32_t Quelix_SetAnalogDlg(int32_t handle, QUELIX_HWND parent)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetAnalogDlg(parent); });
}

int32_t Quelix_SetImageDlg(int32_t handle, QUELIX_HWND parent)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetImageDlg(parent); });
}

int32_t Quelix_SetCameraDlg(int32_t handle, QUELIX_HWND parent)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetCameraDlg(parent); });
}

}  // extern "C"
