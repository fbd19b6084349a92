// SPDX-License-Identifier: MIT
#include "video_formats.h"

#include <algorithm>
#include <numeric>

#include "QuelixSdk_205KWMX.h"

namespace quelix::gst {

namespace {

constexpr int64_t kLineOverheadClocks = 69;
constexpr int64_t kClocksPerSecond = 10'000'000;  // 0.1 us clocks

GstCaps* CapsOfModes(int32_t onlyBits, GstStructure* (*make)(const ColourMode&, void*), void* context)
{
    GstCaps* caps = gst_caps_new_empty();
    for (const ColourMode& mode : kColourModes)
        if (onlyBits == 0 || mode.bits == onlyBits)
            gst_caps_append_structure(caps, make(mode, context));
    return caps;
}

}  // namespace

std::optional<ColourMode> ModeOfFormat(GstVideoFormat format)
{
    for (const ColourMode& mode : kColourModes)
        if (mode.format == format)
            return mode;
    return std::nullopt;
}

std::optional<ColourMode> ModeOfBits(int32_t bits)
{
    for (const ColourMode& mode : kColourModes)
        if (mode.bits == bits)
            return mode;
    return std::nullopt;
}

uint64_t FramePeriodTenthsUs(int32_t width, int32_t height, int32_t exposureLines)
{
    const int64_t lines = std::max<int64_t>({height, exposureLines, 1});
    return static_cast<uint64_t>(lines * (std::max(width, 0) + kLineOverheadClocks));
}

int64_t ExposureLines(int64_t microseconds, int32_t width)
{
    const int64_t lines = microseconds * 10 / (width + kLineOverheadClocks);
    return std::max<int64_t>(lines, 1);
}

int64_t LongestExposureUs(int32_t width)
{
    // The time of QUELIX_EXPOSURE_MAX_LINES lines, as the library documents it.
    return int64_t{QUELIX_EXPOSURE_MAX_LINES} * (width + kLineOverheadClocks) / 10;
}

GstCaps* FrameCaps(int32_t width, int32_t height, uint64_t periodTenthsUs, int32_t onlyBits)
{
    struct Frame {
        int32_t width, height;
        int rateNumerator, rateDenominator;
    } frame{width, height, 0, 1};
    // Frame rate = 10^7 / period, reduced so that it fits a fraction of ints.
    if (periodTenthsUs > 0) {
        const uint64_t divisor = std::gcd(static_cast<uint64_t>(kClocksPerSecond), periodTenthsUs);
        frame.rateNumerator = static_cast<int>(kClocksPerSecond / divisor);
        frame.rateDenominator = static_cast<int>(periodTenthsUs / divisor);
    }
    return CapsOfModes(
        onlyBits,
        [](const ColourMode& mode, void* context) {
            const Frame& f = *static_cast<const Frame*>(context);
            return gst_structure_new(
                "video/x-raw", "format", G_TYPE_STRING, gst_video_format_to_string(mode.format), "width",
                G_TYPE_INT, f.width, "height", G_TYPE_INT, f.height, "framerate", GST_TYPE_FRACTION,
                f.rateNumerator, f.rateDenominator, "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
        },
        &frame);
}

GstCaps* TemplateCaps()
{
    return CapsOfModes(
        0,
        [](const ColourMode& mode, void*) {
            return gst_structure_new("video/x-raw", "format", G_TYPE_STRING,
                                     gst_video_format_to_string(mode.format), "width", GST_TYPE_INT_RANGE,
                                     QUELIX_WINDOW_MIN_WIDTH, QUELIX_SENSOR_WIDTH, "height",
                                     GST_TYPE_INT_RANGE, QUELIX_WINDOW_MIN_HEIGHT, QUELIX_SENSOR_HEIGHT,
                                     "framerate", GST_TYPE_FRACTION_RANGE, 0, 1, G_MAXINT, 1,
                                     "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
        },
        nullptr);
}

}  // namespace quelix::gst
