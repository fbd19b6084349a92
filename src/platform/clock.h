// Time as the camera code counts it: 32-bit millisecond tick counts that wrap
// after about 49.7 days, and plain sleeps.
#pragma once

#include <cstdint>

namespace quelix::platform {

// Milliseconds since an arbitrary fixed point (boot), wrapping at 2^32.
uint32_t TickCount();

void SleepMs(uint32_t milliseconds);

}  // namespace quelix::platform
