// SPDX-License-Identifier: MIT
// Exports that record AVI files.
#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"

using namespace quelix;

extern "C" {

int32_t Quelix_Record(int32_t handle, const char* path, int32_t recordTimeMs, int32_t showWindow)
{
    return CallCamera(handle, 0,
                      [=](CQuelix& camera) { return camera.Record(path, recordTimeMs, showWindow); });
}

int32_t Quelix_RecordW(int32_t handle, const QUELIX_WCHAR* path, int32_t recordTimeMs, int32_t showWindow)
{
    return CallCamera(handle, 0,
                      [=](CQuelix& camera) { return camera.RecordW(path, recordTimeMs, showWindow); });
}

}  // extern "C"
