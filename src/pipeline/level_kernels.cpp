// SPDX-License-Identifier: MIT
// Gamma, contrast and brightness in their four formats: lookup tables for
// gamma and contrast (kept per thread for the setting they were built for),
// a single-precision factor for brightness, multiplied in vectors.
#include <algorithm>
#include <utility>

#include "image/instruction_sets.h"
#include "image/kernel_loops.h"
#include "pipeline/level_tables.h"
#include "pipeline/pixel_kernels.h"
#include "pipeline/thread_cache.h"

namespace quelix {

namespace {

const LevelParams& Level(const void* opaque)
{
    return *static_cast<const LevelParams*>(opaque);
}

// In place over 8-bit channels: each of `Channels` bytes of a pixel through `table`.
template <int Channels>
int32_t ApplyTable8(const KernelArgs& a, const LevelTable8& table)
{
    const auto pixel = [&table](uint8_t* to, const uint8_t* from) {
        for (int c = 0; c < Channels; ++c)
            to[c] = table[from[c]];
    };
    if constexpr (Channels == 1)
        return ForEachPixel<false, Steps<1, 1>>(a, pixel);
    else
        return ForEachPixel<false, Steps<3, 3>, Steps<4, 4>>(a, pixel);
}

// In place over 16-bit samples: each of `Channels` samples through `table`
// (2^B + 1 entries, the last for samples at or above 2^B).
template <int Channels>
int32_t ApplyTable16(const KernelArgs& a, const LevelTable16& table)
{
    const unsigned last = static_cast<unsigned>(table.size() - 1);
    const uint16_t* entries = table.data();
    const auto pixel = [entries, last](uint8_t* to, const uint8_t* from) {
        for (int c = 0; c < Channels; ++c)
            Store16(to + 2 * c, entries[std::min<unsigned>(Load16(from + 2 * c), last)]);
    };
    if constexpr (Channels == 1)
        return ForEachPixel<false, Steps<2, 2>>(a, pixel);
    else
        return ForEachPixel<false, Steps<6, 6>, Steps<8, 8>>(a, pixel);
}

struct KeptLanesTag {};

// In place over the samples of each row (a pixel's channels side by side):
// each sample times the factor; lanes that `kept` marks (Kept) stay.
template <class Sample, bool Kept>
inline void BrightenRow(uint8_t* row, const uint8_t* kept, int32_t lanes, float factor, int32_t full)
{
    for (int32_t k = 0; k < lanes; ++k) {
        uint8_t* at = row + static_cast<ptrdiff_t>(k) * static_cast<ptrdiff_t>(sizeof(Sample));
        const int32_t value = sizeof(Sample) == 1 ? *at : Load16(at);
        const int32_t level = Kept && kept[k] != 0 ? value : BrightenLevel(value, factor, full);
        if constexpr (sizeof(Sample) == 1)
            *at = static_cast<uint8_t>(level);
        else
            Store16(at, static_cast<unsigned>(level));
    }
}

template <class Sample, bool Kept>
inline void BrightenRows(const KernelArgs& a, const uint8_t* kept, int32_t lanes, float factor, int32_t full)
{
    const int32_t rows = a.rect.bottom - a.rect.top;
    for (int32_t i = 0; i < rows; ++i) {
        uint8_t* row =
            a.dst + static_cast<ptrdiff_t>(a.y + i) * a.dstStride + static_cast<ptrdiff_t>(a.x) * a.dstStep;
        BrightenRow<Sample, Kept>(row, kept, lanes, factor, full);
    }
}

// Brightness in place: `channels` of each pixel's samples, in the
// instruction set's widest vectors.
template <class Sample>
int32_t Brighten(const KernelArgs& a, int32_t channels, float factor, int32_t full)
{
    constexpr auto kSampleBytes = static_cast<int32_t>(sizeof(Sample));
    const int32_t pixelSamples = a.dstStep / kSampleBytes;
    const int32_t columns = a.rect.right - a.rect.left;
    // In place only, over pixels that hold the channels.
    if (a.dst != a.src || a.dstStep != a.srcStep || a.x != a.rect.left || a.y != a.rect.top ||
        a.dstStride != a.srcStride || pixelSamples < channels || columns <= 0)
        return ForEachPixel<false>(a, [factor, full, channels](uint8_t* to, const uint8_t* from) {
            for (int32_t c = 0; c < channels; ++c) {
                if constexpr (sizeof(Sample) == 1)
                    to[c] = static_cast<uint8_t>(BrightenLevel(from[c], factor, full));
                else
                    Store16(to + 2 * c,
                            static_cast<unsigned>(BrightenLevel(Load16(from + 2 * c), factor, full)));
            }
        });
    const int32_t lanes = columns * pixelSamples;
    if (pixelSamples == channels) {
        RunVectorised(
            [a, lanes, factor, full] { BrightenRows<Sample, false>(a, nullptr, lanes, factor, full); });
        return 1;
    }
    uint8_t* kept = ThreadScratch<uint8_t, KeptLanesTag>(static_cast<size_t>(lanes)).data();
    for (int32_t k = 0; k < lanes; ++k)
        kept[k] = k % pixelSamples >= channels ? 1 : 0;
    RunVectorised(
        [a, kept, lanes, factor, full] { BrightenRows<Sample, true>(a, kept, lanes, factor, full); });
    return 1;
}

const LevelTable8& CachedGamma8(int32_t gamma)
{
    return ThreadCachedTable(gamma, [](int32_t setting) { return GammaTable8(setting); });
}

const LevelTable16& CachedGamma16(int32_t gamma, int32_t bits)
{
    return ThreadCachedTable(std::pair{gamma, bits}, [](std::pair<int32_t, int32_t> key) {
        return GammaTable16(key.first, key.second);
    });
}

const LevelTable8& CachedContrast8(int32_t contrast)
{
    return ThreadCachedTable(contrast, [](int32_t setting) { return ContrastTable8(setting); });
}

const LevelTable16& CachedContrast16(int32_t contrast, int32_t bits)
{
    return ThreadCachedTable(std::pair{contrast, bits}, [](std::pair<int32_t, int32_t> key) {
        return ContrastTable16(key.first, key.second);
    });
}

}  // namespace

int32_t Gamma8(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
               int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
               const void* opaque1, const void*)
{
    return ApplyTable8<1>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                          CachedGamma8(Level(opaque1).setting));
}

int32_t Gamma24(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                const void* opaque1, const void*)
{
    return ApplyTable8<3>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                          CachedGamma8(Level(opaque1).setting));
}

int32_t Gamma16(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                const void* opaque1, const void*)
{
    const LevelParams& level = Level(opaque1);
    return ApplyTable16<1>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                           CachedGamma16(level.setting, SampleBits(level.significantBits)));
}

int32_t Gamma48(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                const void* opaque1, const void*)
{
    const LevelParams& level = Level(opaque1);
    return ApplyTable16<3>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                           CachedGamma16(level.setting, SampleBits(level.significantBits)));
}

int32_t Contrast8(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void* opaque1, const void*)
{
    return ApplyTable8<1>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                          CachedContrast8(Level(opaque1).setting));
}

int32_t Contrast24(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                   int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                   const void* opaque1, const void*)
{
    return ApplyTable8<3>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                          CachedContrast8(Level(opaque1).setting));
}

int32_t Contrast16(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                   int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                   const void* opaque1, const void*)
{
    const LevelParams& level = Level(opaque1);
    return ApplyTable16<1>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                           CachedContrast16(level.setting, SampleBits(level.significantBits)));
}

int32_t Contrast48(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                   int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                   const void* opaque1, const void*)
{
    const LevelParams& level = Level(opaque1);
    return ApplyTable16<3>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                           CachedContrast16(level.setting, SampleBits(level.significantBits)));
}

int32_t Brightness8(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                    int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                    const void* opaque1, const void*)
{
    return Brighten<uint8_t>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                             1, BrightnessFactor(Level(opaque1).setting), 255);
}

int32_t Brightness24(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                     int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                     const void* opaque1, const void*)
{
    return Brighten<uint8_t>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                             3, BrightnessFactor(Level(opaque1).setting), 255);
}

int32_t Brightness16(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                     int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                     const void* opaque1, const void*)
{
    const LevelParams& level = Level(opaque1);
    return Brighten<uint16_t>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, 1,
        BrightnessFactor(level.setting), (1 << SampleBits(level.significantBits)) - 1);
}

int32_t Brightness48(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                     int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                     const void* opaque1, const void*)
{
    const LevelParams& level = Level(opaque1);
    return Brighten<uint16_t>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}, 3,
        BrightnessFactor(level.setting), (1 << SampleBits(level.significantBits)) - 1);
}

}  // namespace quelix
