// SPDX-License-Identifier: MIT
#include "usbd/log.h"

#include <cstdio>

namespace quelix::usbd {

void Log(const std::string& line)
{
    const std::string text = "quelix-usbd: " + line + "\n";
    // One write of the whole line: lines of separate threads never mix.
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace quelix::usbd
