// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace quelix::soak {

// A finished recording: its RIFF size is the file's, and the index of as
// many entries as the header counts frames closes it. Reads the header and
// the index's head only: a recording is tens of megabytes.
bool IsFinishedAvi(const std::string& path);

}  // namespace quelix::soak
