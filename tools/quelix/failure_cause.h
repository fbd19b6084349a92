// SPDX-License-Identifier: MIT
// The words for a failed call in the tool's messages: the camera's error
// history read out oldest first, since the oldest code is the cause the
// later ones followed from ("error 2, followed by 1, 8").
#pragma once

#include <cstdint>
#include <string>

namespace quelix::tool {

// Empties the camera's error history; "error 0" when nothing was recorded.
std::string FailureCause(int32_t camera);

}  // namespace quelix::tool
