// quelix: the command-line tool of the Quelix 205KWMX camera SDK.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "quelix/settings_command.h"
#include "quelix/stream_command.h"
#include "quelix/stream_options.h"

namespace {

const char kUsage[] =
    "usage: quelix COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  stream     show a live preview and report frame rate, dropped frames and levels\n"
    "  settings   open a settings dialog (camera, image, stream) over a live preview\n"
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
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    const bool wantsHelp = std::find(rest.begin(), rest.end(), "--help") != rest.end();
    std::string error;
    if (arguments[0] == "stream") {
        if (wantsHelp) {
            std::fputs(quelix::tool::StreamUsage().c_str(), stdout);
            return 0;
        }
        const auto options = quelix::tool::ParseStreamOptions(rest, error);
        if (!options) {
            std::fprintf(stderr, "quelix: %s\n%s", error.c_str(), quelix::tool::StreamUsage().c_str());
            return 2;
        }
        return quelix::tool::RunStream(*options);
    }
    if (arguments[0] == "settings") {
        if (wantsHelp) {
            std::fputs(quelix::tool::SettingsUsage().c_str(), stdout);
            return 0;
        }
        const auto options = quelix::tool::ParseSettingsOptions(rest, error);
        if (!options) {
            std::fprintf(stderr, "quelix: %s\n%s", error.c_str(), quelix::tool::SettingsUsage().c_str());
            return 2;
        }
        return quelix::tool::RunSettings(*options);
    }
    std::fprintf(stderr, "quelix: unknown command %s\n%s", arguments[0].c_str(), kUsage);
    return 2;
}
