// SPDX-License-Identifier: MIT
// What the element's properties ask of the camera, checked before any of
// it reaches the camera, and how it is given to the camera.
#pragma once

#include <cstdint>
#include <string>

namespace quelix::gst {

struct CaptureWindow {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 320;
    int32_t height = 256;
};

// The image filter values the element sets by name: property name, filter
// id, range and the neutral value.
struct FilterProperty {
    const char* name;
    const char* blurb;
    int32_t id;
    int32_t minimum;
    int32_t maximum;
    int32_t neutral;
};
inline constexpr int kFilterCount = 6;
extern const FilterProperty kFilterProperties[kFilterCount];

struct CameraSettings {
    int32_t device = 0;
    int32_t exposureUs = 3890;  // 100 lines at the full sensor width
    bool autoExposure = false;
    CaptureWindow window;
    bool mirrorH = false;
    bool mirrorV = false;
    std::string maskFile;
    int32_t filters[kFilterCount] = {0, 0, 0, 0, 0, 100};
};

// Reads "x,y,w,h" (an empty text: the whole sensor). The window must lie
// on the sensor and be at least 4 x 4; odd values are rounded down to even
// ones, as the camera takes them. False with the reason in *error.
bool ParseCaptureWindow(const std::string& text, CaptureWindow* window, std::string* error);
std::string FormatCaptureWindow(const CaptureWindow& window);

// The combination the camera must accept: an exposure that fits the window
// width. False with the reason in *error.
bool CheckSettings(const CameraSettings& settings, std::string* error);

// Gives the camera its window, exposure, mirrors and automatic exposure
// (what a replugged camera needs again); false when it refuses one, with
// the setting named in *error.
bool ApplyCameraSettings(int32_t camera, const CameraSettings& settings, std::string* error);
// The image filter values; false with the value named in *error.
bool ApplyFilters(int32_t camera, const CameraSettings& settings, std::string* error);

}  // namespace quelix::gst
