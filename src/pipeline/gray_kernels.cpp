// SPDX-License-Identifier: MIT
// The gray treatments of 8-bit mono output: per-phase gray balance (measure
// and apply) and the luminance of B, G, R pixels.
#include <array>

#include "image/kernel_loops.h"
#include "pipeline/gray_phases.h"
#include "pipeline/pixel_kernels.h"

namespace quelix {

namespace {

uint8_t* DestinationRow(const KernelArgs& a, int32_t i)
{
    return a.dst + static_cast<ptrdiff_t>(a.y + i) * a.dstStride + static_cast<ptrdiff_t>(a.x) * a.dstStep;
}

const uint8_t* SourceRow(const KernelArgs& a, int32_t i)
{
    return a.src + static_cast<ptrdiff_t>(a.rect.top + i) * a.srcStride +
           static_cast<ptrdiff_t>(a.rect.left) * a.srcStep;
}

// New gain of a phase from the means: trunc(mG1 / mean x 128) in single precision.
int32_t BalancedGain(float meanG1, float mean)
{
    return static_cast<int32_t>(meanG1 / mean * 128.0f);
}

}  // namespace

int32_t GrayBalanceMeasure(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                           int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                           int32_t srcStride, const void* opaque1, const void*)
{
    // The block is the caller's own, handed over to receive the gains.
    auto& params = *const_cast<GrayParams*>(static_cast<const GrayParams*>(opaque1));
    const KernelArgs a{dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride};
    const int32_t rows = rect.bottom - rect.top;
    const int32_t columns = rect.right - rect.left;
    std::array<uint64_t, 4> sums{};
    std::array<uint64_t, 4> counts{};
    for (int32_t i = 0; i < rows; ++i) {
        const uint8_t* row = SourceRow(a, i);
        // Values 0 and 255 are not counted.
        std::array<uint32_t, 2> rowSums{};
        std::array<uint32_t, 2> rowCounts{};
        for (int32_t j = 0; j < columns; ++j) {
            const uint32_t value = row[j];
            const uint32_t counted = (value - 1) < 254u ? 1 : 0;
            rowSums[j & 1] += value * counted;
            rowCounts[j & 1] += counted;
        }
        const int phase = RowStartPhase(params.bayerMode, i, columns);
        for (int k = 0; k < 2; ++k) {
            sums[phase ^ k] += rowSums[k];
            counts[phase ^ k] += rowCounts[k];
        }
    }
    if (counts[kPhaseG1] == 0)
        return 1;
    const auto mean = [&](int phase) {
        return static_cast<float>(sums[phase]) / static_cast<float>(counts[phase]);
    };
    const float meanG1 = mean(kPhaseG1);
    params.grayGainG1 = 128;
    if (counts[kPhaseR] != 0)
        params.grayGainR = BalancedGain(meanG1, mean(kPhaseR));
    if (counts[kPhaseG2] != 0)
        params.grayGainG2 = BalancedGain(meanG1, mean(kPhaseG2));
    if (counts[kPhaseB] != 0)
        params.grayGainB = BalancedGain(meanG1, mean(kPhaseB));
    return 1;
}

int32_t GrayBalanceApply(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                         int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                         int32_t srcStride, const void* opaque1, const void*)
{
    const auto& params = *static_cast<const GrayParams*>(opaque1);
    const KernelArgs a{dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride};
    const std::array<int32_t, 4> gains = PhaseGains(params);
    const std::array<int32_t, 4> offsets = PhaseOffsets(params);
    std::array<std::array<uint8_t, 256>, 4> tables;
    for (int phase = 0; phase < 4; ++phase) {
        for (int32_t value = 0; value < 256; ++value)
            tables[phase][value] = GrayBalanceLevel(value, gains[phase], offsets[phase]);
    }
    const int32_t rows = rect.bottom - rect.top;
    const int32_t columns = rect.right - rect.left;
    for (int32_t i = 0; i < rows; ++i) {
        const uint8_t* from = SourceRow(a, i);
        uint8_t* to = DestinationRow(a, i);
        const int phase = RowStartPhase(params.bayerMode, i, columns);
        const uint8_t* even = tables[phase].data();
        const uint8_t* odd = tables[phase ^ 1].data();
        int32_t j = 0;
        for (; j + 1 < columns; j += 2) {
            to[j] = even[from[j]];
            to[j + 1] = odd[from[j + 1]];
        }
        if (j < columns)
            to[j] = even[from[j]];
    }
    return 1;
}

int32_t BgrToGray(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void*, const void*)
{
    return ForEachPixel<false, Steps<1, 3>, Steps<1, 4>>(
        {dst, src, rect, x, y, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride},
        [](uint8_t* to, const uint8_t* from) {
            const uint32_t blue = from[0];
            const uint32_t green = from[1];
            const uint32_t red = from[2];
            *to = static_cast<uint8_t>((30 * red + 59 * green + 11 * blue) / 100);
        });
}

}  // namespace quelix
