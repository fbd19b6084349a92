// SPDX-License-Identifier: MIT
// Exports that set and read camera parameters.
#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"

using namespace quelix;

extern "C" {

int32_t Quelix_SetFilterValue(int32_t handle, int32_t id, int32_t value)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetFilterValue(id, value); });
}

int32_t Quelix_GetFilterValue(int32_t handle, int32_t id, int32_t* ok)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.GetFilterValue(id, ok); });
}

int32_t Quelix_SetRealExposureTime(int32_t handle, int32_t microseconds)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetRealExposureTime(microseconds); });
}

int32_t Quelix_GetRealExposureTime(int32_t handle, int32_t* ok)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.GetRealExposureTime(ok); });
}

int32_t Quelix_SetCaptureWindow(int32_t handle, int32_t width, int32_t height)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetCaptureWindow(width, height); });
}

int32_t Quelix_SetCaptureWindowEx(int32_t handle, int32_t totalWidth, int32_t left, int32_t width,
                                  int32_t totalHeight, int32_t top, int32_t height)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) {
        return camera.SetCaptureWindowEx(totalWidth, left, width, totalHeight, top, height);
    });
}

int32_t Quelix_GetCaptureWindowEx(int32_t handle, int32_t* totalWidth, int32_t* left, int32_t* width,
                                  int32_t* totalHeight, int32_t* top, int32_t* height)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) {
        return camera.GetCaptureWindowEx(totalWidth, left, width, totalHeight, top, height);
    });
}

int32_t Quelix_Width(int32_t handle)
{
    return CallCamera(handle, 0, [](CQuelix& camera) { return camera.width.load(); });
}

int32_t Quelix_Height(int32_t handle)
{
    return CallCamera(handle, 0, [](CQuelix& camera) { return camera.height.load(); });
}

int32_t Quelix_SetColorMode(int32_t handle, int32_t bits)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetColorMode(bits); });
}

int32_t Quelix_GetColorMode(int32_t handle)
{
    return CallCamera(handle, -1, [](CQuelix& camera) { return camera.GetColorMode(); });
}

int32_t Quelix_SetSubSample(int32_t handle, int32_t value)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetSubSample(value); });
}

int32_t Quelix_GetSubSample(int32_t handle)
{
    return CallCamera(handle, -1, [](CQuelix& camera) { return camera.subSample.load(); });
}

int32_t Quelix_SetWaitTime(int32_t handle, int32_t milliseconds)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetWaitTime(milliseconds); });
}

int32_t Quelix_GetWaitTime(int32_t handle)
{
    return CallCamera(handle, -1, [](CQuelix& camera) { return camera.waitTime.load(); });
}

int32_t Quelix_SetHalfClock(int32_t handle, int32_t value)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) {
        camera.halfClock = value;
        return 1;
    });
}

int32_t Quelix_GetHalfClock(int32_t handle, int32_t* ok)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.GetHalfClock(ok); });
}

int32_t Quelix_SetMirrorH(int32_t handle, int32_t flag)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetMirrorH(flag); });
}

int32_t Quelix_GetMirrorH(int32_t handle)
{
    return CallCamera(handle, 0, [](CQuelix& camera) { return camera.GetMirrorH(); });
}

int32_t Quelix_SetMirrorV(int32_t handle, int32_t flag)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetMirrorV(flag); });
}

int32_t Quelix_GetMirrorV(int32_t handle)
{
    return CallCamera(handle, 0, [](CQuelix& camera) { return camera.GetMirrorV(); });
}

int32_t Quelix_SetAutoIris(int32_t handle, int32_t mode)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetAutoIris(mode); });
}

int32_t Quelix_GetAutoIris(int32_t handle, int32_t* ok)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.GetAutoIris(ok); });
}

int32_t Quelix_SetIOPort(int32_t handle, uint8_t value)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.SetIOPort(value); });
}

int32_t Quelix_GetIOPort(int32_t handle, uint8_t* value)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.GetIOPort(value); });
}

int32_t Quelix_Fpga_ReadRegister(int32_t handle, uint8_t address, int32_t* ok)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.FpgaReadRegister(address, ok); });
}

int32_t Quelix_Fpga_WriteRegister(int32_t handle, uint8_t address, uint16_t value)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.FpgaWriteRegister(address, value); });
}

int32_t Quelix_ReadRegister(int32_t handle, uint8_t address, int32_t* ok)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.ReadRegister(address, ok); });
}

int32_t Quelix_WriteRegister(int32_t handle, uint8_t address, uint16_t value)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.WriteRegister(address, value); });
}

int32_t Quelix_ReadSromID(int32_t handle, int32_t address, int32_t* ok)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.ReadSromID(address, ok); });
}

int32_t Quelix_WriteSromID(int32_t handle, uint8_t address, uint8_t value)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.WriteSromID(address, value); });
}

int32_t Quelix_GetCameraInfo(int32_t handle, QUELIX_CAMERA_INFO* info)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) { return camera.GetCameraInfo(info); });
}

int32_t Quelix_SetPreviewWindow(int32_t handle, QUELIX_HWND parent, int32_t left, int32_t top, int32_t right,
                                int32_t bottom)
{
    return CallCamera(handle, 0, [=](CQuelix& camera) {
        return camera.SetPreviewWindow(parent, left, top, right, bottom);
    });
}

}  // extern "C"
