// SPDX-License-Identifier: MIT
// `quelix calibrate dark|bright`: averages raw frames into the dark or the
// bright reference of a mask file.
#pragma once

#include <string>
#include <vector>

namespace quelix::tool {

// Runs the command with the arguments after "calibrate"; the process exit
// code (2 for bad arguments).
int RunCalibrateCommand(const std::vector<std::string>& arguments);

}  // namespace quelix::tool
