// SPDX-License-Identifier: MIT
// Mirroring of a work image in place: horizontal reverses every row,
// vertical reverses the order of the rows, both together turn the image by
// 180 degrees. The padding at the end of each row is not touched.
#pragma once

#include "image/dib_image.h"

namespace quelix {

void MirrorImage(CDibImage& image, bool horizontal, bool vertical);

}  // namespace quelix
