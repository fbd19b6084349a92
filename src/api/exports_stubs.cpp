// SPDX-License-Identifier: MIT
// Exports of the camera family that this camera does not support. They do no
// work; most tell the error window so (QUELIX_ERR_NOT_SUPPORTED) without
// recording anything in the error history.
#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"

using namespace quelix;

namespace {

int32_t NotifyNotSupported(int32_t handle)
{
    CallCamera(handle, 0, [](CQuelix& camera) {
        camera.NotifyError(kErrNotSupported);
        return 0;
    });
    return 0;
}

int32_t ClearOutput(int32_t handle, int32_t* out)
{
    CallCamera(handle, 0, [out](CQuelix&) {
        if (out != nullptr)
            *out = 0;
        return 0;
    });
    return 0;
}

}  // namespace

#define QUELIX_NOT_SUPPORTED(name)         \
    int32_t name(int32_t handle, ...)      \
    {                                      \
        return NotifyNotSupported(handle); \
    }

extern "C" {

QUELIX_NOT_SUPPORTED(Quelix_Fps)
QUELIX_NOT_SUPPORTED(Quelix_GetChannelGain)
QUELIX_NOT_SUPPORTED(Quelix_GetChannelOffset)
QUELIX_NOT_SUPPORTED(Quelix_GetConfigFilter)
QUELIX_NOT_SUPPORTED(Quelix_GetInternalCorrection)
QUELIX_NOT_SUPPORTED(Quelix_LoadConfigFileA)
QUELIX_NOT_SUPPORTED(Quelix_LoadConfigFileW)
QUELIX_NOT_SUPPORTED(Quelix_ReadRegisterEx)
QUELIX_NOT_SUPPORTED(Quelix_ReceiveText)
QUELIX_NOT_SUPPORTED(Quelix_SendText)
QUELIX_NOT_SUPPORTED(Quelix_SetChannelGain)
QUELIX_NOT_SUPPORTED(Quelix_SetChannelOffset)
QUELIX_NOT_SUPPORTED(Quelix_SetConfigFilter)
QUELIX_NOT_SUPPORTED(Quelix_SetCrossbar)
QUELIX_NOT_SUPPORTED(Quelix_SetExposureTimeEx)
QUELIX_NOT_SUPPORTED(Quelix_SetInternalCorrection)
QUELIX_NOT_SUPPORTED(Quelix_SetSamplingRate)
QUELIX_NOT_SUPPORTED(Quelix_WriteRegisterEx)

double Quelix_GetExposureTimeEx(int32_t handle)
{
    NotifyNotSupported(handle);
    return 0.0;
}

double Quelix_GetTemperatureEx(int32_t handle)
{
    NotifyNotSupported(handle);
    return 0.0;
}

int32_t Quelix_GetSamplingRate(int32_t handle, int32_t* out)
{
    return ClearOutput(handle, out);
}

int32_t Quelix_GetVideoFormat(int32_t handle, int32_t* out)
{
    return ClearOutput(handle, out);
}

int32_t Quelix_GetStatus(int32_t)
{
    return 0;
}

}  // extern "C"
