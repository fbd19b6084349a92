// SPDX-License-Identifier: MIT
// One camera opened through the public interface for a command of the
// quelix tool: a simulated camera when asked for and none is attached, a
// message window for the notifications, the camera object with the
// options applied, and a preview into the session's buffer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "quelix/camera_setup.h"
#include "quelix/session_options.h"

namespace quelix::tool {

// What the camera posted: a frame in Buffer(), an error notification, or a
// streaming error that ends the preview (except QUELIX_ERR_OBJECTS, a frame
// that could not be delivered).
struct CameraEvent {
    enum Kind { None, Frame, Error, StreamError } kind = None;
    const QUELIX_FRAME_INFO* info = nullptr;
    uint16_t trailer = 0;
    long code = 0;
    bool EndsStream() const { return kind == StreamError && code != QUELIX_ERR_OBJECTS; }
};

class CameraSession {
public:
    CameraSession();
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    // Opens the camera and applies the options (a mask file switches
    // shading correction and defect repair on); false with a one-line
    // message on stderr. `report` prints what was opened.
    bool Open(const SessionOptions& options, bool report);
    // Starts the preview that copies every frame into Buffer() and posts
    // its notification to Window(); false with a message on stderr.
    bool StartPreview();
    // After the stream was lost: stops the preview, waits until the camera
    // answers again and starts the preview with the same settings. False
    // when interrupted first.
    bool RestartPreviewWhenBack();
    // The next notification within the time-out (kind None when none came).
    // Errors are printed to stderr.
    CameraEvent NextEvent(int timeoutMs);

    int32_t Camera() const { return camera_; }
    QUELIX_HWND Window() const { return window_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Stride() const { return stride_; }
    const std::vector<uint8_t>& Buffer() const { return buffer_; }
    const std::string& Name() const { return name_; }
    // The simulated camera this session started; null when it uses an attached one.
    const sim::SimulatedCamera* Simulated() const { return simulated_.Camera(options_.device); }

private:
    InProcessSimulator simulated_;
    QUELIX_HWND window_ = nullptr;
    int32_t camera_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
    std::vector<uint8_t> buffer_;
    std::string name_;
    SessionOptions options_;
};

// SIGINT and SIGTERM set a flag instead of ending the process, so a
// command ends its loop and leaves its files complete.
void CatchInterrupts();
bool Interrupted();

}  // namespace quelix::tool
