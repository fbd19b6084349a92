// SPDX-License-Identifier: MIT
#include "quelix/camera_session.h"

#include <signal.h>
#include <stdlib.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

#include "quelix/failure_cause.h"

namespace quelix::tool {

namespace {

std::atomic<bool> interrupted{false};

void OnInterrupt(int)
{
    interrupted = true;
}

// The capture window, exposure, mirrors and automatic exposure of the options.
bool ApplySessionOptions(int32_t camera, const SessionOptions& options)
{
    if (const auto& w = options.captureWindow;
        w && !Quelix_SetCaptureWindowEx(camera, 320, (*w)[0], (*w)[2], 256, (*w)[1], (*w)[3]))
        return false;
    if (options.exposureMicroseconds && !Quelix_SetRealExposureTime(camera, *options.exposureMicroseconds))
        return false;
    return Quelix_SetMirrorH(camera, options.mirrorH ? 1 : 0) &&
           Quelix_SetMirrorV(camera, options.mirrorV ? 1 : 0) &&
           Quelix_SetAutoIris(camera, options.autoExposure ? 1 : 0);
}

// Loads the mask file and switches shading correction and defect repair on.
bool ApplyMask(int32_t camera, const std::string& path)
{
    if (!Quelix_LoadMaskFile(camera, path.c_str())) {
        std::fprintf(stderr, "quelix: %s is not a mask file that can be read (error %d)\n", path.c_str(),
                     Quelix_GetLastError(camera));
        return false;
    }
    return Quelix_SetMaskFilter(camera, 1) && Quelix_SetDotFilter(camera, 1);
}

}  // namespace

CameraSession::CameraSession() = default;

CameraSession::~CameraSession()
{
    if (camera_ != 0)
        Quelix_Release(camera_);
    if (window_ != nullptr)
        QuelixPlatform_DestroyWindow(window_);
}

bool CameraSession::Open(const SessionOptions& options, bool report)
{
    if (!StartSimulatedIfAsked(simulated_, options.simulate, options.device, options.scene, report))
        return false;
    options_ = options;
    window_ = QuelixPlatform_CreateMessageWindow();
    camera_ = window_ != nullptr ? Quelix_Initialize(window_) : 0;
    if (camera_ == 0) {
        std::fprintf(stderr, "quelix: cannot create a camera object\n");
        return false;
    }
    if (report)
        std::printf("Quelix SDK %d, camera handle %d\n", Quelix_GetDllVersion(), camera_);
    if (!Quelix_SetDeviceNumber(camera_, options.device)) {
        std::fprintf(stderr, "quelix: no camera at device number %d (%s)%s\n", options.device,
                     FailureCause(camera_).c_str(), options.simulate ? "" : "; try --simulate");
        return false;
    }
    if (!Quelix_SetColorMode(camera_, options.bits)) {
        std::fprintf(stderr, "quelix: cannot use %d bits per pixel\n", options.bits);
        return false;
    }
    if (!ApplySessionOptions(camera_, options)) {
        std::fprintf(stderr, "quelix: the camera refused a setting (error %d)\n",
                     Quelix_GetLastError(camera_));
        return false;
    }
    if (!options.mask.empty() && !ApplyMask(camera_, options.mask))
        return false;
    char name[256] = {};
    Quelix_GetDeviceName(camera_, options.device, name, sizeof name);
    name_ = name;
    const bool show = options.showWindow || DisplayAvailable();
    width_ = Quelix_Width(camera_);
    height_ = Quelix_Height(camera_);
    Quelix_SetPreviewWindow(camera_, nullptr, 0, 0, show ? width_ : 0, show ? height_ : 0);
    stride_ = (width_ * (options.bits / 8) + 3) & ~3;
    buffer_.assign(static_cast<size_t>(stride_) * static_cast<size_t>(height_), 0);
    if (report)
        std::printf("%s: %d x %d at %d bits per pixel%s\n", name, width_, height_, options.bits,
                    show ? ", preview window shown" : "");
    return true;
}

bool CameraSession::StartPreview()
{
    if (!Quelix_CallBackPreview(camera_, window_, buffer_.data(), static_cast<int32_t>(buffer_.size()), 1)) {
        std::fprintf(stderr, "quelix: the preview did not start (%s)\n", FailureCause(camera_).c_str());
        return false;
    }
    return true;
}

bool CameraSession::RestartPreviewWhenBack()
{
    Quelix_StopPreview(camera_);
    for (;;) {
        // The notifications of the loss and of failed starts tell nothing new.
        for (QUELIX_MSG msg{}; QuelixPlatform_GetMessage(window_, &msg, 500) == 1;) {
        }
        if (Interrupted())
            return false;
        if (ApplySessionOptions(camera_, options_) &&
            Quelix_CallBackPreview(camera_, window_, buffer_.data(), static_cast<int32_t>(buffer_.size()),
                                   1) == 1)
            return true;
        Quelix_StopPreview(camera_);
        while (Quelix_GetLastError(camera_) != 0) {
        }
    }
}

CameraEvent CameraSession::NextEvent(int timeoutMs)
{
    CameraEvent event;
    QUELIX_MSG msg{};
    if (QuelixPlatform_GetMessage(window_, &msg, timeoutMs) != 1)
        return event;
    if (msg.message == QUELIX_WM_FRAME && msg.wParam != 0) {
        event.kind = CameraEvent::Frame;
        event.info = reinterpret_cast<const QUELIX_FRAME_INFO*>(msg.wParam);
        event.trailer = static_cast<uint16_t>(*reinterpret_cast<const int32_t*>(msg.lParam));
    } else if (msg.message == QUELIX_WM_FRAME || msg.message == QUELIX_WM_ERROR) {
        event.kind = msg.message == QUELIX_WM_FRAME ? CameraEvent::StreamError : CameraEvent::Error;
        event.code = static_cast<long>(msg.lParam);
        std::fprintf(stderr, "quelix: camera error %ld\n", event.code);
    }
    return event;
}

void CatchInterrupts()
{
    signal(SIGINT, OnInterrupt);
    signal(SIGTERM, OnInterrupt);
}

bool Interrupted()
{
    return interrupted;
}

}  // namespace quelix::tool
