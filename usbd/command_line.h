// SPDX-License-Identifier: MIT
// The command line of quelix-usbd.
#pragma once

#include <string>
#include <vector>

#include "usbd/device_match.h"

namespace quelix::usbd {

inline constexpr char kDefaultConfigPath[] = "/etc/quelix/usbd.conf";
inline constexpr char kSystemDeviceDirectory[] = "/run/quelix";

struct CommandLine {
    enum class Mode { Serve, List, Help };
    Mode mode = Mode::Serve;
    std::vector<UsbId> ids;  // --id, in order
    std::string configPath;  // --config; empty: the default file, which may be missing
    std::string directory;   // --dir; empty: DefaultDirectory()
    std::string group;       // --group; empty: the process's group
};

// Reads the arguments after the program name; false with a message on a bad one.
bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& line, std::string& error);

// Where nodes go without --dir: $QUELIX_DEVICE_DIR, else /run/quelix for
// root, else ${XDG_RUNTIME_DIR:-/tmp}/quelix (where the library of the same
// user looks).
std::string DefaultDirectory();

const char* UsageText();

}  // namespace quelix::usbd
