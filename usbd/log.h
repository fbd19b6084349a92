// SPDX-License-Identifier: MIT
// The driver's log: one line per event on stderr, whole lines from any thread.
#pragma once

#include <string>

namespace quelix::usbd {

void Log(const std::string& line);

}  // namespace quelix::usbd
