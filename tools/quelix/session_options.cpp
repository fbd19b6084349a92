// SPDX-License-Identifier: MIT
#include "quelix/session_options.h"

#include <cstdlib>

namespace quelix::tool {

namespace {

// "X,Y,W,H" with four non-negative numbers.
std::optional<std::array<int, 4>> ParseWindow(const std::string& text)
{
    std::array<int, 4> values{};
    size_t start = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        const size_t comma = text.find(',', start);
        if ((comma == std::string::npos) != (i == values.size() - 1))
            return std::nullopt;
        long value = 0;
        if (!ParseLong(text.substr(start, comma - start), 0, 320, value))
            return std::nullopt;
        values[i] = static_cast<int>(value);
        start = comma + 1;
    }
    return values;
}

}  // namespace

bool IsOutputBits(long bits)
{
    return bits == 8 || bits == 16 || bits == 24 || bits == 32 || bits == 48 || bits == 64;
}

bool ParseLong(const std::string& text, long minimum, long maximum, long& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed < minimum || parsed > maximum)
        return false;
    value = parsed;
    return true;
}

std::string CameraOptionsUsage()
{
    return "  --device N        device number 0 to 7 (default 0)\n"
           "  --bits B          output bits per pixel: 8, 16, 24, 32, 48 or 64 (default 8)\n"
           "  --simulate        start a simulated camera in this process when none is attached\n"
           "  --scene NAME      the simulated camera's scene: dark, flat, chart, moving (default), counter\n"
           "  --show            show the preview in a window (shown anyway when a display exists);\n"
           "                    --window without a value does the same\n"
           "  --window X,Y,W,H  capture window on the 320 x 256 sensor\n"
           "  --exposure-us T   exposure time in microseconds (38.9 us per line at full width)\n"
           "  --mirror-h        mirror the picture left to right\n"
           "  --mirror-v        mirror the picture top to bottom\n"
           "  --auto-exposure   let the library adjust the exposure to the scene\n"
           "  --mask FILE       correct with the references of a mask file (quelix calibrate)\n";
}

OptionMatch ParseCameraOption(const std::vector<std::string>& arguments, size_t& i, SessionOptions& options,
                              std::string& error)
{
    const std::string& argument = arguments[i];
    const bool takesValue = argument == "--device" || argument == "--bits" || argument == "--scene" ||
                            argument == "--exposure-us" || argument == "--mask";
    if (takesValue && i + 1 == arguments.size()) {
        error = argument + " needs a value";
        return OptionMatch::Bad;
    }
    long number = 0;
    if (argument == "--device") {
        if (!ParseLong(arguments[++i], 0, 7, number)) {
            error = "--device takes a number from 0 to 7";
            return OptionMatch::Bad;
        }
        options.device = static_cast<int>(number);
    } else if (argument == "--bits") {
        const std::string& value = arguments[++i];
        if (!ParseLong(value, 8, 64, number) || !IsOutputBits(number)) {
            error = "--bits takes 8, 16, 24, 32, 48 or 64";
            return OptionMatch::Bad;
        }
        options.bits = static_cast<int>(number);
    } else if (argument == "--scene") {
        options.scene = arguments[++i];
    } else if (argument == "--simulate") {
        options.simulate = true;
    } else if (argument == "--show") {
        options.showWindow = true;
    } else if (argument == "--window") {
        // A value makes it the capture window; alone it shows the preview.
        if (i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0) {
            options.captureWindow = ParseWindow(arguments[++i]);
            if (!options.captureWindow) {
                error = "--window takes X,Y,W,H";
                return OptionMatch::Bad;
            }
        } else {
            options.showWindow = true;
        }
    } else if (argument == "--exposure-us") {
        if (!ParseLong(arguments[++i], 1, 1274636, number)) {
            error = "--exposure-us takes a time from 1 to 1274636 microseconds";
            return OptionMatch::Bad;
        }
        options.exposureMicroseconds = static_cast<int>(number);
    } else if (argument == "--mirror-h") {
        options.mirrorH = true;
    } else if (argument == "--mirror-v") {
        options.mirrorV = true;
    } else if (argument == "--auto-exposure") {
        options.autoExposure = true;
    } else if (argument == "--mask") {
        options.mask = arguments[++i];
        if (options.mask.empty()) {
            error = "--mask takes a file name";
            return OptionMatch::Bad;
        }
    } else {
        return OptionMatch::NotCameraOption;
    }
    return OptionMatch::Taken;
}

}  // namespace quelix::tool
