// SPDX-License-Identifier: MIT
// Exports that run the camera: preview, capture, snapshots, trigger mode,
// the latest frame, and closing.
#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"

using namespace quelix;

extern "C" {

int32_t Quelix_StartPreview(int32_t handle)
{
    return CallCamera(handle, 0, [](CQuelix& camera) { return camera.StartPreview(); });
}

int32_t Quelix_StopPreview(int32_t handle)
{
    return CallCamera(handle, 0, [](CQuelix& camera) { return camera.StopAcquisition(); });
}

int32_t Quelix_Preview(int32_t handle)
{
    return CallCamera(handle, 0, [](CQuelix& camera) { return camera.PreviewInWindow(); });
}

int32_t Quelix_CallBackPreview(int32_t handle, QUELIX_HWND frameWindow, uint8_t* buffer, int32_t size,
                               int32_t rowOption)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) {
        return camera.CallBackPreview(frameWindow, buffer, size, rowOption);
    });
}

int32_t Quelix_Capture(int32_t handle)
{
    return CallCamera(handle, 0, [](CQuelix& camera) { return camera.StartCapture(); });
}

int32_t Quelix_SnapShot(int32_t handle, uint8_t* buffer, int32_t size, int32_t rowOption)
{
    return CallCamera(handle, 0,
                      [=](CQuelix& camera) { return camera.TakeSnapShot(buffer, size, rowOption); });
}

int32_t Quelix_GetImage(int32_t handle, uint8_t* buffer, int32_t size, int32_t rowOption)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.GetImage(buffer, size, rowOption); });
}

int32_t Quelix_Trigger(int32_t handle, QUELIX_HWND frameWindow, uint8_t* buffer, int32_t size,
                       int32_t rowOption)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) {
        return camera.StartTrigger(frameWindow, buffer, size, rowOption);
    });
}

int32_t Quelix_Close(int32_t handle)
{
    return CallCamera(handle, 0, [](CQuelix& camera) { return camera.Close(); });
}

}  // extern "C"
