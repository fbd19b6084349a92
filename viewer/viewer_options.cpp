// SPDX-License-Identifier: MIT
#include "viewer_options.h"

#include <charconv>

namespace quelix::viewer {

namespace {

bool ParseInt(const std::string& text, int minimum, int maximum, int& value)
{
    int parsed = 0;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || failure != std::errc() || stop != end || parsed < minimum || parsed > maximum)
        return false;
    value = parsed;
    return true;
}

bool KnownScene(const std::string& scene)
{
    return scene == "dark" || scene == "flat" || scene == "chart" || scene == "moving" || scene == "counter";
}

}  // namespace

std::string ViewerUsage()
{
    return "usage: quelix-viewer [options]\n"
           "Shows a Quelix 205KWMX camera live: the picture with zoom and the values\n"
           "under the cursor, the histogram, a line profile, the sensor temperature\n"
           "and the frame rate; the camera's controls, snapshots, recordings and\n"
           "calibration.\n"
           "\n"
           "  --device N     device number 0 to 7 (default 0)\n"
           "  --bits B       start in the colour mode of B bits per pixel: 8 or 16 (gray),\n"
           "                 24, 32, 48 or 64 (false colour); default: the stored mode\n"
           "  --simulate     start a simulated camera in this process when none is attached\n"
           "  --scene NAME   the simulated camera's scene: dark, flat, chart, moving (default),\n"
           "                 counter\n"
           "  --fast         the simulated camera delivers frames as fast as they are read\n"
           "  --help         this text\n"
           "\n"
           "Japanese texts when LC_ALL, LC_MESSAGES or LANG (the first that is set)\n"
           "begins with ja, as in the library's settings dialogs.\n";
}

std::optional<ViewerOptions> ParseViewerOptions(const std::vector<std::string>& arguments, std::string& error)
{
    ViewerOptions options;
    bool sceneGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--device" || argument == "--bits" || argument == "--scene";
        if (takesValue && i + 1 == arguments.size()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--device") {
            if (!ParseInt(arguments[++i], 0, 7, options.device)) {
                error = "--device takes a number from 0 to 7";
                return std::nullopt;
            }
        } else if (argument == "--bits") {
            int bits = 0;
            if (!ParseInt(arguments[++i], 8, 64, bits) ||
                (bits != 8 && bits != 16 && bits != 24 && bits != 32 && bits != 48 && bits != 64)) {
                error = "--bits takes 8, 16, 24, 32, 48 or 64";
                return std::nullopt;
            }
            options.bits = bits;
        } else if (argument == "--scene") {
            options.scene = arguments[++i];
            sceneGiven = true;
            if (!KnownScene(options.scene)) {
                error = "unknown scene " + options.scene + " (dark, flat, chart, moving or counter)";
                return std::nullopt;
            }
        } else if (argument == "--simulate") {
            options.simulate = true;
        } else if (argument == "--fast") {
            options.fast = true;
        } else {
            error = "unknown option " + argument;
            return std::nullopt;
        }
    }
    if ((sceneGiven || options.fast) && !options.simulate && !options.help) {
        error = std::string(sceneGiven ? "--scene" : "--fast") + " needs --simulate";
        return std::nullopt;
    }
    return options;
}

}  // namespace quelix::viewer
