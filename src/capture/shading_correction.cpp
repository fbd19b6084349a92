#include "capture/shading_correction.h"

#include <algorithm>
#include <cstring>

#include "output/kernel_loops.h"

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
template <int Bits, class Sample>
void ShadeRow(uint8_t* row, int32_t count, const int32_t* dark, const int32_t* spans, const float* reciprocals)
{
    for (int32_t j = 0; j < count; ++j) {
        Sample stored;
        std::memcpy(&stored, row + static_cast<ptrdiff_t>(j) * sizeof(Sample), sizeof stored);
        const auto result = static_cast<Sample>(ShadeSample<Bits>(stored, dark[j], spans[j], reciprocals[j]));
        std::memcpy(row + static_cast<ptrdiff_t>(j) * sizeof(Sample), &result, sizeof result);
    }
}

}  // namespace

template <int Bits>
ShadingFactor MakeShadingFactor(int32_t dark, int32_t bright)
{
    // 8 bits correct wherever the references differ, 16 bits only where the
    // bright one lies above the dark one.
    const int32_t span = Bits == 8 || bright > dark ? bright - dark : 0;
    if (span == 0)
        return {dark, 0, 0.0f};
    return {dark, span, static_cast<float>(1 << Bits) / static_cast<float>(span < 0 ? -span : span)};
}

template ShadingFactor MakeShadingFactor<8>(int32_t, int32_t);
template ShadingFactor MakeShadingFactor<14>(int32_t, int32_t);

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
            const ShadingFactor factor = MakeShadingFactor<Bits>(LoadReference<Bits>(dark.pBits + darkAt),
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
    using Sample = std::conditional_t<Bits == 8, uint8_t, uint16_t>;
    for (int32_t i = 0; i < rows; ++i) {
        const size_t k = static_cast<size_t>(offsetY + i) * width_ + offsetX;
        ShadeRow<Bits, Sample>(work.pBits + static_cast<ptrdiff_t>(i) * work.stride, columns, &dark_[k], &span_[k],
                               &reciprocal_[k]);
    }
}

template class ShadingCorrection<8>;
template class ShadingCorrection<14>;

}  // namespace quelix
