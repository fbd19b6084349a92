// SPDX-License-Identifier: MIT
// The images of the camera object, one per role. Initialize makes every one
// (empty); capture start sizes those its colour mode needs, and the
// references and defect masks are sensor-sized from the start.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pipeline/color_modes.h"

namespace quelix {

enum class ImageRole : size_t {
    // Processed output images of colour modes 0 to 5; image8 and image16 are
    // also the work images the correction runs on.
    image8,
    image16,
    image24,
    image32,
    image48,
    image64,
    filterScratch,  // the rendered frame before sharpening
    displayImage,   // the preview scaled to the window's client area
    rawFrame,       // the frame as the camera sent it; guarded by rawFrameLock
    // Shading references, sensor-sized: dark and bright, 8 and 16 bits.
    darkRef8,
    brightRef8,
    darkRef16,
    brightRef16,
    // Defect masks, sensor-sized: hot (a) and dead (b) pixels, and the
    // repair's working copy (c), 8 and 16 bits.
    defectWork8a,
    defectWork8b,
    defectWork16a,
    defectWork16b,
    defectWork8c,
    defectWork16c,
    latestImage,  // the newest finished frame; guarded by displayLock
};

inline constexpr size_t kImageRoles = static_cast<size_t>(ImageRole::latestImage) + 1;

// The output image of colour mode 0 to 5: the first six roles, in mode
// order. The mode must be one of the table's (ColorModeOf not null).
inline ImageRole OutputRole(int32_t mode)
{
    return static_cast<ImageRole>(mode);
}

// The image the correction of the mode works on: 16-bit samples or 8-bit.
inline ImageRole WorkRole(int32_t mode)
{
    return UsesWideWork(mode) ? ImageRole::image16 : ImageRole::image8;
}

}  // namespace quelix
