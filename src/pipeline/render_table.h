// SPDX-License-Identifier: MIT
// The per-pixel stages after mirroring, folded into one lookup table from a
// work sample to an output pixel: the gray treatment by luminance (colour
// mode 0, gray mode 2), the false colour of modes 2 to 5, hue and
// saturation, gamma, contrast, and brightness when no sharpening comes
// between. Each of them maps a pixel on its own, so together they are a
// function of the work sample; the table is made by running the stages' own
// kernels over every work value, once per change of the settings, and is
// then one lookup per pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "image/dib_image.h"

namespace quelix {

struct RenderSettings {
    int32_t colorMode = 0;
    bool luminance = false;  // mode 0: gray levels through the palette's luminance
    int32_t hue = 0;
    int32_t saturation = 0;
    int32_t gamma = 100;
    int32_t contrast = 0;
    int32_t brightness = 0;  // 0 when brightness runs after sharpening

    bool operator==(const RenderSettings&) const = default;
};

class RenderTable {
public:
    // Makes the table for the settings unless it is already made for them.
    void Prepare(const RenderSettings& settings);
    // Maps every pixel of `work` (8 bits for colour modes 0, 2, 3, 16 bits for
    // 1, 4, 5) into `output` (the mode's depth; in modes 0 and 1 the work
    // image itself or another of its depth) over the area both cover. Modes
    // 0 and 1 with no stage copy the pixels, or leave them in place.
    void Render(const CDibImage& work, CDibImage& output) const;

private:
    void Make8To8();
    void Make16To16();
    void Make8ToColor(int32_t outputBytes);
    void Make16ToColor(int32_t outputBytes);

    bool made_ = false;
    RenderSettings settings_;
    bool identity_ = true;
    std::vector<uint8_t> gray8_;     // mode 0
    std::vector<uint16_t> gray16_;   // mode 1, every 16-bit value
    std::vector<uint32_t> color8_;   // modes 2, 3: B, G, R, 0
    std::vector<uint64_t> color16_;  // modes 4, 5: B, G, R samples and 0xFFFF, by min(v, 8078)
};

}  // namespace quelix
