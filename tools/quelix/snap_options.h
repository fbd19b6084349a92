// SPDX-License-Identifier: MIT
// The options of `quelix snap`.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "quelix/session_options.h"

namespace quelix::tool {

struct SnapOptions : SessionOptions {
    std::string output;
    int format = 0;          // a QUELIX_IMAGE_* code
    std::string formatName;  // as the user names it: bmp, raw, jpeg, jpeg70, jpeg20, png, tiff
    long skip = 5;           // frames let pass before the one saved
};

// Parses the arguments after "snap"; nullopt with a message in `error`.
// Without --format the format follows the extension of the output file.
std::optional<SnapOptions> ParseSnapOptions(const std::vector<std::string>& arguments, std::string& error);

std::string SnapUsage();

}  // namespace quelix::tool
