// SPDX-License-Identifier: MIT
#include "camera_link.h"

namespace quelix::gst {

namespace {

// The library's trailer word is a 32-bit word that its capture thread
// stores atomically; read it the same way.
uint16_t LoadTrailer(const int32_t* word)
{
    return static_cast<uint16_t>(__atomic_load_n(word, __ATOMIC_SEQ_CST));
}

}  // namespace

CameraLink::~CameraLink()
{
    Close();
}

bool CameraLink::Open(const CameraSettings& settings, bool simulate, std::string* error)
{
    Close();
    if (simulate) {
        simulated_ = LeaseSimulatedCamera(settings.device, error);
        if (simulated_ == nullptr) {
            *error = "the simulated camera did not start: " + *error;
            return false;
        }
    }
    window_ = QuelixPlatform_CreateMessageWindow();
    camera_ = window_ != nullptr ? Quelix_Initialize(window_) : 0;
    if (camera_ == 0) {
        *error = "cannot create a camera object";
        Close();
        return false;
    }
    if (!Quelix_SetDeviceNumber(camera_, settings.device)) {
        *error = "no camera at device number " + std::to_string(settings.device) +
                 (simulate ? "" : " (simulate=true starts a simulated one)");
        Close();
        return false;
    }
    // No preview window: the frames go into the pipeline only, each as
    // soon as the camera made it (no pause of the preview loop).
    Quelix_SetPreviewWindow(camera_, nullptr, 0, 0, 0, 0);
    Quelix_SetWaitTime(camera_, 0);
    if (!ApplyCameraSettings(camera_, settings, error) || !ApplyFilters(camera_, settings, error)) {
        Close();
        return false;
    }
    if (!settings.maskFile.empty()) {
        if (!Quelix_LoadMaskFile(camera_, settings.maskFile.c_str())) {
            *error = "mask-file " + settings.maskFile + " cannot be read or is no mask file";
            Close();
            return false;
        }
        Quelix_SetMaskFilter(camera_, 1);
        Quelix_SetDotFilter(camera_, 1);
    } else {
        Quelix_SetMaskFilter(camera_, 0);
        Quelix_SetDotFilter(camera_, 0);
    }
    return true;
}

void CameraLink::Close()
{
    Stop();
    if (camera_ != 0)
        Quelix_Release(camera_);
    camera_ = 0;
    if (QUELIX_HWND window = window_.exchange(nullptr))
        QuelixPlatform_DestroyWindow(window);
    simulated_.reset();
}

bool CameraLink::Start(int32_t bits, std::string* error)
{
    Stop();
    if (!Quelix_SetColorMode(camera_, bits)) {
        *error = "the camera refused " + std::to_string(bits) + " bits per pixel";
        return false;
    }
    if (!Quelix_CallBackPreview(camera_, window_, nullptr, 0, QUELIX_ROWS_TOP_DOWN)) {
        *error = "the preview did not start (error " + std::to_string(TakeError()) + ")";
        Quelix_StopPreview(camera_);
        return false;
    }
    running_ = true;
    return true;
}

void CameraLink::Stop()
{
    if (camera_ != 0 && running_)
        Quelix_StopPreview(camera_);
    running_ = false;
}

CameraEvent CameraLink::Next(int timeoutMs)
{
    CameraEvent event;
    QUELIX_MSG msg{};
    if (QuelixPlatform_GetMessage(window_, &msg, timeoutMs) != 1)
        return event;
    if (msg.message == kWakeMessage) {
        event.kind = CameraEvent::Woken;
    } else if (msg.message == QUELIX_WM_FRAME && msg.wParam != 0) {
        trailerWord_ = reinterpret_cast<const int32_t*>(msg.lParam);
        event.kind = CameraEvent::Frame;
        event.trailer = LoadTrailer(trailerWord_);
    } else if (msg.message == QUELIX_WM_FRAME && msg.lParam != QUELIX_ERR_OBJECTS) {
        event.kind = CameraEvent::Lost;
        event.code = static_cast<int32_t>(msg.lParam);
    }
    return event;
}

void CameraLink::Wake()
{
    if (QUELIX_HWND window = window_.load())
        QuelixPlatform_PostMessage(window, kWakeMessage, 0, 0);
}

bool CameraLink::CopyLatest(uint8_t* data, size_t size, uint16_t* trailer)
{
    if (trailerWord_ == nullptr || size > INT32_MAX)
        return false;
    // The frame and its counter change together: an equal counter before
    // and after the copy names the frame copied.
    for (;;) {
        const uint16_t before = LoadTrailer(trailerWord_);
        if (!Quelix_GetImage(camera_, data, static_cast<int32_t>(size), QUELIX_ROWS_TOP_DOWN))
            return false;
        if (LoadTrailer(trailerWord_) == before) {
            *trailer = before;
            return true;
        }
    }
}

bool CameraLink::HeldAt(uint16_t trailer, uint64_t* monotonicNs) const
{
    QUELIX_FRAME_TIMES times{};
    if (QuelixPlatform_GetFrameTimes(camera_, trailer, &times) != 1)
        return false;
    *monotonicNs = times.arrived;
    return true;
}

bool CameraLink::TryResume(const CameraSettings& settings, int waitMs, bool* woken)
{
    Stop();
    *woken = false;
    // The notifications of the loss and of failed starts tell nothing new.
    for (CameraEvent event = Next(waitMs); event.kind != CameraEvent::None; event = Next(waitMs)) {
        if (event.kind == CameraEvent::Woken) {
            *woken = true;
            return false;
        }
    }
    std::string ignored;
    if (ApplyCameraSettings(camera_, settings, &ignored) &&
        Quelix_CallBackPreview(camera_, window_, nullptr, 0, QUELIX_ROWS_TOP_DOWN) == 1) {
        running_ = true;
        return true;
    }
    Quelix_StopPreview(camera_);
    while (TakeError() != 0) {
    }
    return false;
}

int32_t CameraLink::TakeError()
{
    return camera_ != 0 ? Quelix_GetLastError(camera_) : 0;
}

}  // namespace quelix::gst
