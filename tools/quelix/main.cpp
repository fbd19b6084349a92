// SPDX-License-Identifier: MIT
// quelix: the command-line tool of the Quelix 205KWMX camera SDK.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "quelix/calibrate_command.h"
#include "quelix/record_command.h"
#include "quelix/settings_command.h"
#include "quelix/snap_command.h"
#include "quelix/snap_options.h"
#include "quelix/stream_command.h"
#include "quelix/stream_options.h"

namespace {

const char kUsage[] =
    "usage: quelix COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  stream     show a live preview and report frame rate, dropped frames and levels\n"
    "  snap       save one frame as a BMP, raw, JPEG, PNG or TIFF file\n"
    "  record     record the processed frames into an AVI file\n"
    "  calibrate  average frames into the dark or bright reference of a mask file\n"
    "  settings   open a settings dialog (camera, image, stream) over a live preview\n"
    "\n"
    "quelix COMMAND --help shows a command's options.\n";

// Parses a command's options and runs it: usage on --help, a one-line error
// and the usage on bad options (exit status 2).
template <class Options>
int RunCommand(const std::vector<std::string>& arguments,
               std::optional<Options> (*parse)(const std::vector<std::string>&, std::string&),
               std::string (*usage)(), int (*run)(const Options&))
{
    for (const std::string& argument : arguments) {
        if (argument == "--help") {
            std::fputs(usage().c_str(), stdout);
            return 0;
        }
    }
    std::string error;
    const std::optional<Options> options = parse(arguments, error);
    if (!options) {
        std::fprintf(stderr, "quelix: %s\n%s", error.c_str(), usage().c_str());
        return 2;
    }
    return run(*options);
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace quelix::tool;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "help") {
        std::fputs(kUsage, arguments.empty() ? stderr : stdout);
        return arguments.empty() ? 2 : 0;
    }
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (arguments[0] == "stream")
        return RunCommand(rest, ParseStreamOptions, StreamUsage, RunStream);
    if (arguments[0] == "snap")
        return RunCommand(rest, ParseSnapOptions, SnapUsage, RunSnap);
    if (arguments[0] == "record")
        return RunCommand(rest, ParseRecordOptions, RecordUsage, RunRecord);
    if (arguments[0] == "settings")
        return RunCommand(rest, ParseSettingsOptions, SettingsUsage, RunSettings);
    if (arguments[0] == "calibrate")
        return RunCommand(rest, ParseCalibrateOptions, CalibrateUsage, RunCalibrate);
    std::fprintf(stderr, "quelix: unknown command %s\n%s", arguments[0].c_str(), kUsage);
    return 2;
}
