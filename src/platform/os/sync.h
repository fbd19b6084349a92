// SPDX-License-Identifier: MIT
// Locks and events with the semantics the camera code was written against:
// critical sections that their owner thread may enter again, and events that
// reset by hand or by a successful wait, with timed waits.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace quelix::platform {

// A lock its owner thread may enter repeatedly; each Enter needs one Leave.
class CriticalSection {
public:
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};

// Holds a critical section for the lifetime of the guard.
class CriticalSectionGuard {
public:
    explicit CriticalSectionGuard(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~CriticalSectionGuard() { section_.Leave(); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

private:
    CriticalSection& section_;
};

enum class EventReset { Manual, Auto };

inline constexpr int kWaitForever = -1;

// A signal that threads wait for. A manual-reset event stays set until Reset;
// an auto-reset event releases one waiter and clears itself.
class Event {
public:
    explicit Event(EventReset reset, bool initiallySet = false);

    void Set();
    void Reset();
    // true when the event was set within timeoutMs (kWaitForever: no limit).
    bool Wait(int timeoutMs);
    bool IsSet();

private:
    std::mutex mutex_;
    std::condition_variable signalled_;
    const EventReset reset_;
    bool set_;
};

}  // namespace quelix::platform
