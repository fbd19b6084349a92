// SPDX-License-Identifier: MIT
#include "frame_source.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "sensor_temperature.h"

namespace quelix::viewer {

namespace {

constexpr int kMessageWaitMs = 250;
constexpr int kMonitorStepMs = 100;
constexpr double kRetrySeconds = 1.0;
constexpr double kTemperatureSeconds = 1.0;
// The largest frame: the whole sensor at 64 bits per pixel.
constexpr size_t kLargestFrame = static_cast<size_t>(QUELIX_SENSOR_WIDTH) * QUELIX_SENSOR_HEIGHT * 8;

}  // namespace

double MonotonicSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

int BitsOfReportedMode(int reported)
{
    switch (reported) {
        case QUELIX_REPORTED_GRAY8:
            return 8;
        case QUELIX_REPORTED_GRAY16:
            return 16;
        case QUELIX_REPORTED_BGR24:
            return 24;
        case QUELIX_REPORTED_BGRX32:
            return 32;
        case QUELIX_REPORTED_BGR48:
            return 48;
        case QUELIX_REPORTED_BGRX64:
            return 64;
        default:
            return 0;
    }
}

FrameSource::~FrameSource()
{
    Stop();
    if (camera_ != 0)
        Quelix_Release(camera_);
    if (window_ != nullptr)
        QuelixPlatform_DestroyWindow(window_);
}

bool FrameSource::Open(int device, int bits, std::string& error)
{
    window_ = QuelixPlatform_CreateMessageWindow();
    camera_ = window_ != nullptr ? Quelix_Initialize(window_) : 0;
    if (camera_ == 0) {
        error = "cannot create a camera object";
        return false;
    }
    device_ = device;
    if (!Quelix_SetDeviceNumber(camera_, device)) {
        error = "no camera at device number " + std::to_string(device) + " (error " +
                std::to_string(Quelix_GetLastError(camera_)) + "); try --simulate";
        return false;
    }
    if (bits != 0 && !Quelix_SetColorMode(camera_, bits)) {
        error = "cannot use " + std::to_string(bits) + " bits per pixel";
        return false;
    }
    // The picture is the viewer's: the library makes no preview window.
    Quelix_SetPreviewWindow(camera_, nullptr, 0, 0, 0, 0);
    // What the set-up recorded is no news for the status bar.
    for (QUELIX_MSG message{}; QuelixPlatform_PeekMessage(window_, &message) == 1;) {
    }
    return true;
}

int FrameSource::Bits() const
{
    const int bits = BitsOfReportedMode(Quelix_GetColorMode(camera_));
    return bits != 0 ? bits : 8;
}

bool FrameSource::StartPreviewLocked()
{
    {
        std::lock_guard<std::mutex> lock(statusMutex_);
        counter_.Restart();
    }
    const bool started = Quelix_CallBackPreview(camera_, window_, nullptr, 0, QUELIX_ROWS_TOP_DOWN) == 1;
    lost_ = !started;
    return started;
}

bool FrameSource::Start(std::string& error)
{
    {
        std::lock_guard<std::mutex> lock(controlMutex_);
        if (!StartPreviewLocked()) {
            error = "the preview did not start (error " + std::to_string(Quelix_GetLastError(camera_)) + ")";
            return false;
        }
    }
    quit_ = false;
    thread_ = std::thread([this] { Run(); });
    monitor_ = std::thread([this] { Monitor(); });
    return true;
}

void FrameSource::Stop()
{
    quit_ = true;
    if (thread_.joinable())
        thread_.join();
    if (monitor_.joinable())
        monitor_.join();
    if (camera_ != 0)
        Quelix_StopPreview(camera_);
}

void FrameSource::Run()
{
    while (!quit_) {
        QUELIX_MSG message{};
        if (QuelixPlatform_GetMessage(window_, &message, kMessageWaitMs) == 1)
            HandleMessage(message);
    }
}

void FrameSource::Monitor()
{
    double nextRetry = 0.0;
    double nextTemperature = 0.0;
    while (!quit_) {
        const double now = MonotonicSeconds();
        if (lost_ && now >= nextRetry) {
            Recover();
            nextRetry = MonotonicSeconds() + kRetrySeconds;
        } else if (!lost_ && now >= nextTemperature) {
            ReadTemperature();
            nextTemperature = MonotonicSeconds() + kTemperatureSeconds;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kMonitorStepMs));
    }
}

void FrameSource::HandleMessage(const QUELIX_MSG& message)
{
    if (message.message == QUELIX_WM_FRAME && message.wParam != 0) {
        // The record and the trailer word are overwritten by the next frame:
        // read them now, each field whole, as the capture thread writes them.
        const auto* info = reinterpret_cast<const QUELIX_FRAME_INFO*>(message.wParam);
        const auto* trailerWord = reinterpret_cast<const int32_t*>(message.lParam);
        const auto trailer = static_cast<uint16_t>(__atomic_load_n(trailerWord, __ATOMIC_RELAXED));
        const int width = __atomic_load_n(&info->width, __ATOMIC_RELAXED);
        const int height = __atomic_load_n(&info->height, __ATOMIC_RELAXED);
        const int bits = __atomic_load_n(&info->bitCount, __ATOMIC_RELAXED);
        const int fps10 = __atomic_load_n(&info->fps10, __ATOMIC_RELAXED);
        std::lock_guard<std::mutex> lock(statusMutex_);
        counter_.Arrived(trailer, MonotonicSeconds());
        if (FrameStride(width, bits) > 0 && height > 0 && height <= QUELIX_SENSOR_HEIGHT &&
            width <= QUELIX_SENSOR_WIDTH) {
            frameWidth_ = width;
            frameHeight_ = height;
            frameBits_ = bits;
        }
        cameraFps_ = fps10 / 10.0;
        newFrame_ = true;
        return;
    }
    if (message.message != QUELIX_WM_FRAME && message.message != QUELIX_WM_ERROR)
        return;
    const int code = static_cast<int>(message.lParam);
    if (message.message == QUELIX_WM_ERROR && code == QUELIX_ERR_NO_DEVICE && quietNoDevice_ > 0) {
        --quietNoDevice_;
        return;
    }
    {
        std::lock_guard<std::mutex> lock(statusMutex_);
        lastError_ = code;
        ++errorSerial_;
    }
    // A frame that did not fit is one frame; the others end the stream.
    if (message.message == QUELIX_WM_FRAME && code != QUELIX_ERR_OBJECTS)
        lost_ = true;
}

void FrameSource::Recover()
{
    std::unique_lock<std::mutex> lock(controlMutex_, std::try_to_lock);
    if (!lock.owns_lock())
        return;  // the viewer is stopping or starting the preview itself
    Quelix_StopPreview(camera_);
    if (!StartPreviewLocked())
        Quelix_StopPreview(camera_);
    // The history keeps only the newest codes; the status bar has them.
    while (Quelix_GetLastError(camera_) != 0) {
    }
}

void FrameSource::ReadTemperature()
{
    // Not while the viewer stops and starts the preview (a device switch):
    // the reads would fail and tell a register error that is none.
    std::unique_lock<std::mutex> control(controlMutex_, std::try_to_lock);
    if (!control.owns_lock())
        return;
    int32_t okHigh = 0, okLow = 0, okPeltier = 0;
    const int high = Quelix_Fpga_ReadRegister(camera_, kTemperatureHighRegister, &okHigh);
    const int low = Quelix_Fpga_ReadRegister(camera_, kTemperatureLowRegister, &okLow);
    const int peltier = Quelix_Fpga_ReadRegister(camera_, kPeltierRegister, &okPeltier);
    std::lock_guard<std::mutex> lock(statusMutex_);
    haveTemperature_ = okHigh == 1 && okLow == 1;
    if (haveTemperature_)
        celsius_ = ReadingToCelsius(TemperatureReading(high, low));
    if (okPeltier == 1)
        peltier_ = peltier;
}

bool FrameSource::FetchNewest(FrameImage& frame)
{
    if (!newFrame_.exchange(false) && !polling_)
        return false;
    return CopyNewest(frame);
}

bool FrameSource::CopyNewest(FrameImage& frame)
{
    int width = 0, height = 0, bits = 0;
    {
        std::lock_guard<std::mutex> lock(statusMutex_);
        width = frameWidth_;
        height = frameHeight_;
        bits = frameBits_;
    }
    const int stride = FrameStride(width, bits);
    // Right after a change of colour mode the last frame's size may not be
    // the newest image's: wait for a frame of the new mode.
    if (stride == 0 || height <= 0 || bits != Bits())
        return false;
    // The buffer holds the largest frame, so a frame of another colour mode
    // that became the newest meanwhile still fits.
    frame.pixels.resize(kLargestFrame);
    if (Quelix_GetImage(camera_, frame.pixels.data(), static_cast<int32_t>(frame.pixels.size()),
                        QUELIX_ROWS_TOP_DOWN) != 1)
        return false;
    frame.width = width;
    frame.height = height;
    frame.bits = bits;
    return true;
}

SourceStatus FrameSource::CurrentStatus(double now) const
{
    SourceStatus status;
    status.waiting = lost_;
    std::lock_guard<std::mutex> lock(statusMutex_);
    status.hostFps = counter_.Rate(now);
    status.streaming = !status.waiting && status.hostFps > 0.0;
    status.cameraFps = cameraFps_;
    status.frames = counter_.Frames();
    status.dropped = counter_.Dropped();
    status.haveTemperature = haveTemperature_;
    status.celsius = celsius_;
    status.peltier = peltier_;
    status.lastError = lastError_;
    status.errorSerial = errorSerial_;
    return status;
}

std::vector<std::pair<int, std::string>> FrameSource::Devices()
{
    std::vector<char> names(static_cast<size_t>(QUELIX_DEVICE_LIST_ENTRIES) * QUELIX_DEVICE_NAME_SIZE, '\0');
    std::vector<std::pair<int, std::string>> devices;
    if (Quelix_EnumDevice(camera_, names.data()) <= 0)
        return devices;
    for (int number = 0; number < QUELIX_MAX_DEVICES; ++number) {
        char name[QUELIX_DEVICE_NAME_SIZE] = {};
        // The absent numbers answer "no device", which is no error of the camera in use.
        ++quietNoDevice_;
        if (Quelix_GetDeviceName(camera_, number, name, sizeof name) == 1) {
            --quietNoDevice_;
            devices.emplace_back(number, std::string(name, strnlen(name, sizeof name)));
        } else {
            Quelix_GetLastError(camera_);
        }
    }
    return devices;
}

}  // namespace quelix::viewer
