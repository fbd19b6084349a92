// SPDX-License-Identifier: MIT
// The command line of quelix-viewer.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quelix::viewer {

struct ViewerOptions {
    int device = 0;
    bool simulate = false;
    std::string scene = "moving";
    bool fast = false;  // the simulated camera delivers frames as fast as they are read
    int bits = 0;       // the colour mode to start in; 0: the one stored for the camera
    bool help = false;
};

// The options of `arguments` (without the program name); nullopt with the
// message in `error` for an unknown option, a missing or bad value, or
// --scene/--fast without --simulate.
std::optional<ViewerOptions> ParseViewerOptions(const std::vector<std::string>& arguments,
                                                std::string& error);

// The usage text of --help.
std::string ViewerUsage();

}  // namespace quelix::viewer
