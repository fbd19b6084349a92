// quelix: the command-line tool of the Quelix 205KWMX camera SDK.
#include <cstdio>
#include <string>
#include <vector>

#include "quelix/record_command.h"
#include "quelix/stream_command.h"
#include "quelix/stream_options.h"

namespace {

const char kUsage[] =
    "usage: quelix COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  stream     show a live preview and report frame rate, dropped frames and levels\n"
    "  record     record an AVI file and report the frames written\n"
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
    const std::string& command = arguments[0];
    if (command != "stream" && command != "record") {
        std::fprintf(stderr, "quelix: unknown command %s\n%s", command.c_str(), kUsage);
        return 2;
    }
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    const std::string usage = command == "stream" ? quelix::tool::StreamUsage() : quelix::tool::RecordUsage();
    for (const std::string& argument : rest) {
        if (argument == "--help") {
            std::fputs(usage.c_str(), stdout);
            return 0;
        }
    }
    std::string error;
    if (command == "record") {
        const auto options = quelix::tool::ParseRecordOptions(rest, error);
        if (!options) {
            std::fprintf(stderr, "quelix: %s\n%s", error.c_str(), usage.c_str());
            return 2;
        }
        return quelix::tool::RunRecord(*options);
    }
    const auto options = quelix::tool::ParseStreamOptions(rest, error);
    if (!options) {
        std::fprintf(stderr, "quelix: %s\n%s", error.c_str(), usage.c_str());
        return 2;
    }
    return quelix::tool::RunStream(*options);
}
