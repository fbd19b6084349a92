// SPDX-License-Identifier: MIT
// What the soak keeps per camera and what it counts of the faults it
// injects.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace quelix::soak {

// One camera of the soak: its own handle, message window and buffer, driven
// by a thread of its own as an application would.
struct SoakCamera {
    int device = 0;
    std::thread thread;
    // Set by the fault thread, read by the camera's thread.
    std::atomic<bool> holdStopped{false};  // stop the stream and keep it stopped
    std::atomic<bool> stoppedForHold{false};
    std::atomic<bool> lossExpected{false};  // unplugged while streaming: a loss must be told
    std::atomic<int64_t> pluggedBackAt{0};  // ms since the soak began; 0 while unplugged
    // Counts, written by the camera's thread.
    std::atomic<long> frames{0};
    std::atomic<long> lossesTold{0};
    std::atomic<long> restarts{0};
    std::atomic<long> unreportedLosses{0};
    std::atomic<long> settingsChanged{0};
    std::atomic<long> longestStopMs{0};
    std::atomic<long> longestRecordingStopMs{0};
    std::atomic<long> framesSinceLastFault{0};
    std::atomic<bool> streaming{false};
    // Files written while streaming, and what was wrong with them.
    std::atomic<long> saves{0};
    std::atomic<long> savesRefused{0};
    std::atomic<long> recordings{0};
    std::atomic<long> recordingsRefused{0};
    std::atomic<long> badFiles{0};  // a refused save left a file, or a recording was not finished
};

struct FaultCounts {
    long unplugs = 0;
    long stalls = 0;
    long longStalls = 0;
    long shortFrames = 0;
    long failedRequests = 0;
    long claimsKilled = 0;
    long claimsFreed = 0;
    long claimsNotFreed = 0;
};

}  // namespace quelix::soak
