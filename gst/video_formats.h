// SPDX-License-Identifier: MIT
// The camera's colour modes that have a GStreamer video format, and the
// frame timing that follows from the capture window and the exposure.
#pragma once

#include <gst/video/video.h>

#include <cstdint>
#include <optional>

namespace quelix::gst {

struct ColourMode {
    int32_t bits;            // QUELIX_COLOR_ value
    GstVideoFormat format;   // the GStreamer format of its frames
    bool fourteenBitWords;   // 16-bit words holding 14-bit samples
    bool fourthWordIsAlpha;  // the unused fourth word becomes an opaque alpha
};

// The modes in the order caps offer them (the first is the default).
inline constexpr ColourMode kColourModes[] = {
    {16, GST_VIDEO_FORMAT_GRAY16_LE, true, false}, {8, GST_VIDEO_FORMAT_GRAY8, false, false},
    {24, GST_VIDEO_FORMAT_BGR, false, false},      {32, GST_VIDEO_FORMAT_BGRx, false, false},
    {64, GST_VIDEO_FORMAT_BGRA64_LE, true, true},
};

std::optional<ColourMode> ModeOfFormat(GstVideoFormat format);
std::optional<ColourMode> ModeOfBits(int32_t bits);

// The sensor time of one frame in units of 0.1 us: max(window height,
// exposure lines) lines of (window width + 69) clocks (docs/camera-model.md).
uint64_t FramePeriodTenthsUs(int32_t width, int32_t height, int32_t exposureLines);
// The exposure lines a time in microseconds gives at a window width, as
// the library converts it (truncated, at least one line).
int64_t ExposureLines(int64_t microseconds, int32_t width);
// The longest exposure time the camera takes at a window width.
int64_t LongestExposureUs(int32_t width);

// Caps of the frames: one structure per format (all modes, or only
// `onlyBits` when nonzero), fixed size and frame rate.
GstCaps* FrameCaps(int32_t width, int32_t height, uint64_t periodTenthsUs, int32_t onlyBits);
// Caps of every format at every window size and any rate (the pad template).
GstCaps* TemplateCaps();

}  // namespace quelix::gst
