// SPDX-License-Identifier: MIT
#include "device/defect_masks.h"

#include <cstring>

namespace quelix {

namespace {

constexpr int32_t kBorder = 2;
constexpr int32_t kHot8 = 192;
constexpr int32_t kDead8 = 64;
constexpr int32_t kHot16 = 0x3000;
constexpr int32_t kDead16 = 4096;

template <class Sample>
void DeriveMask(const uint8_t* reference, int32_t referenceStride, bool bright, uint8_t* mask,
                int32_t maskStride)
{
    const int32_t hotAbove = sizeof(Sample) == 1 ? kHot8 : kHot16;
    const int32_t deadBelow = sizeof(Sample) == 1 ? kDead8 : kDead16;
    for (int32_t i = 0; i < kMaskHeight; ++i) {
        const uint8_t* from = reference + static_cast<ptrdiff_t>(i) * referenceStride;
        uint8_t* to = mask + static_cast<ptrdiff_t>(i) * maskStride;
        std::memset(to, 0, sizeof(Sample) * kMaskWidth);
        if (i < kBorder || i >= kMaskHeight - kBorder)
            continue;
        for (int32_t j = kBorder; j < kMaskWidth - kBorder; ++j) {
            Sample value;
            std::memcpy(&value, from + j * sizeof(Sample), sizeof value);
            const bool defect = bright ? value < deadBelow : value > hotAbove;
            const auto element = static_cast<Sample>(defect ? 1 : 0);
            std::memcpy(to + j * sizeof(Sample), &element, sizeof element);
        }
    }
}

template <class Sample>
std::vector<Sample> MaskOf(const std::vector<Sample>& reference, bool bright)
{
    std::vector<Sample> mask(kMaskPixels);
    constexpr auto stride = static_cast<int32_t>(sizeof(Sample) * kMaskWidth);
    DeriveMask<Sample>(reinterpret_cast<const uint8_t*>(reference.data()), stride, bright,
                       reinterpret_cast<uint8_t*>(mask.data()), stride);
    return mask;
}

}  // namespace

void DeriveDefectMask8(const uint8_t* reference, int32_t referenceStride, bool bright, uint8_t* mask,
                       int32_t maskStride)
{
    DeriveMask<uint8_t>(reference, referenceStride, bright, mask, maskStride);
}

void DeriveDefectMask16(const uint8_t* reference, int32_t referenceStride, bool bright, uint8_t* mask,
                        int32_t maskStride)
{
    DeriveMask<uint16_t>(reference, referenceStride, bright, mask, maskStride);
}

DefectMasks DeriveDefectMasks(const MaskReferences& references)
{
    return {MaskOf(references.dark8, false), MaskOf(references.bright8, true),
            MaskOf(references.dark16, false), MaskOf(references.bright16, true)};
}

}  // namespace quelix
