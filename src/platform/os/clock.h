// SPDX-License-Identifier: MIT
// Time as the camera code counts it: 32-bit millisecond tick counts that wrap
// after about 49.7 days, and plain sleeps.
#pragma once

#include <cstdint>

namespace quelix::platform {

// Milliseconds since an arbitrary fixed point (boot), wrapping at 2^32.
uint32_t TickCount();

void SleepMs(uint32_t milliseconds);

// Nanoseconds of the system's monotonic clock (CLOCK_MONOTONIC), the clock
// frame times are told in.
uint64_t MonotonicNs();

}  // namespace quelix::platform
