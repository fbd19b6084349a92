// quelix: the command-line tool of the Quelix 205KWMX camera SDK.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "quelix/soak_command.h"
#include "quelix/stream_command.h"
#include "quelix/stream_options.h"

namespace {

const char kUsage[] =
    "usage: quelix COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  stream     show a live preview and report frame rate, dropped frames and levels\n"
    "  soak       stream from simulated cameras under random faults and check recovery\n"
    "\n"
    "quelix COMMAND --help shows a command's options.\n";

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "help") {
        std::fputs(kUsage, arguments.empty() ? stderr : stdout);
        return arguments.empty() ? 2 : 0;
    }
    if (arguments[0] == "soak") {
        const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
        if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
            std::fputs(quelix::tool::SoakUsage().c_str(), stdout);
            return 0;
        }
        std::string error;
        const auto options = quelix::tool::ParseSoakOptions(rest, error);
        if (!options) {
            std::fprintf(stderr, "quelix: %s\n%s", error.c_str(), quelix::tool::SoakUsage().c_str());
            return 2;
        }
        return quelix::tool::RunSoak(*options);
    }
    if (arguments[0] != "stream") {
        std::fprintf(stderr, "quelix: unknown command %s\n%s", arguments[0].c_str(), kUsage);
        return 2;
    }
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    for (const std::string& argument : rest) {
        if (argument == "--help") {
            std::fputs(quelix::tool::StreamUsage().c_str(), stdout);
            return 0;
        }
    }
    std::string error;
    const auto options = quelix::tool::ParseStreamOptions(rest, error);
    if (!options) {
        std::fprintf(stderr, "quelix: %s\n%s", error.c_str(), quelix::tool::StreamUsage().c_str());
        return 2;
    }
    return quelix::tool::RunStream(*options);
}
