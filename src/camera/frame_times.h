// SPDX-License-Identifier: MIT
// When each of the last frames delivered by a camera reached the host (the
// transfer thread held the whole frame) and the caller (it was in the
// caller's buffer, just before its notification was posted), found by the
// frame's trailer word. The capture thread records; application threads
// look up while it runs, so every field is atomic and a lookup that races
// with the slot's next use finds nothing rather than a mixed record.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace quelix {

struct FrameTimes {
    uint64_t arrivedNs = 0;
    uint64_t deliveredNs = 0;
};

class FrameTimesLog {
public:
    static constexpr size_t kFrames = 64;

    // One writer (the capture thread). Each entry has a version that is odd
    // while the entry is being written: a reader that sees the same even
    // version before and after its reads has one whole record, even when a
    // later frame with the same trailer word took the slot in between.
    void Record(uint32_t trailer, const FrameTimes& times)
    {
        Entry& entry = entries_[trailer % kFrames];
        const uint32_t version = entry.version.load();
        entry.version.store(version + 1);
        entry.trailer.store(trailer);
        entry.arrivedNs.store(times.arrivedNs);
        entry.deliveredNs.store(times.deliveredNs);
        entry.version.store(version + 2);
    }

    bool Find(uint32_t trailer, FrameTimes& times) const
    {
        const Entry& entry = entries_[trailer % kFrames];
        const uint32_t before = entry.version.load();
        if (trailer == kNone || (before & 1) != 0 || entry.trailer.load() != trailer)
            return false;
        const FrameTimes found{entry.arrivedNs.load(), entry.deliveredNs.load()};
        if (entry.version.load() != before)
            return false;
        times = found;
        return true;
    }

private:
    static constexpr uint32_t kNone = UINT32_MAX;

    struct Entry {
        std::atomic<uint32_t> version{0};
        std::atomic<uint32_t> trailer{kNone};
        std::atomic<uint64_t> arrivedNs{0};
        std::atomic<uint64_t> deliveredNs{0};
    };
    std::array<Entry, kFrames> entries_;
};

}  // namespace quelix
