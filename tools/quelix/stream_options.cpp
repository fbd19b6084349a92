#include "quelix/stream_options.h"

namespace quelix::tool {

std::string StreamUsage()
{
    return "usage: quelix stream [options]\n"
           "Streams frames from a camera and prints, once a second, the frame rate,\n"
           "the frames the camera dropped, and the mean, minimum and maximum sample.\n"
           "\n" +
           CameraOptionsUsage() +
           "  --frames N        stop after N frames (default: until Ctrl-C)\n"
           "  --help            this text\n";
}

std::optional<StreamOptions> ParseStreamOptions(const std::vector<std::string>& arguments, std::string& error)
{
    StreamOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const OptionMatch match = ParseCameraOption(arguments, i, options, error);
        if (match == OptionMatch::Bad)
            return std::nullopt;
        if (match == OptionMatch::Taken)
            continue;
        long number = 0;
        if (arguments[i] == "--frames") {
            if (i + 1 == arguments.size() || !ParseLong(arguments[++i], 1, 1L << 40, number)) {
                error = "--frames takes a positive number";
                return std::nullopt;
            }
            options.frames = number;
        } else {
            error = "unknown option " + arguments[i];
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace quelix::tool
