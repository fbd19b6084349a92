// SPDX-License-Identifier: MIT
// `quelix record`: an AVI recording through the public interface, with its
// progress once a second.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quelix/stream_options.h"

namespace quelix::tool {

struct RecordOptions {
    StreamOptions camera;  // every camera option of `quelix stream`
    std::string output;
    int32_t milliseconds = INT32_MAX;  // --seconds; by default until Ctrl-C
};

// Parses the arguments after "record"; nullopt with a message in `error`.
std::optional<RecordOptions> ParseRecordOptions(const std::vector<std::string>& arguments,
                                                std::string& error);

std::string RecordUsage();

// The process exit code: 0 when the file was recorded to its end or to Ctrl-C.
int RunRecord(const RecordOptions& options);

}  // namespace quelix::tool
