// SPDX-License-Identifier: MIT
#include "sim/command_line.h"

#include <charconv>
#include <cstddef>
#include <cstdint>

namespace quelix::sim {

namespace {

template <typename Number>
bool ParseNumber(const std::string& text, Number& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    return !text.empty() && failure == std::errc() && stop == end;
}

bool ParseCameraList(const std::string& text, std::vector<int>& cameras)
{
    cameras.clear();
    size_t position = 0;
    for (;;) {
        const size_t comma = text.find(',', position);
        int number = 0;
        if (!ParseNumber(text.substr(position, comma - position), number))
            return false;
        cameras.push_back(number);
        if (comma == std::string::npos)
            return true;
        position = comma + 1;
    }
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& line, std::string& error)
{
    line = CommandLine{};
    size_t i = 0;
    if (!arguments.empty() && arguments[0] == "ctl") {
        line.mode = CommandLine::Mode::Control;
        ++i;
    }
    for (; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--dir" || argument == "--cameras" || argument == "--scene" ||
                                argument == "--seed" || argument == "--trigger-every" || argument == "--tcp";
        if (takesValue && i + 1 == arguments.size()) {
            error = argument + " needs a value";
            return false;
        }
        if (argument == "--help" || argument == "-h") {
            line.mode = CommandLine::Mode::Help;
            return true;
        }
        if (argument == "--dir") {
            line.directory = arguments[++i];
            continue;
        }
        if (line.mode == CommandLine::Mode::Control) {
            if (argument.starts_with("--")) {
                error = "unknown option " + argument;
                return false;
            }
            line.command.assign(arguments.begin() + std::ptrdiff_t(i), arguments.end());
            return true;
        }
        if (argument == "--cameras") {
            if (!ParseCameraList(arguments[++i], line.cameras)) {
                error = "--cameras takes device numbers separated by commas, like 0,2";
                return false;
            }
        } else if (argument == "--scene") {
            line.options.scene = arguments[++i];
        } else if (argument == "--seed") {
            if (!ParseNumber(arguments[++i], line.options.seed)) {
                error = "--seed takes a whole number";
                return false;
            }
        } else if (argument == "--trigger-every") {
            if (!ParseNumber(arguments[++i], line.options.triggerEveryMs) ||
                line.options.triggerEveryMs <= 0) {
                error = "--trigger-every takes a number of milliseconds above 0";
                return false;
            }
        } else if (argument == "--tcp") {
            // Device 8 must fit below port 65536.
            if (!ParseNumber(arguments[++i], line.options.tcpPort) || line.options.tcpPort <= 0 ||
                line.options.tcpPort > 65535 - 8) {
                error = "--tcp takes a port from 1 to 65527";
                return false;
            }
        } else if (argument == "--fast") {
            line.options.fast = true;
        } else if (argument == "--no-noise") {
            line.options.noise = false;
        } else {
            error = "unknown argument " + argument;
            return false;
        }
    }
    if (line.mode == CommandLine::Mode::Control && line.command.empty()) {
        error = "ctl needs a command";
        return false;
    }
    return true;
}

const char* UsageText()
{
    return "usage: quelix-camsim [--dir DIR] [--cameras N,N...] [--scene NAME] [--seed N] [--fast]\n"
           "                     [--no-noise] [--trigger-every MS] [--tcp PORT]\n"
           "       quelix-camsim ctl [--dir DIR] COMMAND\n"
           "\n"
           "Serves simulated Quelix 205KWMX cameras: one device node DIR/Qlix205KWMX-N per camera.\n"
           "Prints 'ready' once the nodes exist; serves until SIGINT or SIGTERM, then removes them.\n"
           "\n"
           "  --dir DIR           device directory (default $QUELIX_DEVICE_DIR,\n"
           "                      else ${XDG_RUNTIME_DIR:-/tmp}/quelix)\n"
           "  --cameras N,N...    device numbers 0 to 8 (default 0)\n"
           "  --scene NAME        dark, flat (default), chart, moving, counter, or raw:FILE\n"
           "                      (320 x 256 little-endian 16-bit samples, delivered exactly)\n"
           "  --seed N            the sensors' fixed pattern and noise (default 1)\n"
           "  --fast              deliver frames as fast as they are read, not at the frame rate\n"
           "  --no-noise          no shot or read noise\n"
           "  --trigger-every MS  a trigger pulse every MS milliseconds\n"
           "  --tcp PORT          serve camera N on 127.0.0.1 port PORT+N instead of its node\n"
           "  --help              this text\n"
           "\n"
           "ctl commands, sent to the quelix-camsim serving camera N in DIR:\n"
           "  trigger N           a trigger pulse\n"
           "  unplug N            pull the cable: the node goes away, open handles fail\n"
           "  plug N              plug it in again (the camera powers on afresh)\n"
           "  stall N MS          requests wait until MS milliseconds have passed\n"
           "  short N             the next frame ends after half its bytes\n"
           "  fail N COUNT        the next COUNT requests fail\n"
           "  scene N NAME        look at another scene\n";
}

}  // namespace quelix::sim
