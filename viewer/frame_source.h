// SPDX-License-Identifier: MIT
// The camera as the viewer sees it: one camera object of the library with a
// message window; a thread of the viewer's own that takes the library's
// messages as they come (frame notifications, errors) and counts the
// frames; and a second one that reads the sensor temperature once a second
// and, when the camera is lost, starts the preview again once it answers.
// The second may wait for the library (a settings dialog holds the camera),
// the first never does, so no frame notification waits. The picture takes the newest
// frame with Quelix_GetImage when it draws, so drawing never holds up the
// camera and no frame is copied that is not shown.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "frame_counter.h"
#include "frame_image.h"

namespace quelix::viewer {

// What the status bar shows.
struct SourceStatus {
    bool streaming = false;  // frames arrive
    bool waiting = false;    // the camera was lost; the viewer waits for it
    double hostFps = 0.0;    // frames reaching the viewer per second
    double cameraFps = 0.0;  // the library's measured preview rate
    uint64_t frames = 0;
    uint64_t dropped = 0;  // frames the camera counted that never reached the viewer
    bool haveTemperature = false;
    double celsius = 0.0;
    int peltier = 0;
    int lastError = 0;         // the last error code the library posted; 0 none
    uint64_t errorSerial = 0;  // grows with every error, so the same code twice is seen
};

class FrameSource {
public:
    FrameSource() = default;
    ~FrameSource();
    FrameSource(const FrameSource&) = delete;
    FrameSource& operator=(const FrameSource&) = delete;

    // Makes the camera object for device `device` and, when bits is not 0,
    // sets that colour mode. False with the reason in `error`.
    bool Open(int device, int bits, std::string& error);
    // Starts the preview and the message thread. False with the reason in `error`.
    bool Start(std::string& error);
    // Stops the preview and the message thread; the camera object stays.
    void Stop();

    int32_t Camera() const { return camera_; }
    int Device() const { return device_; }
    // After a switch with Quelix_SetDeviceNumber.
    void SetDevice(int device) { device_ = device; }
    // The colour mode's bits per pixel (8, 16, 24, 32, 48 or 64).
    int Bits() const;

    // Stops the preview, runs `change` (a device switch, the end of a
    // recording) and starts the preview again. False when it did not start.
    template <typename Change>
    bool Restart(Change change)
    {
        std::lock_guard<std::mutex> lock(controlMutex_);
        Quelix_StopPreview(camera_);
        change();
        return StartPreviewLocked();
    }
    // While a recording runs the library announces no frames: the picture
    // then polls the newest frame at each redraw.
    void SetPolling(bool polling) { polling_ = polling; }

    // Copies the newest frame into `frame` when one arrived since the last
    // call (or always while polling). False when there is none new.
    bool FetchNewest(FrameImage& frame);
    // Copies the newest frame whether or not it was fetched before; false
    // when there is none.
    bool CopyNewest(FrameImage& frame);
    SourceStatus CurrentStatus(double now) const;
    // The attached cameras, looked for again: device number and display name.
    std::vector<std::pair<int, std::string>> Devices();

private:
    void Run();
    void Monitor();
    void HandleMessage(const QUELIX_MSG& message);
    void Recover();
    void ReadTemperature();
    bool StartPreviewLocked();

    QUELIX_HWND window_ = nullptr;
    int32_t camera_ = 0;
    int device_ = 0;
    std::thread thread_;
    std::thread monitor_;
    std::atomic<bool> quit_{false};
    std::atomic<bool> polling_{false};
    std::atomic<bool> newFrame_{false};
    std::atomic<bool> lost_{false};
    std::atomic<int> quietNoDevice_{0};  // "no device" codes of Devices() to leave off the status bar
    std::mutex controlMutex_;  // one stop/start sequence at a time (the viewer's and the recovery's)

    mutable std::mutex statusMutex_;  // guards everything below
    FrameCounter counter_;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    int frameBits_ = 0;
    double cameraFps_ = 0.0;
    bool haveTemperature_ = false;
    double celsius_ = 0.0;
    int peltier_ = 0;
    int lastError_ = 0;
    uint64_t errorSerial_ = 0;
};

// Seconds of the monotonic clock.
double MonotonicSeconds();

// The colour mode's bits per pixel from what Quelix_GetColorMode reports
// (14, 46 and 62 for the wide modes); 0 for anything else.
int BitsOfReportedMode(int reported);

}  // namespace quelix::viewer
