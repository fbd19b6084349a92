// SPDX-License-Identifier: MIT
// The gray levels along a line drawn over the picture: one sample per
// picture pixel of the line's longer extent, at the pixel nearest the line.
#pragma once

#include <vector>

#include "frame_image.h"

namespace quelix::viewer {

struct ProfilePoint {
    int x = 0;
    int y = 0;
    int level = 0;
};

// The samples from (x0, y0) to (x1, y1), both ends included; ends outside the
// frame are held to its edge. An invalid frame gives none.
std::vector<ProfilePoint> SampleLine(const FrameImage& frame, int x0, int y0, int x1, int y1);

}  // namespace quelix::viewer
