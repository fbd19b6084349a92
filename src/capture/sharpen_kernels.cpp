// Unsharp masking against a 4 x 4 box: for every pixel at least two rows and
// columns inside the rectangle, o' = o + s x (o - box) / 10 with box the
// mean (sum >> 4) of the 4 x 4 source pixels from two rows and columns above
// and left to one below and right. The box sums run down the image: each
// row's column sums are the last row's plus the new row below minus the row
// that left the box.
#include <algorithm>

#include "capture/pixel_kernels.h"
#include "capture/thread_cache.h"
#include "output/kernel_loops.h"

namespace quelix {

namespace {

template <class Sample>
Sample LoadSample(const uint8_t* from)
{
    if constexpr (sizeof(Sample) == 1)
        return *from;
    else
        return Load16(from);
}

template <class Sample>
void StoreSample(uint8_t* to, int32_t value)
{
    if constexpr (sizeof(Sample) == 1)
        *to = static_cast<uint8_t>(value);
    else
        Store16(to, static_cast<unsigned>(value));
}

// Column sums of four 8-bit samples fit 16 bits (and four of them too).
template <class Sample>
using BoxSum = std::conditional_t<sizeof(Sample) == 1, uint16_t, uint32_t>;

struct ColumnSumsTag {};

// The sharpness the setter accepts, 0 ... 30.
constexpr int32_t kMaxStrength = 30;

// o + trunc(s x (o - box) / 10) for 8-bit samples and s in 0 ... 30: every
// term fits 16 bits, and the tenth is a multiply-high by 6554 / 65536, which
// exceeds 1 / 10 by less than 1 / 10 / 7650 (so it truncates like the
// division for |s x (o - box)| <= 7650). In 16-bit lanes this vectorises.
inline int32_t SharpenSmall(int32_t original, int32_t box, int32_t strength)
{
    const auto term = static_cast<int16_t>(
        static_cast<int16_t>(strength) *
        static_cast<int16_t>(static_cast<int16_t>(original) - static_cast<int16_t>(box)));
    const auto magnitude = static_cast<int16_t>(term < 0 ? -term : term);
    const auto tenth = static_cast<int16_t>((static_cast<int32_t>(magnitude) * 6554) >> 16);
    return static_cast<int16_t>(original + (term < 0 ? -tenth : tenth));
}

// Samples of a pixel: PixelSamples (0: taken from the arguments), of which
// the first Channels are sharpened. SmallTerms: 8-bit samples and a
// sharpness in the setter's range.
template <class Sample, int PixelSamples, int Channels, bool SmallTerms>
int32_t SharpenRows(const KernelArgs& a, int32_t strength, int32_t full)
{
    using Sum = BoxSum<Sample>;
    constexpr auto kSampleBytes = static_cast<int32_t>(sizeof(Sample));
    const int32_t pixelSamples = PixelSamples != 0 ? PixelSamples : a.srcStep / kSampleBytes;
    const int32_t rows = a.rect.bottom - a.rect.top;
    const int32_t columns = a.rect.right - a.rect.left;
    // Unknown pixel formats (other steps for source and destination, or
    // pixels smaller than the channels) are left alone.
    if (rows < 5 || columns < 5 || a.dstStep != a.srcStep || pixelSamples < Channels)
        return 1;
    const int32_t lanes = columns * pixelSamples;
    const std::span<Sum> sums = ThreadScratch<Sum, ColumnSumsTag>(static_cast<size_t>(lanes));
    const auto sourceRow = [&](int32_t i) {
        return a.src + static_cast<ptrdiff_t>(a.rect.top + i) * a.srcStride +
               static_cast<ptrdiff_t>(a.rect.left) * a.srcStep;
    };
    const auto sample = [](const uint8_t* row, int32_t lane) {
        return static_cast<int32_t>(LoadSample<Sample>(row + static_cast<ptrdiff_t>(lane) * kSampleBytes));
    };
    for (int32_t k = 0; k < lanes; ++k) {
        sums[k] = static_cast<Sum>(sample(sourceRow(0), k) + sample(sourceRow(1), k) +
                                   sample(sourceRow(2), k) + sample(sourceRow(3), k));
    }
    const int32_t first = 2 * pixelSamples;
    const int32_t end = (columns - 2) * pixelSamples;
    for (int32_t r = 2; r < rows - 2; ++r) {
        if (r > 2) {
            const uint8_t* entering = sourceRow(r + 1);
            const uint8_t* leaving = sourceRow(r - 3);
            for (int32_t k = 0; k < lanes; ++k)
                sums[k] = static_cast<Sum>(sums[k] + sample(entering, k) - sample(leaving, k));
        }
        const uint8_t* from = sourceRow(r);
        uint8_t* to =
            a.dst + static_cast<ptrdiff_t>(a.y + r) * a.dstStride + static_cast<ptrdiff_t>(a.x) * a.dstStep;
        const auto sharpen = [&](int32_t k) {
            const auto boxSum = static_cast<Sum>(sums[k - 2 * pixelSamples] + sums[k - pixelSamples] +
                                                 sums[k] + sums[k + pixelSamples]);
            const int32_t box = boxSum >> 4;
            const int32_t original = sample(from, k);
            const int32_t level = SmallTerms ? SharpenSmall(original, box, strength)
                                             : original + strength * (original - box) / 10;
            StoreSample<Sample>(to + static_cast<ptrdiff_t>(k) * kSampleBytes, std::clamp(level, 0, full));
        };
        if (Channels == pixelSamples) {
            for (int32_t k = first; k < end; ++k)
                sharpen(k);
        } else {
            for (int32_t k = first; k < end; k += pixelSamples) {
                for (int32_t c = 0; c < Channels; ++c)
                    sharpen(k + c);
            }
        }
    }
    return 1;
}

const LevelParams& Level(const void* opaque)
{
    return *static_cast<const LevelParams*>(opaque);
}

}  // namespace

int32_t Sharpen8(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                 int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                 const void* opaque1, const void*)
{
    const KernelArgs a{dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride};
    const int32_t strength = Level(opaque1).setting;
    if (srcBytesPerPixel == 1 && strength >= 0 && strength <= kMaxStrength)
        return SharpenRows<uint8_t, 1, 1, true>(a, strength, 255);
    return SharpenRows<uint8_t, 0, 1, false>(a, strength, 255);
}

int32_t Sharpen24(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void* opaque1, const void*)
{
    const KernelArgs a{dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride};
    const int32_t strength = Level(opaque1).setting;
    const bool small = strength >= 0 && strength <= kMaxStrength;
    if (srcBytesPerPixel == 3 && small)
        return SharpenRows<uint8_t, 3, 3, true>(a, strength, 255);
    if (srcBytesPerPixel == 4 && small)
        return SharpenRows<uint8_t, 4, 3, true>(a, strength, 255);
    return SharpenRows<uint8_t, 0, 3, false>(a, strength, 255);
}

int32_t Sharpen16(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void* opaque1, const void*)
{
    const KernelArgs a{dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride};
    const LevelParams& level = Level(opaque1);
    const int32_t full = (1 << SampleBits(level.significantBits)) - 1;
    if (srcBytesPerPixel == 2)
        return SharpenRows<uint16_t, 1, 1, false>(a, level.setting, full);
    return SharpenRows<uint16_t, 0, 1, false>(a, level.setting, full);
}

int32_t Sharpen48(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void* opaque1, const void*)
{
    const KernelArgs a{dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride};
    const LevelParams& level = Level(opaque1);
    const int32_t full = (1 << SampleBits(level.significantBits)) - 1;
    if (srcBytesPerPixel == 6)
        return SharpenRows<uint16_t, 3, 3, false>(a, level.setting, full);
    if (srcBytesPerPixel == 8)
        return SharpenRows<uint16_t, 4, 3, false>(a, level.setting, full);
    return SharpenRows<uint16_t, 0, 3, false>(a, level.setting, full);
}

}  // namespace quelix
