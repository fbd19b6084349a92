// SPDX-License-Identifier: MIT
#include "device/reference_average.h"

#include <algorithm>
#include <cstring>

namespace quelix {

bool ReferenceAverage::Start(int32_t x, int32_t y, int32_t width, int32_t height)
{
    frames_ = 0;
    sum16_.clear();
    sum8_.clear();
    width_ = height_ = 0;
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || width > kMaskWidth - x || height > kMaskHeight - y)
        return false;
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
    const auto count = static_cast<size_t>(width) * static_cast<size_t>(height);
    sum16_.assign(count, 0);
    sum8_.assign(count, 0);
    return true;
}

bool ReferenceAverage::Add(const uint8_t* frame, int32_t stride, bool mirrorH, bool mirrorV)
{
    if (width_ == 0 || frame == nullptr || stride < 2 * width_)
        return false;
    for (int32_t i = 0; i < height_; ++i) {
        const uint8_t* row = frame + static_cast<ptrdiff_t>(mirrorV ? height_ - 1 - i : i) * stride;
        uint64_t* sum16 = &sum16_[static_cast<size_t>(i) * width_];
        uint64_t* sum8 = &sum8_[static_cast<size_t>(i) * width_];
        for (int32_t j = 0; j < width_; ++j) {
            uint16_t sample;
            std::memcpy(&sample, row + 2 * static_cast<ptrdiff_t>(mirrorH ? width_ - 1 - j : j),
                        sizeof sample);
            sample = std::min(sample, kReferenceFullScale);
            sum16[j] += sample;
            sum8[j] += sample >> 6;
        }
    }
    ++frames_;
    return true;
}

bool ReferenceAverage::StoreInto(MaskReferences& references, bool bright) const
{
    std::vector<uint8_t>& to8 = bright ? references.bright8 : references.dark8;
    std::vector<uint16_t>& to16 = bright ? references.bright16 : references.dark16;
    if (frames_ == 0 || to8.size() != kMaskPixels || to16.size() != kMaskPixels)
        return false;
    const auto frames = static_cast<uint64_t>(frames_);
    for (int32_t i = 0; i < height_; ++i) {
        for (int32_t j = 0; j < width_; ++j) {
            const size_t from = static_cast<size_t>(i) * width_ + j;
            const size_t to = static_cast<size_t>(y_ + i) * kMaskWidth + x_ + j;
            to16[to] = static_cast<uint16_t>((sum16_[from] + frames / 2) / frames);
            to8[to] = static_cast<uint8_t>((sum8_[from] + frames / 2) / frames);
        }
    }
    return true;
}

}  // namespace quelix
