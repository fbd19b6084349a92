// SPDX-License-Identifier: MIT
#include "platform/os/runtime_random.h"

#include <cstdint>

namespace quelix::platform {

int RuntimeRandom()
{
    thread_local uint32_t state = 1;
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

}  // namespace quelix::platform
