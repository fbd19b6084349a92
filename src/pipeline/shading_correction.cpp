// SPDX-License-Identifier: MIT
#include "pipeline/shading_correction.h"

#include <algorithm>
#include <cstring>

#include "image/instruction_sets.h"
#include "image/kernel_loops.h"

namespace quelix {

namespace {

template <int Bits>
int32_t LoadReference(const uint8_t* pixel)
{
    if constexpr (Bits == 8)
        return *pixel;
    else
        return Load16(pixel);
}

bool SameBytes(const std::vector<uint8_t>& kept, const CDibImage& image)
{
    const auto size = static_cast<size_t>(image.stride) * static_cast<size_t>(image.height);
    return kept.size() == size && std::memcmp(kept.data(), image.pBits, size) == 0;
}

std::vector<uint8_t> BytesOf(const CDibImage& image)
{
    const auto size = static_cast<size_t>(image.stride) * static_cast<size_t>(image.height);
    return {image.pBits, image.pBits + size};
}

// One row of work samples against its row of factors.
template <int Bits, class Word, class Reciprocal>
inline void ShadeRow(uint8_t* row, int32_t count, const Word* dark, const Word* spans,
                     const Reciprocal* reciprocals)
{
    if constexpr (Bits == 8) {
        for (int32_t j = 0; j < count; ++j)
            row[j] = static_cast<uint8_t>(ShadeSample8(row[j], dark[j], spans[j], reciprocals[j]));
    } else {
        for (int32_t j = 0; j < count; ++j) {
            const auto result = static_cast<uint16_t>(ShadeSample16(
                Load16(row + 2 * static_cast<ptrdiff_t>(j)), dark[j], spans[j], reciprocals[j]));
            Store16(row + 2 * static_cast<ptrdiff_t>(j), result);
        }
    }
}

}  // namespace

template <>
ShadingFactor<8> MakeShadingFactor<8>(int32_t dark, int32_t bright)
{
    // Wherever the references differ; the span 1 leaves only p = 0.
    const int32_t span = bright - dark;
    const int32_t magnitude = span < 0 ? -span : span;
    const auto reciprocal =
        static_cast<uint16_t>(magnitude <= 1 ? 0xFFFF : (65536 + magnitude - 1) / magnitude);
    return {static_cast<int16_t>(dark), static_cast<int16_t>(span), span == 0 ? uint16_t{0} : reciprocal};
}

template <>
ShadingFactor<14> MakeShadingFactor<14>(int32_t dark, int32_t bright)
{
    // Only where the bright reference lies above the dark one.
    if (bright <= dark)
        return {dark, 0, 0.0f};
    return {dark, bright - dark, 16384.0f / static_cast<float>(bright - dark)};
}

template <int Bits>
void ShadingCorrection<Bits>::Update(const CDibImage& dark, const CDibImage& bright)
{
    if (dark.width == width_ && dark.height == height_ && SameBytes(darkBytes_, dark) &&
        SameBytes(brightBytes_, bright))
        return;
    darkBytes_ = BytesOf(dark);
    brightBytes_ = BytesOf(bright);
    width_ = dark.width;
    height_ = dark.height;
    const auto count = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    dark_.resize(count);
    span_.resize(count);
    reciprocal_.resize(count);
    constexpr ptrdiff_t kBytes = Bits == 8 ? 1 : 2;
    for (int32_t i = 0; i < height_; ++i) {
        for (int32_t j = 0; j < width_; ++j) {
            const ptrdiff_t darkAt = static_cast<ptrdiff_t>(i) * dark.stride + j * kBytes;
            const ptrdiff_t brightAt = static_cast<ptrdiff_t>(i) * bright.stride + j * kBytes;
            const Factor factor = MakeShadingFactor<Bits>(LoadReference<Bits>(dark.pBits + darkAt),
                                                          LoadReference<Bits>(bright.pBits + brightAt));
            const size_t k = static_cast<size_t>(i) * width_ + j;
            dark_[k] = factor.dark;
            span_[k] = factor.span;
            reciprocal_[k] = factor.reciprocal;
        }
    }
}

template <int Bits>
void ShadingCorrection<Bits>::Apply(CDibImage& work, const CDibImage& dark, const CDibImage& bright,
                                    int32_t offsetX, int32_t offsetY)
{
    constexpr int kBits = Bits == 8 ? 8 : 16;
    if (work.pBits == nullptr || dark.pBits == nullptr || bright.pBits == nullptr || work.bitCount != kBits ||
        dark.bitCount != kBits || bright.bitCount != kBits || dark.width != bright.width ||
        dark.height != bright.height || offsetX < 0 || offsetY < 0)
        return;
    Update(dark, bright);
    const int32_t rows = std::min(work.height, height_ - offsetY);
    const int32_t columns = std::min(work.width, width_ - offsetX);
    if (rows <= 0 || columns <= 0)
        return;
    const size_t first = static_cast<size_t>(offsetY) * width_ + offsetX;
    RunVectorised([pixels = work.pBits, stride = work.stride, rows, columns, width = width_,
                   dark = dark_.data() + first, spans = span_.data() + first,
                   reciprocals = reciprocal_.data() + first] {
        for (int32_t i = 0; i < rows; ++i) {
            const size_t k = static_cast<size_t>(i) * width;
            ShadeRow<Bits>(pixels + static_cast<ptrdiff_t>(i) * stride, columns, dark + k, spans + k,
                           reciprocals + k);
        }
    });
}

template class ShadingCorrection<8>;
template class ShadingCorrection<14>;

}  // namespace quelix
