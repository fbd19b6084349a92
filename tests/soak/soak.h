// SPDX-License-Identifier: MIT
// The fault soak: several simulated cameras stream, each on a thread of its
// own as an application would drive it, while the soak injects faults at
// random; then every camera must stream again, within bounds, with nothing
// lost and memory flat.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "QuelixPlatform.h"
#include "sim/camera_simulator.h"
#include "soak_camera.h"
#include "soak_options.h"

namespace quelix::soak {

using Clock = std::chrono::steady_clock;

// The longest a stop may take: the frame read in flight ends within the
// driver time-out of a running capture (10 s) and the reply's grace (2 s).
inline constexpr long kStopBoundMs = 12500;
// A stop that ends a recording also writes the file's end (the last queued
// frames, the index) and flushes it to the disk.
inline constexpr long kRecordingStopBoundMs = kStopBoundMs + 3000;
// A stall this long outlasts the driver time-out: the stream is lost.
inline constexpr int kLongStallMs = 11000;
// How long all cameras may take to stream again after the last fault.
inline constexpr long kRecoveryBoundMs = kLongStallMs + kStopBoundMs + 10000;

long ElapsedMs(Clock::time_point since);

// Memory of the process at one moment of the soak.
struct MemorySample {
    long residentKilobytes = 0;
    long heapKilobytes = 0;
};

struct Recovery {
    bool allStreaming = false;
    long milliseconds = 0;
};

class Soak {
public:
    explicit Soak(const SoakOptions& options) : options_(options), random_(options.seed) {}

    // 0 when every check passed.
    int Run();

private:
    bool StartSimulator();
    void StartCameras();
    void InjectFaultsFor(int seconds);
    Recovery AwaitRecovery();
    void EndCameras();
    // Prints the counts and the checks; whether every check passed.
    bool Report(const Recovery& recovery, const MemorySample& start, const MemorySample& end) const;

    void CameraThread(SoakCamera& camera);
    void ChangeSettings(int32_t handle, std::mt19937& random, SoakCamera& camera);
    void SaveAnImage(int32_t handle, std::mt19937& random, SoakCamera& camera);
    void RecordAWhile(int32_t handle, QUELIX_HWND window, std::mt19937& random, SoakCamera& camera);
    enum class Message { None, Frame, Loss };
    // Takes the next message of the camera's window, if one comes within
    // 20 ms, and counts a frame or a lost stream told.
    Message TakeMessage(QUELIX_HWND window, SoakCamera& camera);
    // Stops the stream and returns how long that took.
    long TimedStop(int32_t handle, SoakCamera& camera);
    // Stops the stream, keeping the longest stop.
    void Stop(int32_t handle, SoakCamera& camera);

    void InjectFault();
    void KillAClaim(SoakCamera& camera);
    int64_t NowMs() const { return ElapsedMs(begin_); }

    SoakOptions options_;
    std::mt19937 random_;
    std::string directory_;
    std::unique_ptr<sim::CameraSimulator> simulator_;
    std::vector<std::unique_ptr<SoakCamera>> cameras_;
    std::atomic<bool> ending_{false};
    FaultCounts faults_;
    Clock::time_point begin_ = Clock::now();
};

}  // namespace quelix::soak
