// SPDX-License-Identifier: MIT
// `quelix calibrate dark|bright`: averages raw frames into the dark or the
// bright reference of a mask file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "quelix/stream_options.h"

namespace quelix::tool {

struct CalibrateOptions {
    bool bright = false;
    std::string output;
    StreamOptions camera;
};

// Parses the arguments after "calibrate"; nullopt with a message in `error`.
std::optional<CalibrateOptions> ParseCalibrateOptions(const std::vector<std::string>& arguments,
                                                      std::string& error);

std::string CalibrateUsage();

// The process exit code: 0 when the reference was written.
int RunCalibrate(const CalibrateOptions& options);

}  // namespace quelix::tool
