// Gamma, contrast and brightness in their four formats: lookup tables for
// gamma and contrast (kept per thread for the setting they were built for),
// a single-precision factor for brightness (through a table of the 256
// levels at 8 bits).
#include <algorithm>
#include <utility>

#include "capture/level_tables.h"
#include "capture/pixel_kernels.h"
#include "capture/thread_cache.h"
#include "output/kernel_loops.h"

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

template <int Channels>
int32_t Brighten16(const KernelArgs& a, float factor, int32_t bits)
{
    const int32_t full = (1 << bits) - 1;
    const auto pixel = [factor, full](uint8_t* to, const uint8_t* from) {
        for (int c = 0; c < Channels; ++c) {
            const auto level = static_cast<int32_t>(static_cast<float>(Load16(from + 2 * c)) * factor);
            Store16(to + 2 * c, static_cast<unsigned>(std::min(level, full)));
        }
    };
    if constexpr (Channels == 1)
        return ForEachPixel<false, Steps<2, 2>>(a, pixel);
    else
        return ForEachPixel<false, Steps<6, 6>, Steps<8, 8>>(a, pixel);
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
    return ApplyTable8<1>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                          BrightnessTable8(Level(opaque1).setting));
}

int32_t Brightness24(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                     int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                     const void* opaque1, const void*)
{
    return ApplyTable8<3>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                          BrightnessTable8(Level(opaque1).setting));
}

int32_t Brightness16(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                     int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                     const void* opaque1, const void*)
{
    const LevelParams& level = Level(opaque1);
    return Brighten16<1>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                         BrightnessFactor(level.setting), SampleBits(level.significantBits));
}

int32_t Brightness48(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                     int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                     const void* opaque1, const void*)
{
    const LevelParams& level = Level(opaque1);
    return Brighten16<3>({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                         BrightnessFactor(level.setting), SampleBits(level.significantBits));
}

}  // namespace quelix
