// SPDX-License-Identifier: MIT
// The camera object's shading references and defect masks: loading and
// saving the mask file, taking a reference from the current frame, and
// deriving a mask from its reference.
//
// The pipeline corrects a frame under correctionLock, so references and
// masks change only under it, together: new ones are read, checked and
// derived aside and copied in whole, and a reference taken from a frame gets
// its mask in the same hold of the lock. No frame is ever corrected against
// a half-written reference or a mask that does not match it.
#include <cstring>

#include "camera/camera_object.h"
#include "camera/wide_path.h"
#include "device/defect_masks.h"
#include "device/mask_file.h"

namespace quelix {

namespace {

bool IsSensorImage(const CDibImage* image, int bits)
{
    return image != nullptr && image->pBits != nullptr && image->width == kMaskWidth &&
           image->height == kMaskHeight && image->bitCount == bits &&
           image->stride == kMaskWidth * (bits / 8);
}

template <class Sample>
void CopyIn(CDibImage& image, const std::vector<Sample>& samples)
{
    std::memcpy(image.pBits, samples.data(), samples.size() * sizeof(Sample));
}

template <class Sample>
void CopyOut(const CDibImage& image, std::vector<Sample>& samples)
{
    std::memcpy(samples.data(), image.pBits, samples.size() * sizeof(Sample));
}

// A raw frame's pixels taken out of rawFrame: rows packed, and where on the
// sensor they lie.
struct FrameWindow {
    std::vector<uint8_t> pixels;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bytesPerPixel = 0;
};

}  // namespace

bool CQuelix::HasCorrectionImages() const
{
    return IsSensorImage(Image(ImageRole::darkRef8).get(), 8) &&
           IsSensorImage(Image(ImageRole::brightRef8).get(), 8) &&
           IsSensorImage(Image(ImageRole::darkRef16).get(), 16) &&
           IsSensorImage(Image(ImageRole::brightRef16).get(), 16) &&
           IsSensorImage(Image(ImageRole::defectWork8a).get(), 8) &&
           IsSensorImage(Image(ImageRole::defectWork8b).get(), 8) &&
           IsSensorImage(Image(ImageRole::defectWork16a).get(), 16) &&
           IsSensorImage(Image(ImageRole::defectWork16b).get(), 16);
}

int CQuelix::LoadMaskFile(const char* path)
{
    if (device == nullptr || !HasCorrectionImages())
        return Fail(kErrNotInitialized);
    MaskReferences references;
    if (path == nullptr || !ReadMaskFile(path, references))
        return Fail(kErrMaskFile);
    const DefectMasks masks = DeriveDefectMasks(references);
    platform::CriticalSectionGuard guard(correctionLock);
    CopyIn(*Image(ImageRole::darkRef8), references.dark8);
    CopyIn(*Image(ImageRole::brightRef8), references.bright8);
    CopyIn(*Image(ImageRole::darkRef16), references.dark16);
    CopyIn(*Image(ImageRole::brightRef16), references.bright16);
    CopyIn(*Image(ImageRole::defectWork8a), masks.hot8);
    CopyIn(*Image(ImageRole::defectWork8b), masks.dead8);
    CopyIn(*Image(ImageRole::defectWork16a), masks.hot16);
    CopyIn(*Image(ImageRole::defectWork16b), masks.dead16);
    return 1;
}

int CQuelix::SaveMaskFile(const char* path)
{
    if (device == nullptr || !HasCorrectionImages())
        return Fail(kErrNotInitialized);
    MaskReferences references;
    {
        platform::CriticalSectionGuard guard(correctionLock);
        CopyOut(*Image(ImageRole::darkRef8), references.dark8);
        CopyOut(*Image(ImageRole::brightRef8), references.bright8);
        CopyOut(*Image(ImageRole::darkRef16), references.dark16);
        CopyOut(*Image(ImageRole::brightRef16), references.bright16);
    }
    if (path == nullptr || !WriteMaskFile(path, references))
        return Fail(kErrMaskFile);
    return 1;
}

int CQuelix::LoadMaskFileW(const QUELIX_WCHAR* path)
{
    std::string narrow;
    if (!NarrowPath(path, narrow))
        return Fail(kErrFile);
    return LoadMaskFile(narrow.c_str());
}

int CQuelix::SaveMaskFileW(const QUELIX_WCHAR* path)
{
    std::string narrow;
    if (!NarrowPath(path, narrow))
        return Fail(kErrFile);
    return SaveMaskFile(narrow.c_str());
}

int CQuelix::BuildMask(int is16Bit, int which)
{
    if (is16Bit < 0 || is16Bit > 1 || which < 0 || which > 1 || !HasCorrectionImages())
        return 0;
    platform::CriticalSectionGuard guard(correctionLock);
    const bool bright = which == 1;
    if (is16Bit == 0) {
        const CDibImage& reference = bright ? *Image(ImageRole::brightRef8) : *Image(ImageRole::darkRef8);
        CDibImage& mask = bright ? *Image(ImageRole::defectWork8b) : *Image(ImageRole::defectWork8a);
        DeriveDefectMask8(reference.pBits, reference.stride, bright, mask.pBits, mask.stride);
    } else {
        const CDibImage& reference = bright ? *Image(ImageRole::brightRef16) : *Image(ImageRole::darkRef16);
        CDibImage& mask = bright ? *Image(ImageRole::defectWork16b) : *Image(ImageRole::defectWork16a);
        DeriveDefectMask16(reference.pBits, reference.stride, bright, mask.pBits, mask.stride);
    }
    return 1;
}

int CQuelix::UpdateMaskData(int which)
{
    if (device == nullptr || !HasCorrectionImages())
        return Fail(kErrNotInitialized);
    if (which != 0 && which != 1)
        return Fail(kErrFile);

    // The delivered window cannot change while the frame is placed: window
    // changes hold operationLock too.
    platform::CriticalSectionGuard operation(operationLock);
    // The frame is taken out under its own lock; the two locks are never held together.
    FrameWindow frame;
    {
        platform::CriticalSectionGuard guard(rawFrameLock);
        const CDibImage* raw = Image(ImageRole::rawFrame).get();
        if (raw != nullptr && raw->pBits != nullptr && (raw->bitCount == 8 || raw->bitCount == 16) &&
            raw->width == active.width && raw->height == active.height) {
            frame.x = active.x;
            frame.y = active.y;
            frame.width = raw->width;
            frame.height = raw->height;
            frame.bytesPerPixel = raw->bitCount / 8;
            const auto rowBytes = static_cast<size_t>(frame.width) * frame.bytesPerPixel;
            frame.pixels.resize(rowBytes * static_cast<size_t>(frame.height));
            for (int32_t i = 0; i < frame.height; ++i)
                std::memcpy(frame.pixels.data() + rowBytes * i,
                            raw->pBits + static_cast<ptrdiff_t>(i) * raw->stride, rowBytes);
        }
    }
    // Only a frame of a window on the sensor can become (part of) a reference.
    if (frame.pixels.empty() || frame.x < 0 || frame.y < 0 || int64_t{frame.x} + frame.width > kMaskWidth ||
        int64_t{frame.y} + frame.height > kMaskHeight)
        return Fail(kErrNotInitialized);

    const bool wide = frame.bytesPerPixel == 2;
    platform::CriticalSectionGuard guard(correctionLock);
    CDibImage& reference = which == 0
                               ? (wide ? *Image(ImageRole::darkRef16) : *Image(ImageRole::darkRef8))
                               : (wide ? *Image(ImageRole::brightRef16) : *Image(ImageRole::brightRef8));
    const auto rowBytes = static_cast<size_t>(frame.width) * frame.bytesPerPixel;
    for (int32_t i = 0; i < frame.height; ++i)
        std::memcpy(reference.pBits + static_cast<ptrdiff_t>(frame.y + i) * reference.stride +
                        static_cast<ptrdiff_t>(frame.x) * frame.bytesPerPixel,
                    frame.pixels.data() + rowBytes * i, rowBytes);
    return BuildMask(wide ? 1 : 0, which);
}

}  // namespace quelix
