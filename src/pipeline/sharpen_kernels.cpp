// SPDX-License-Identifier: MIT
// Unsharp masking against a 4 x 4 box: for every pixel at least two rows and
// columns inside the rectangle, o' = o + s x (o - box) / 10 with box the
// mean (sum >> 4) of the 4 x 4 source pixels from two rows and columns above
// and left to one below and right. The box sums run down the image: each
// row's column sums are the last row's plus the new row below minus the row
// that left the box. The rows are plain loops over the samples of a row (a
// pixel's channels side by side), vectorised for the processor's widest
// instruction set.
#include "pipeline/sharpen.h"

#include <algorithm>

#include "image/instruction_sets.h"
#include "image/kernel_loops.h"
#include "pipeline/level_tables.h"
#include "pipeline/pixel_kernels.h"
#include "pipeline/thread_cache.h"

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
struct KeptLanesTag {};

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

// What one sharpening pass does: the strength and its range, the full scale
// of a sample, and the brightness factor applied to each result (Brighten).
struct SharpenRule {
    int32_t strength;
    int32_t full;
    float brightness;
};

template <class Sample, bool SmallTerms, bool Brighten>
inline int32_t SharpenLevel(int32_t original, int32_t box, const SharpenRule& rule)
{
    const int32_t sharpened = SmallTerms ? SharpenSmall(original, box, rule.strength)
                                         : original + rule.strength * (original - box) / 10;
    const int32_t level = std::clamp(sharpened, 0, rule.full);
    if constexpr (Brighten)
        return BrightenLevel(level, rule.brightness, rule.full);
    return level;
}

// Adds the entering row and takes away the leaving one from the column sums.
template <class Sample>
inline void SlideSums(BoxSum<Sample>* sums, const uint8_t* entering, const uint8_t* leaving, int32_t lanes)
{
    constexpr ptrdiff_t kBytes = sizeof(Sample);
    for (int32_t k = 0; k < lanes; ++k) {
        sums[k] = static_cast<BoxSum<Sample>>(sums[k] + LoadSample<Sample>(entering + k * kBytes) -
                                              LoadSample<Sample>(leaving + k * kBytes));
    }
}

// Lanes first ... end - 1 of one row; `step` samples apart are neighbouring
// pixels. Lanes that `kept` marks (Kept) take their value from `keptFrom`
// (the destination row itself, or the source row).
template <class Sample, bool SmallTerms, bool Brighten, bool Kept>
inline void SharpenLanes(uint8_t* to, const uint8_t* from, const uint8_t* keptFrom,
                         const BoxSum<Sample>* sums, const uint8_t* kept, int32_t first, int32_t end,
                         int32_t step, SharpenRule rule)
{
    using Sum = BoxSum<Sample>;
    constexpr ptrdiff_t kBytes = sizeof(Sample);
    for (int32_t k = first; k < end; ++k) {
        const auto boxSum = static_cast<Sum>(sums[k - 2 * step] + sums[k - step] + sums[k] + sums[k + step]);
        const int32_t level = SharpenLevel<Sample, SmallTerms, Brighten>(
            LoadSample<Sample>(from + k * kBytes), boxSum >> 4, rule);
        if constexpr (Kept)
            StoreSample<Sample>(to + k * kBytes,
                                kept[k] != 0 ? LoadSample<Sample>(keptFrom + k * kBytes) : level);
        else
            StoreSample<Sample>(to + k * kBytes, level);
    }
}

// Lanes first ... end - 1 of a border row: the source's value, brightened
// (Brighten); kept lanes as in SharpenLanes.
template <class Sample, bool Brighten, bool Kept>
inline void BorderLanes(uint8_t* to, const uint8_t* from, const uint8_t* keptFrom, const uint8_t* kept,
                        int32_t first, int32_t end, SharpenRule rule)
{
    constexpr ptrdiff_t kBytes = sizeof(Sample);
    for (int32_t k = first; k < end; ++k) {
        int32_t level = LoadSample<Sample>(from + k * kBytes);
        if constexpr (Brighten)
            level = BrightenLevel(level, rule.brightness, rule.full);
        if constexpr (Kept)
            StoreSample<Sample>(to + k * kBytes,
                                kept[k] != 0 ? LoadSample<Sample>(keptFrom + k * kBytes) : level);
        else
            StoreSample<Sample>(to + k * kBytes, level);
    }
}

struct SharpenShape {
    int32_t rows;
    int32_t lanes;         // samples per row
    int32_t pixelSamples;  // samples per pixel
    bool interior;         // at least 5 x 5 pixels: some are sharpened
    bool border;           // write the two outer rows and columns too, and kept lanes from the source
};

template <class Sample, bool SmallTerms, bool Brighten, bool Kept>
void SharpenImage(const KernelArgs& a, const SharpenShape& shape, const SharpenRule& rule,
                  const uint8_t* kept)
{
    using Sum = BoxSum<Sample>;
    constexpr ptrdiff_t kBytes = sizeof(Sample);
    const int32_t lanes = shape.lanes;
    const int32_t step = shape.pixelSamples;
    Sum* sums = ThreadScratch<Sum, ColumnSumsTag>(static_cast<size_t>(lanes)).data();
    const SharpenRule r = rule;
    const auto sourceRow = [&](int32_t i) {
        return a.src + static_cast<ptrdiff_t>(a.rect.top + i) * a.srcStride +
               static_cast<ptrdiff_t>(a.rect.left) * a.srcStep;
    };
    const auto targetRow = [&](int32_t i) {
        return a.dst + static_cast<ptrdiff_t>(a.y + i) * a.dstStride +
               static_cast<ptrdiff_t>(a.x) * a.dstStep;
    };
    // Kept lanes: the source's in a whole pass, else the destination's own.
    const auto keptFrom = [&](int32_t i) { return shape.border ? sourceRow(i) : targetRow(i); };
    if (!shape.interior) {
        for (int32_t i = 0; i < shape.rows; ++i)
            BorderLanes<Sample, Brighten, Kept>(targetRow(i), sourceRow(i), keptFrom(i), kept, 0, lanes, r);
        return;
    }
    const uint8_t* top[4] = {sourceRow(0), sourceRow(1), sourceRow(2), sourceRow(3)};
    for (int32_t k = 0; k < lanes; ++k) {
        sums[k] = static_cast<Sum>(
            LoadSample<Sample>(top[0] + k * kBytes) + LoadSample<Sample>(top[1] + k * kBytes) +
            LoadSample<Sample>(top[2] + k * kBytes) + LoadSample<Sample>(top[3] + k * kBytes));
    }
    const int32_t first = 2 * step;
    const int32_t end = lanes - 2 * step;
    for (int32_t i = 0; i < shape.rows; ++i) {
        uint8_t* to = targetRow(i);
        const uint8_t* from = sourceRow(i);
        const uint8_t* keptRow = keptFrom(i);
        if (i < 2 || i >= shape.rows - 2) {
            if (shape.border)
                BorderLanes<Sample, Brighten, Kept>(to, from, keptRow, kept, 0, lanes, r);
            continue;
        }
        if (i > 2)
            SlideSums<Sample>(sums, sourceRow(i + 1), sourceRow(i - 3), lanes);
        SharpenLanes<Sample, SmallTerms, Brighten, Kept>(to, from, keptRow, sums, kept, first, end, step, r);
        if (shape.border) {
            BorderLanes<Sample, Brighten, Kept>(to, from, keptRow, kept, 0, first, r);
            BorderLanes<Sample, Brighten, Kept>(to, from, keptRow, kept, end, lanes, r);
        }
    }
}

// The kept lanes of pixels with `pixelSamples` samples of which the first
// `channels` are colours: 1 for every other sample.
const uint8_t* KeptLanes(int32_t lanes, int32_t pixelSamples, int32_t channels)
{
    uint8_t* kept = ThreadScratch<uint8_t, KeptLanesTag>(static_cast<size_t>(lanes)).data();
    for (int32_t k = 0; k < lanes; ++k)
        kept[k] = k % pixelSamples >= channels ? 1 : 0;
    return kept;
}

template <class Sample, bool SmallTerms>
void SharpenChoosingBrightness(const KernelArgs& a, const SharpenShape& shape, const SharpenRule& rule,
                               const uint8_t* kept, bool brighten)
{
    const auto run = [&]<bool Brighten, bool Kept>() {
        RunVectorised([a, shape, rule, kept] {
            SharpenImage<Sample, SmallTerms, Brighten, Kept>(a, shape, rule, kept);
        });
    };
    if (brighten && kept != nullptr)
        run.template operator()<true, true>();
    else if (brighten)
        run.template operator()<true, false>();
    else if (kept != nullptr)
        run.template operator()<false, true>();
    else
        run.template operator()<false, false>();
}

}  // namespace

int32_t SharpenPass(const KernelArgs& a, const SharpenRequest& request)
{
    const int32_t pixelSamples = a.srcStep / request.sampleBytes;
    const int32_t rows = a.rect.bottom - a.rect.top;
    const int32_t columns = a.rect.right - a.rect.left;
    // Unknown pixel formats (other steps for source and destination, or
    // pixels smaller than the channels) are left alone.
    if (rows <= 0 || columns <= 0 || a.dstStep != a.srcStep || pixelSamples < request.channels)
        return 1;
    const bool interior = rows >= 5 && columns >= 5;
    if (!interior && !request.border)
        return 1;
    const SharpenShape shape{rows, columns * pixelSamples, pixelSamples, interior, request.border};
    const int32_t full = request.sampleBytes == 1 ? 255 : (1 << SampleBits(request.significantBits)) - 1;
    const SharpenRule rule{request.strength, full, BrightnessFactor(request.brightness)};
    const uint8_t* kept =
        pixelSamples > request.channels ? KeptLanes(shape.lanes, pixelSamples, request.channels) : nullptr;
    const bool brighten = request.brightness != 0;
    if (request.sampleBytes == 1 && request.strength >= 0 && request.strength <= kMaxStrength)
        SharpenChoosingBrightness<uint8_t, true>(a, shape, rule, kept, brighten);
    else if (request.sampleBytes == 1)
        SharpenChoosingBrightness<uint8_t, false>(a, shape, rule, kept, brighten);
    else
        SharpenChoosingBrightness<uint16_t, false>(a, shape, rule, kept, brighten);
    return 1;
}

namespace {

int32_t SharpenKernel(const KernelArgs& a, const void* opaque1, int32_t sampleBytes, int32_t channels)
{
    const auto& level = *static_cast<const LevelParams*>(opaque1);
    return SharpenPass(a, {sampleBytes, channels, level.setting, level.significantBits, 0, false});
}

}  // namespace

int32_t Sharpen8(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                 int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                 const void* opaque1, const void*)
{
    return SharpenKernel({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                         opaque1, 1, 1);
}

int32_t Sharpen24(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void* opaque1, const void*)
{
    return SharpenKernel({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                         opaque1, 1, 3);
}

int32_t Sharpen16(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void* opaque1, const void*)
{
    return SharpenKernel({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                         opaque1, 2, 1);
}

int32_t Sharpen48(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void* opaque1, const void*)
{
    return SharpenKernel({dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
                         opaque1, 2, 3);
}

}  // namespace quelix
