// SPDX-License-Identifier: MIT
#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include "platform/os/clock.h"

namespace quelix::platform {

uint32_t TickCount()
{
    return timeGetTime();
}

void SleepMs(uint32_t milliseconds)
{
    // INFINITE is 0xFFFFFFFF: a caller's largest count sleeps that long in two steps instead.
    if (milliseconds == INFINITE) {
        Sleep(INFINITE - 1);
        milliseconds = 1;
    }
    Sleep(milliseconds);
}

uint64_t MonotonicNs()
{
    static const uint64_t frequency = [] {
        LARGE_INTEGER value{};
        QueryPerformanceFrequency(&value);
        return static_cast<uint64_t>(value.QuadPart);
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const auto ticks = static_cast<uint64_t>(now.QuadPart);
    // Whole seconds and the remainder apart, so that the product never overflows.
    return ticks / frequency * 1'000'000'000u + ticks % frequency * 1'000'000'000u / frequency;
}

}  // namespace quelix::platform
