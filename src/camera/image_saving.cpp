// SPDX-License-Identifier: MIT
// Quelix_SaveImage behind the camera: the latest finished frame is copied
// under displayLock and encoded from the private copy after the lock is
// left, so saving never holds up the capture thread.
#include "camera/camera_object.h"
#include "camera/wide_path.h"
#include "output/image_files.h"

namespace quelix {

int CQuelix::SaveImage(const char* fileName, int format)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    CDibImage frame;
    bool copied = false;
    {
        platform::CriticalSectionGuard guard(displayLock);
        copied = Image(ImageRole::latestImage) != nullptr &&
                 frame.CopyFrom(Image(ImageRole::latestImage).get()) != 0;
    }
    if (!copied || frame.pBits == nullptr)
        return Fail(kErrNotInitialized);
    if (fileName == nullptr)
        return 0;
    return SaveImageFile(fileName, &frame, format, kSampleBits);
}

int CQuelix::SaveImageW(const QUELIX_WCHAR* fileName, int format)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    std::string name;
    if (fileName != nullptr && !NarrowPath(fileName, name))
        return Fail(kErrNotInitialized);
    return SaveImage(fileName != nullptr ? name.c_str() : nullptr, format);
}

}  // namespace quelix
