// SPDX-License-Identifier: MIT
#include "camera_settings.h"

#include <cstdio>

#include "QuelixSdk_205KWMX.h"
#include "video_formats.h"

namespace quelix::gst {

const FilterProperty kFilterProperties[kFilterCount] = {
    {"brightness", "Brightness offset (0: none)", QUELIX_FILTER_BRIGHTNESS, -255, 255, 0},
    {"contrast", "Contrast (0: none)", QUELIX_FILTER_CONTRAST, -127, 127, 0},
    {"hue", "Hue turn of the false colours in degrees (0: none)", QUELIX_FILTER_HUE, -360, 360, 0},
    {"saturation", "Saturation of the false colours (0: none)", QUELIX_FILTER_SATURATION, -255, 255, 0},
    {"sharpness", "Sharpening (0: off)", QUELIX_FILTER_SHARPNESS, 0, 30, 0},
    {"gamma", "Gamma in hundredths (100: none)", QUELIX_FILTER_GAMMA, 0, 200, 100},
};

namespace {

// One decimal integer of at most 4 digits at *text, then `end`.
bool ReadNumber(const char*& text, char end, int32_t* value)
{
    const char* start = text;
    int64_t number = 0;
    while (*text >= '0' && *text <= '9' && text - start < 4)
        number = number * 10 + (*text++ - '0');
    if (text == start || *text != end)
        return false;
    if (end != '\0')
        ++text;
    *value = static_cast<int32_t>(number);
    return true;
}

}  // namespace

bool ParseCaptureWindow(const std::string& text, CaptureWindow* window, std::string* error)
{
    if (text.empty()) {
        *window = CaptureWindow{};
        return true;
    }
    CaptureWindow parsed;
    const char* p = text.c_str();
    if (!ReadNumber(p, ',', &parsed.left) || !ReadNumber(p, ',', &parsed.top) ||
        !ReadNumber(p, ',', &parsed.width) || !ReadNumber(p, '\0', &parsed.height)) {
        *error = "window \"" + text + "\" is not four numbers x,y,w,h";
        return false;
    }
    parsed.left &= ~1;
    parsed.top &= ~1;
    parsed.width &= ~1;
    parsed.height &= ~1;
    if (parsed.width < QUELIX_WINDOW_MIN_WIDTH || parsed.height < QUELIX_WINDOW_MIN_HEIGHT ||
        parsed.left + parsed.width > QUELIX_SENSOR_WIDTH ||
        parsed.top + parsed.height > QUELIX_SENSOR_HEIGHT) {
        *error = "window \"" + text + "\" does not lie on the 320 x 256 sensor with at least 4 x 4 pixels";
        return false;
    }
    *window = parsed;
    return true;
}

std::string FormatCaptureWindow(const CaptureWindow& window)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", window.left, window.top, window.width, window.height);
    return text;
}

bool CheckSettings(const CameraSettings& settings, std::string* error)
{
    const int64_t longest = LongestExposureUs(settings.window.width);
    if (settings.exposureUs > longest) {
        *error = "exposure-us " + std::to_string(settings.exposureUs) +
                 " is longer than the longest exposure, " + std::to_string(longest) +
                 " us at a window width of " + std::to_string(settings.window.width);
        return false;
    }
    return true;
}

bool ApplyCameraSettings(int32_t camera, const CameraSettings& settings, std::string* error)
{
    const CaptureWindow& w = settings.window;
    if (!Quelix_SetCaptureWindowEx(camera, QUELIX_SENSOR_WIDTH, w.left, w.width, QUELIX_SENSOR_HEIGHT, w.top,
                                   w.height)) {
        *error = "the camera refused the window " + FormatCaptureWindow(w);
        return false;
    }
    if (!Quelix_SetRealExposureTime(camera, settings.exposureUs)) {
        *error = "the camera refused the exposure of " + std::to_string(settings.exposureUs) + " us";
        return false;
    }
    if (!Quelix_SetMirrorH(camera, settings.mirrorH ? 1 : 0) ||
        !Quelix_SetMirrorV(camera, settings.mirrorV ? 1 : 0)) {
        *error = "the camera refused the mirrors";
        return false;
    }
    if (!Quelix_SetAutoIris(camera, settings.autoExposure ? QUELIX_AUTO_IRIS_ON : QUELIX_AUTO_IRIS_OFF)) {
        *error = "the camera refused the automatic exposure";
        return false;
    }
    return true;
}

bool ApplyFilters(int32_t camera, const CameraSettings& settings, std::string* error)
{
    for (int i = 0; i < kFilterCount; ++i) {
        if (!Quelix_SetFilterValue(camera, kFilterProperties[i].id, settings.filters[i])) {
            *error = std::string("the camera refused ") + kFilterProperties[i].name + " " +
                     std::to_string(settings.filters[i]);
            return false;
        }
    }
    return true;
}

}  // namespace quelix::gst
