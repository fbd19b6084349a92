// SPDX-License-Identifier: MIT
// The export that tells when a delivered frame reached the host and the caller.
#include "QuelixPlatform.h"
#include "api/export_call.h"
#include "camera/camera_object.h"

using namespace quelix;

extern "C" {

int QuelixPlatform_GetFrameTimes(int32_t camera, uint32_t trailer, QUELIX_FRAME_TIMES* times)
{
    if (times == nullptr)
        return 0;
    return CallCamera(camera, 0, [&](CQuelix& object) {
        FrameTimes found;
        if (!object.frameTimes.Find(trailer, found))
            return 0;
        times->arrived = found.arrivedNs;
        times->delivered = found.deliveredNs;
        return 1;
    });
}

}  // extern "C"
