// SPDX-License-Identifier: MIT
// The average of many frames of a capture window, made into a shading
// reference. A reference from one frame carries that frame's read and shot
// noise into every frame corrected against it; the mean of N frames has
// 1/sqrt(N) of that noise.
#pragma once

#include <cstdint>
#include <vector>

#include "device/mask_file.h"

namespace quelix {

class ReferenceAverage {
public:
    // Starts an average of the window at (x, y) of the sensor. False, and no
    // average, when the window does not lie on the 320 x 256 sensor.
    bool Start(int32_t x, int32_t y, int32_t width, int32_t height);

    // Adds a frame of the window: 16-bit words with 14-bit samples, rows
    // `stride` bytes apart, mirrored as the flags say (the average is kept
    // in the camera's own orientation, in which the pipeline corrects).
    // False when the stride cannot hold a row or no average was started.
    bool Add(const uint8_t* frame, int32_t stride, bool mirrorH, bool mirrorV);
    int64_t Frames() const { return frames_; }

    // Puts the rounded means into the dark or bright pair of `references`:
    // the 16-bit reference gets the mean sample, the 8-bit one the mean of
    // the samples narrowed to 8 bits as the camera's 8-bit mode delivers
    // them (shifted right by 6). Pixels outside the window keep their
    // values. False when no frame was added.
    bool StoreInto(MaskReferences& references, bool bright) const;

private:
    int32_t x_ = 0;
    int32_t y_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int64_t frames_ = 0;
    std::vector<uint64_t> sum16_;
    std::vector<uint64_t> sum8_;
};

}  // namespace quelix
