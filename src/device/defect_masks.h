// SPDX-License-Identifier: MIT
// The defect masks of the correction pipeline, derived from the shading
// references: hot pixels are too bright in the dark reference, dead pixels
// too dark in the bright one. A mask element is 1 for a defective pixel and
// 0 otherwise, in the pixel width of its reference. The comparisons are
// strict, and a border of two pixels on every side is never marked:
//   8 bits:  dark > 192, bright < 64
//   16 bits: dark > 0x3000, bright < 4096
#pragma once

#include <cstdint>
#include <vector>

#include "device/mask_file.h"

namespace quelix {

// One mask of 320 x 256 pixels from its reference, both given by their first
// row and the bytes between rows. `bright` selects the bright reference's
// rule. Border elements are set to 0 too.
void DeriveDefectMask8(const uint8_t* reference, int32_t referenceStride, bool bright, uint8_t* mask,
                       int32_t maskStride);
void DeriveDefectMask16(const uint8_t* reference, int32_t referenceStride, bool bright, uint8_t* mask,
                        int32_t maskStride);

// The four masks of a set of references, rows without padding.
struct DefectMasks {
    std::vector<uint8_t> hot8;     // from dark8
    std::vector<uint8_t> dead8;    // from bright8
    std::vector<uint16_t> hot16;   // from dark16
    std::vector<uint16_t> dead16;  // from bright16
};

DefectMasks DeriveDefectMasks(const MaskReferences& references);

}  // namespace quelix
