// The options of `quelix stream`.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quelix::tool {

struct StreamOptions {
    int device = 0;
    int bits = 8;
    long frames = 0;  // 0: until interrupted
    bool simulate = false;
    std::string scene = "moving";
    bool showWindow = false;
};

// Parses the arguments after "stream"; nullopt with a message in `error`.
std::optional<StreamOptions> ParseStreamOptions(const std::vector<std::string>& arguments, std::string& error);

std::string StreamUsage();

}  // namespace quelix::tool
