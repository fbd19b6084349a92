// SPDX-License-Identifier: MIT
// One camera as the element drives it through the public interface: a
// message window for its notifications, the camera object with the
// element's settings, a preview that announces frames without copying them
// anywhere, and whole copies of the announced frame into the caller's memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "camera_settings.h"
#include "simulated_cameras.h"

namespace quelix::gst {

// What the camera's window had for the element.
struct CameraEvent {
    enum Kind { None, Frame, Lost, Woken } kind = None;
    uint16_t trailer = 0;  // Frame: the counter of the latest frame
    int32_t code = 0;      // Lost: why the frames stopped
};

class CameraLink {
public:
    CameraLink() = default;
    ~CameraLink();
    CameraLink(const CameraLink&) = delete;
    CameraLink& operator=(const CameraLink&) = delete;

    // Starts a simulated camera when asked and none is there, opens the
    // camera and gives it the settings; false with the reason in *error.
    bool Open(const CameraSettings& settings, bool simulate, std::string* error);
    void Close();
    bool IsOpen() const { return camera_ != 0; }
    int32_t Camera() const { return camera_; }

    // Starts the preview in a colour mode; false with the reason in *error.
    bool Start(int32_t bits, std::string* error);
    void Stop();
    bool Running() const { return running_; }

    // The next notification within the time-out; Woken after Wake().
    CameraEvent Next(int timeoutMs);
    // Makes a waiting or the next Next() return Woken, from any thread.
    void Wake();

    // Copies the latest frame whole into `data` (top row first); *trailer
    // is the counter of the frame copied. False when the frame does not fit.
    bool CopyLatest(uint8_t* data, size_t size, uint16_t* trailer);
    // When the library held the frame with that counter (CLOCK_MONOTONIC ns).
    bool HeldAt(uint16_t trailer, uint64_t* monotonicNs) const;

    // After the camera was lost: waits up to `waitMs` for it (Woken ends the
    // wait early), then tries once to give it the settings again and start
    // the preview in the mode it had. True when it streams again.
    bool TryResume(const CameraSettings& settings, int waitMs, bool* woken);

    // The newest error code the library recorded (0: none), taking it.
    int32_t TakeError();

private:
    static constexpr uint32_t kWakeMessage = 0x8400u;

    std::shared_ptr<SimulatedCameraLease> simulated_;
    std::atomic<QUELIX_HWND> window_{nullptr};  // Wake() reads it from other threads
    int32_t camera_ = 0;
    bool running_ = false;
    const int32_t* trailerWord_ = nullptr;  // the library's trailer word the frame messages point to
};

}  // namespace quelix::gst
