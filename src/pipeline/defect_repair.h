// SPDX-License-Identifier: MIT
// Repair of defective pixels in an 8-bit or 16-bit work image: a pixel is
// marked when the hot-pixel or the dead-pixel map names it, or when it
// differs from the mean of its four direct neighbours by at least the
// threshold; each marked pixel then takes the mean of the nearest unmarked
// pixel in each of the four directions. The maps cover the sensor; the work
// image lies at (offsetX, offsetY) on it, and maps that do not cover it
// count as naming no pixel. `marks` is scratch of the work image's size.
// 0 when the image is missing, else 1.
#pragma once

#include <cstdint>

#include "image/dib_image.h"

namespace quelix {

int RepairDefects8(CDibImage* image, const CDibImage* hot, const CDibImage* dead, int32_t offsetX,
                   int32_t offsetY, CDibImage* marks, int threshold);
int RepairDefects16(CDibImage* image, const CDibImage* hot, const CDibImage* dead, int32_t offsetX,
                    int32_t offsetY, CDibImage* marks, int threshold);

}  // namespace quelix
