// SPDX-License-Identifier: MIT
// One simulated camera with its driver: the device node that the library
// opens, the camera's registers and ID memory, frames from the sensor model,
// and the controls a test bench has over real hardware (trigger input,
// cable, faults). Every method is safe to call from any thread.
//
// Tests reach a camera through CameraSimulator::Camera (camera_simulator.h).
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "sim/camera_commands.h"
#include "sim/camera_options.h"
#include "sim/camera_registers.h"
#include "sim/driver_request.h"
#include "sim/frame_renderer.h"

namespace quelix::sim {

class DeviceNode;

inline constexpr uint32_t kPowerOnDriverTimeoutMs = 3000;
inline constexpr size_t kLogLimit = 10000;  // entries kept in each log

struct FpgaWriteRecord {
    uint8_t reg = 0;
    uint8_t value = 0;
    bool operator==(const FpgaWriteRecord&) const = default;
};

// The camera's state as the library has set it.
struct CameraStatus {
    bool plugged = false;
    bool sixteenBit = true;
    uint32_t transferSamples = 0;
    Window window;
    uint16_t exposureLines = 0;
    bool triggerMode = false;
    uint32_t driverTimeoutMs = 0;
    double temperatureCelsius = 0;
    uint64_t framesDelivered = 0;
};

class SimulatedCamera {
public:
    // A camera serving the node "Qlix205KWMX-N" in `directory` once plugged in.
    SimulatedCamera(const std::string& directory, int deviceNumber, const CameraOptions& options,
                    std::shared_ptr<const Scene> scene);
    // Unplugs: the node goes away and every request fails.
    ~SimulatedCamera();
    SimulatedCamera(const SimulatedCamera&) = delete;
    SimulatedCamera& operator=(const SimulatedCamera&) = delete;

    const std::string& NodePath() const { return nodePath_; }

    // --- What the camera holds
    uint8_t FpgaRegister(uint8_t reg) const;
    uint16_t SensorRegister(uint8_t reg) const;
    std::array<uint8_t, 256> IdMemory() const;
    CameraStatus Status() const;

    // --- Logs, oldest first (the latest kLogLimit entries of each)
    // Logic-device register writes as received, read-only registers included.
    std::vector<FpgaWriteRecord> FpgaWrites() const;
    // Every command packet received on the command pipe, refused ones included.
    std::vector<Packet> Commands() const;
    void ClearLogs();

    // --- Frames
    uint64_t FramesDelivered() const;
    // Waits until at least `count` frames have been delivered; false on time-out.
    bool WaitForFrames(uint64_t count, int timeoutMs) const;
    // When the camera finished the frame with this trailer word, as
    // nanoseconds of the monotonic clock (CLOCK_MONOTONIC); one of the last
    // kCompletionsKept frames, else nullopt.
    std::optional<uint64_t> FrameCompletedNs(uint16_t trailer) const;
    static constexpr size_t kCompletionsKept = 256;

    // --- The trigger input. A pulse counts only while the trigger input is
    // enabled (bit 0 of register 20); the camera keeps one pending pulse until
    // a triggered frame takes it or a reset, init or register-11 write drops it.
    void Trigger();
    // Waits until a frame read is blocked waiting for a trigger; false on time-out.
    bool WaitForTriggerWait(int timeoutMs) const;

    // --- The cable. Unplug removes the node and closes every open handle;
    // requests in flight fail. Plug powers the camera on again (registers and
    // frame counter at their power-on values, the ID memory kept) and makes
    // the node; false with a message when the node cannot be made.
    bool Plug(std::string* error = nullptr);
    void Unplug();

    // --- Faults
    // Requests that arrive in the next `milliseconds` wait until then.
    void Stall(int milliseconds);
    // The next frame ends after half its bytes: the read succeeds with fewer bytes than asked.
    void ShortNextFrame();
    // The next `count` requests fail, moving nothing and changing nothing.
    void FailNextRequests(int count);
    // Looks at another scene (names as in CameraOptions); false with a message when it cannot be loaded.
    bool SetScene(const std::string& name, std::string* error = nullptr);

private:
    using Clock = std::chrono::steady_clock;
    enum class WaitResult { Ready, TimedOut, Unplugged };

    // Serving requests (camera_requests.cpp): Serve takes mutex_, the others
    // run with it held (ReadFrame lets it go while it makes the frame).
    RequestResult Serve(HandleState& handle, const DriverRequest& request, std::vector<uint8_t>& data);
    RequestResult SetTimeout(std::span<const uint8_t> input);
    RequestResult WriteCommand(HandleState& handle, std::span<const uint8_t> packet, uint32_t length);
    RequestResult ReadReply(const HandleState& handle, uint32_t length, std::vector<uint8_t>& data);
    RequestResult ReadFrame(std::unique_lock<std::mutex>& lock, uint64_t generation, uint32_t length,
                            std::vector<uint8_t>& data);
    // When the frame requested at `start` ends, in real time.
    Clock::time_point NextFrameReady(const Window& window, Clock::time_point start);
    // Waits until `ready` holds, the deadline (none: no limit) passes or the camera is unplugged.
    template <typename Predicate>
    WaitResult WaitUntil(std::unique_lock<std::mutex>& lock, uint64_t generation,
                         std::optional<Clock::time_point> deadline, Predicate ready);

    // These run with mutex_ held.
    void PowerOn();
    void PulseTrigger();
    double TemperatureAt(Clock::time_point when) const;
    void LatchTemperature(Clock::time_point when);

    void RunTriggerClock();

    const std::string nodePath_;
    const CameraOptions options_;

    mutable std::mutex mutex_;  // guards every field down to the renderer
    mutable std::condition_variable changed_;
    CameraRegisters registers_;
    bool plugged_ = false;
    bool ending_ = false;      // the camera is being destroyed: the trigger clock stops
    uint64_t generation_ = 0;  // grows at every unplug: waiting requests of an older generation fail
    uint32_t driverTimeoutMs_ = kPowerOnDriverTimeoutMs;
    bool frameArmed_ = false;  // a start-frame command waits for its read
    Clock::time_point armedAt_;
    bool triggerPending_ = false;
    Clock::time_point triggeredAt_;
    int readsAwaitingTrigger_ = 0;
    Clock::time_point lastFrameReady_;  // the readout runs freely: frames end on this beat
    uint64_t framesDelivered_ = 0;      // since the camera was made
    uint16_t frameCounter_ = 0;         // the trailer: frames since power-on or init
    double temperature_;                // sensor temperature at temperatureAt_
    Clock::time_point temperatureAt_;
    Clock::time_point stallUntil_;
    int failRemaining_ = 0;
    bool shortNext_ = false;
    std::shared_ptr<const Scene> scene_;
    std::deque<FpgaWriteRecord> fpgaWrites_;
    std::deque<Packet> commands_;

    std::mutex renderMutex_;  // guards renderer_
    FrameRenderer renderer_;

    struct Completion {
        bool known = false;
        uint16_t trailer = 0;
        uint64_t ns = 0;
    };
    mutable std::mutex completionMutex_;  // guards completions_; taken alone
    std::array<Completion, kCompletionsKept> completions_{};

    std::mutex cableMutex_;  // serialises Plug and Unplug; taken before mutex_, never after
    std::unique_ptr<DeviceNode> node_;
    std::thread triggerClock_;
};

}  // namespace quelix::sim
