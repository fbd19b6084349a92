// SPDX-License-Identifier: MIT
// False-colour rendering of mono frames through the 360-entry palette.
#pragma once

#include <cstdint>

#include "image/dib_image.h"

namespace quelix {

// Fills a 24-, 32-, 48- or 64-bit destination from an 8- or 16-bit mono
// source over the area both cover. Each sample v picks palette entry
// v x 256 / 360 (8 bits; at most 181) or v x 16 / 360 (16 bits), at most
// 359. 24 bits: bytes B, G, R; 32 bits: B, G, R, 0; 48 bits: words B x 16,
// G x 16, R x 16; 64 bits: the same and 0xFFFF. 0 when an image is missing
// or of another depth, else 1.
int FalseColor(CDibImage* destination, const CDibImage* source);

// The same over one row of `count` pixels, by bytes per pixel.
void FalseColorRow(uint8_t* destination, int32_t destinationBytes, const uint8_t* source, int32_t sourceBytes,
                   int32_t count);

}  // namespace quelix
