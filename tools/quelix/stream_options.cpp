// SPDX-License-Identifier: MIT
#include "quelix/stream_options.h"

namespace quelix::tool {

std::string StreamUsage()
{
    return "usage: quelix stream [options]\n"
           "Streams frames from a camera and prints, once a second, the frame rate,\n"
           "the frames the camera dropped, and the mean, minimum and maximum sample.\n"
           "When the stream is lost it waits for the camera and streams again.\n"
           "\n" +
           CameraOptionsUsage() +
           "  --frames N        stop after N frames (default: until Ctrl-C)\n"
           "  --latency         add the latency of the second's frames (median, 99th and 99.9th\n"
           "                    percentile): from the moment the library held the whole frame\n"
           "                    (with --simulate: the camera finished it) to the frame's message\n"
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
        } else if (arguments[i] == "--latency") {
            options.latency = true;
        } else {
            error = "unknown option " + arguments[i];
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace quelix::tool
