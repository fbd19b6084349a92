// SPDX-License-Identifier: MIT
// `quelix settings DIALOG`: opens one of the library's settings dialogs over
// a live preview, so that each change shows at once.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quelix::tool {

struct SettingsOptions {
    std::string dialog;  // "camera", "image" or "stream"
    int device = 0;
    int bits = 0;  // output bits per pixel; 0 keeps the camera's
    bool simulate = false;
    std::string scene = "chart";
};

// Parses the arguments after "settings"; nullopt with a message in `error`.
std::optional<SettingsOptions> ParseSettingsOptions(const std::vector<std::string>& arguments,
                                                    std::string& error);
std::string SettingsUsage();

// The process exit code: 0 when the dialog ran.
int RunSettings(const SettingsOptions& options);

}  // namespace quelix::tool
