// SPDX-License-Identifier: MIT
#include "soak_options.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>

namespace quelix::soak {

namespace {

struct Range {
    const char* name;
    long minimum;
    long maximum;
};

constexpr Range kRanges[] = {
    {"--seconds", 5, 86400}, {"--cameras", 1, 8}, {"--seed", 0, INT32_MAX}, {"--hold-claim", 0, 7}};

bool ParseWhole(const std::string& text, long minimum, long maximum, long& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && value >= minimum && value <= maximum;
}

}  // namespace

std::string SoakUsage()
{
    return "usage: quelix-soak [options]\n"
           "Streams from simulated cameras in several colour modes while injecting faults\n"
           "at random: unplug and plug, stalls, short frames, failing requests, a second\n"
           "process that claims a camera and is killed, settings changed, images saved and\n"
           "recordings started and stopped while streaming. Checks that every stop returns\n"
           "in time, every lost stream is told, every camera streams again, claims of dead\n"
           "processes free, every saved or recorded file is whole (or, refused, not there)\n"
           "and memory stays flat. Exit status 0 when every check passed.\n"
           "\n"
           "  --seconds N     how long to run, 5 to 86400 (default 60)\n"
           "  --cameras N     simulated cameras, 1 to 8 (default 8)\n"
           "  --seed S        seed of the fault sequence (default 1)\n"
           "  --hold-claim N  be the second process of a claim fault: stream from camera N\n"
           "                  of the soak's device directory until killed (the soak\n"
           "                  starts itself this way)\n"
           "  --help          this text\n";
}

std::optional<SoakOptions> ParseSoakOptions(const std::vector<std::string>& arguments, std::string& error)
{
    SoakOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        const auto range = std::find_if(std::begin(kRanges), std::end(kRanges),
                                        [&name](const Range& r) { return name == r.name; });
        if (range == std::end(kRanges)) {
            error = "unknown option " + name;
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        const std::string& text = arguments[++i];
        long value = 0;
        if (!ParseWhole(text, range->minimum, range->maximum, value)) {
            error = name + " takes a whole number from " + std::to_string(range->minimum) + " to " +
                    std::to_string(range->maximum) + ", not " + text;
            return std::nullopt;
        }
        if (name == "--seconds")
            options.seconds = static_cast<int>(value);
        else if (name == "--cameras")
            options.cameras = static_cast<int>(value);
        else if (name == "--seed")
            options.seed = static_cast<uint32_t>(value);
        else
            options.holdClaim = static_cast<int>(value);
    }
    return options;
}

}  // namespace quelix::soak
