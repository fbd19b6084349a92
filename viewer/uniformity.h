// SPDX-License-Identifier: MIT
// How even a frame of a uniform scene is: the spread of its gray levels.
#pragma once

#include "frame_image.h"

namespace quelix::viewer {

// The standard deviation of the gray levels as a percentage of their mean,
// over the frame without its one-pixel border (where defect repair does not
// reach); 0 for an invalid, too small or black frame.
double NonUniformityPercent(const FrameImage& frame);

}  // namespace quelix::viewer
