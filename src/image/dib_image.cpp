// SPDX-License-Identifier: MIT
#include "image/dib_image.h"

#include <algorithm>

namespace quelix {

namespace {

constexpr int kPaletteGrayRamp = 0;
constexpr int kPaletteSurfaceOnly = 2;

constexpr std::array<platform::RgbQuad, platform::kColorTableSize> MakeGrayRamp()
{
    std::array<platform::RgbQuad, platform::kColorTableSize> ramp{};
    for (int i = 0; i < platform::kColorTableSize; ++i) {
        const auto level = static_cast<uint8_t>(i);
        ramp[i] = {level, level, level, 0};
    }
    return ramp;
}

constexpr std::array<platform::RgbQuad, platform::kColorTableSize> kGrayRamp = MakeGrayRamp();

Rect WholeOf(const CDibImage& image)
{
    return {0, 0, image.width, image.height};
}

bool LiesInside(const Rect& rect, const CDibImage& image)
{
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
           rect.right <= image.width && rect.bottom <= image.height;
}

}  // namespace

CDibImage::CDibImage() = default;

CDibImage::~CDibImage()
{
    Release();
}

int CDibImage::Create(int32_t newWidth, int32_t newHeight, int newBitCount)
{
    if (newWidth <= 0 || newHeight <= 0 || !platform::IsSupportedBitCount(newBitCount) ||
        platform::DibStride(newWidth, newBitCount) < 0)
        return 0;
    Release();
    bmiHeader.biWidth = newWidth;
    bmiHeader.biHeight = newHeight;
    bmiHeader.biPlanes = 1;
    bmiHeader.biBitCount = static_cast<uint16_t>(newBitCount);
    bmiHeader.biCompression = 0;
    width = newWidth;
    height = newHeight;
    bitCount = static_cast<uint16_t>(newBitCount);
    stride = platform::DibStride(newWidth, newBitCount);
    return AllocateBits();
}

int CDibImage::CreateLike(const CDibImage* source)
{
    if (source == nullptr || source->width <= 0 || source->height <= 0 ||
        !platform::IsSupportedBitCount(source->bitCount))
        return 0;
    const platform::BitmapInfoHeader header = source->bmiHeader;
    const int32_t sourceWidth = source->width;
    const int32_t sourceHeight = source->height;
    const int32_t sourceStride = source->stride;
    const uint16_t sourceBitCount = source->bitCount;
    Release();
    bmiHeader = header;
    width = sourceWidth;
    height = sourceHeight;
    stride = sourceStride;
    bitCount = sourceBitCount;
    return AllocateBits();
}

int CDibImage::AllocateBits()
{
    if (bitCount == 8)
        SetPalette(kPaletteGrayRamp, nullptr, 0, platform::kColorTableSize);
    hdc = platform::CreateBitmapDC(bmiHeader, bmiColors.data(), &pBits);
    if (hdc == nullptr) {
        Release();
        return 0;
    }
    return 1;
}

void CDibImage::Release()
{
    if (hdc != nullptr)
        platform::DeleteDC(hdc);
    hdc = nullptr;
    pBits = nullptr;
    width = 0;
    height = 0;
    stride = 0;
    bitCount = 0;
    bmiHeader = {};
    bmiColors = {};
}

int CDibImage::Draw(const CDibImage* source, const Rect* sourceRect, int32_t x, int32_t y)
{
    if (source == nullptr || hdc == nullptr || source->hdc == nullptr)
        return 0;
    const Rect rect = sourceRect != nullptr ? *sourceRect : WholeOf(*source);
    return platform::BitBlt(hdc, x, y, rect.right - rect.left, rect.bottom - rect.top, source->hdc, rect.left,
                            rect.top)
               ? 1
               : 0;
}

int CDibImage::CopyFrom(const CDibImage* source)
{
    if (source == this)
        return hdc != nullptr ? 1 : 0;
    if (source == nullptr)
        return 0;
    const bool sameShape = pBits != nullptr && width == source->width && height == source->height &&
                           bitCount == source->bitCount && stride == source->stride;
    if (sameShape)
        bmiHeader = source->bmiHeader;
    else if (CreateLike(source) == 0)
        return 0;
    return Draw(source, nullptr, 0, 0) != 0 ? 1 : 0;
}

int CDibImage::Convert(ConvertKernel kernel, const CDibImage* source, const Rect* sourceRect, int32_t x,
                       int32_t y, const void* opaque1, const void* opaque2)
{
    if (kernel == nullptr || source == nullptr || pBits == nullptr || source->pBits == nullptr)
        return 0;
    const int64_t destWidth = width;
    const int64_t destHeight = height;
    const int64_t sourceWidth = source->width;
    const int64_t sourceHeight = source->height;
    const Rect requested = sourceRect != nullptr ? *sourceRect : WholeOf(*source);

    // The destination rectangle the source rectangle covers at (x, y).
    int64_t left = x;
    int64_t top = y;
    int64_t right = left + (int64_t{requested.right} - requested.left);
    int64_t bottom = top + (int64_t{requested.bottom} - requested.top);
    if (right <= 0 || bottom <= 0 || left >= destWidth || top >= destHeight)
        return 0;
    const int64_t clippedLeft = std::max<int64_t>(left, 0);
    const int64_t clippedTop = std::max<int64_t>(top, 0);
    right = std::min(right, destWidth);
    bottom = std::min(bottom, destHeight);

    // The source rectangle moved by what the destination lost on the left
    // and top, and as large as what is left of the destination.
    int64_t sourceLeft = requested.left + (clippedLeft - left);
    int64_t sourceTop = requested.top + (clippedTop - top);
    int64_t sourceRight = sourceLeft + (right - clippedLeft);
    int64_t sourceBottom = sourceTop + (bottom - clippedTop);
    left = clippedLeft;
    top = clippedTop;
    if (sourceRight <= 0 || sourceBottom <= 0 || sourceLeft >= sourceWidth || sourceTop >= sourceHeight)
        return 0;
    // Clip the source to its buffer and the destination by the same amounts,
    // so that every destination pixel keeps the source pixel it faces.
    const int64_t cutLeft = std::max<int64_t>(0, -sourceLeft);
    const int64_t cutTop = std::max<int64_t>(0, -sourceTop);
    const int64_t cutRight = std::max<int64_t>(0, sourceRight - sourceWidth);
    const int64_t cutBottom = std::max<int64_t>(0, sourceBottom - sourceHeight);
    sourceLeft += cutLeft;
    sourceTop += cutTop;
    sourceRight -= cutRight;
    sourceBottom -= cutBottom;
    left += cutLeft;
    top += cutTop;
    bottom -= cutBottom;
    if (sourceLeft >= sourceRight || sourceTop >= sourceBottom)
        return 0;

    // The kernel works in memory rows: the picture's rows counted from the
    // bottom, as the header declares them.
    const Rect memoryRect{static_cast<int32_t>(sourceLeft), static_cast<int32_t>(sourceHeight - sourceBottom),
                          static_cast<int32_t>(sourceRight), static_cast<int32_t>(sourceHeight - sourceTop)};
    return kernel(pBits, source->pBits, memoryRect, static_cast<int32_t>(left),
                  static_cast<int32_t>(destHeight - bottom), bitCount / 8, source->bitCount / 8, stride,
                  source->stride, opaque1, opaque2);
}

int CDibImage::StretchConvert(ScaleKernel kernel, const CDibImage* source, const Rect* destRect,
                              const Rect* sourceRect)
{
    if (kernel == nullptr || source == nullptr || pBits == nullptr || source->pBits == nullptr)
        return 0;
    const Rect dest = destRect != nullptr ? *destRect : WholeOf(*this);
    const Rect from = sourceRect != nullptr ? *sourceRect : WholeOf(*source);
    if (!LiesInside(dest, *this) || !LiesInside(from, *source))
        return 0;
    return kernel(pBits, source->pBits, dest, from, bitCount / 8, source->bitCount / 8, stride,
                  source->stride);
}

int CDibImage::SetPalette(int mode, const platform::RgbQuad* colors, int start, int count)
{
    if (mode == kPaletteGrayRamp) {
        bmiColors = kGrayRamp;
        if (hdc != nullptr)
            platform::SetDIBColorTable(hdc, 0, platform::kColorTableSize, kGrayRamp.data());
        return 1;
    }
    if (mode == kPaletteSurfaceOnly)
        return platform::SetDIBColorTable(hdc, start, count, colors) > 0 ? 1 : 0;
    return 1;
}

}  // namespace quelix
