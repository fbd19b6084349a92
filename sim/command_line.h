// SPDX-License-Identifier: MIT
// The command line of quelix-camsim.
#pragma once

#include <string>
#include <vector>

#include "sim/camera_options.h"

namespace quelix::sim {

struct CommandLine {
    enum class Mode { Serve, Control, Help };
    Mode mode = Mode::Serve;
    std::string directory;             // empty: the default device directory
    std::vector<int> cameras{0};       // Serve
    CameraOptions options;             // Serve
    std::vector<std::string> command;  // Control: the command's words
};

// Reads the arguments after the program name; false with a message on a bad one.
bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& line, std::string& error);

const char* UsageText();

}  // namespace quelix::sim
