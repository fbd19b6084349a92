#include "quelix/stream_options.h"

#include <cstdlib>

namespace quelix::tool {

namespace {

bool ParseLong(const std::string& text, long minimum, long maximum, long& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed < minimum || parsed > maximum)
        return false;
    value = parsed;
    return true;
}

}  // namespace

std::string StreamUsage()
{
    return "usage: quelix stream [options]\n"
           "Streams frames from a camera and prints, once a second, the frame rate,\n"
           "the frames the camera dropped, and the mean, minimum and maximum sample.\n"
           "\n"
           "  --device N        device number 0 to 8 (default 0)\n"
           "  --bits B          output bits per pixel: 8, 16, 24, 32, 48 or 64 (default 8)\n"
           "  --frames N        stop after N frames (default: until Ctrl-C)\n"
           "  --simulate        start a simulated camera in this process when none is attached\n"
           "  --scene NAME      the simulated camera's scene: dark, flat, chart, moving (default), counter\n"
           "  --window          show the preview in a window (shown anyway when a display exists)\n"
           "  --help            this text\n";
}

std::optional<StreamOptions> ParseStreamOptions(const std::vector<std::string>& arguments, std::string& error)
{
    StreamOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--device" || argument == "--bits" || argument == "--frames" ||
                                argument == "--scene";
        if (takesValue && i + 1 == arguments.size()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        long number = 0;
        if (argument == "--device") {
            if (!ParseLong(arguments[++i], 0, 8, number)) {
                error = "--device takes a number from 0 to 8";
                return std::nullopt;
            }
            options.device = static_cast<int>(number);
        } else if (argument == "--bits") {
            const std::string& value = arguments[++i];
            if (!ParseLong(value, 8, 64, number) || (number != 8 && number != 16 && number != 24 && number != 32 &&
                                                     number != 48 && number != 64)) {
                error = "--bits takes 8, 16, 24, 32, 48 or 64";
                return std::nullopt;
            }
            options.bits = static_cast<int>(number);
        } else if (argument == "--frames") {
            if (!ParseLong(arguments[++i], 1, 1L << 40, number)) {
                error = "--frames takes a positive number";
                return std::nullopt;
            }
            options.frames = number;
        } else if (argument == "--scene") {
            options.scene = arguments[++i];
        } else if (argument == "--simulate") {
            options.simulate = true;
        } else if (argument == "--window") {
            options.showWindow = true;
        } else {
            error = "unknown option " + argument;
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace quelix::tool
