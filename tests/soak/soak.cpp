// SPDX-License-Identifier: MIT
// The soak's run, and its cameras: each streams on a thread of its own,
// changes settings, saves images and records while the faults come.
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <thread>

#include "QuelixSdk_205KWMX.h"
#include "finished_avi.h"
#include "process_memory.h"
#include "soak.h"

namespace quelix::soak {

namespace {

using std::chrono::milliseconds;

constexpr int kColorModes[] = {8, 16, 24, 32, 48, 64};

// Empties the handle's error history (Quelix_GetLastError pops it), after a
// call whose failure the soak expects.
void ClearErrors(int32_t handle)
{
    while (Quelix_GetLastError(handle) != 0) {
    }
}

}  // namespace

long ElapsedMs(Clock::time_point since)
{
    return std::chrono::duration_cast<milliseconds>(Clock::now() - since).count();
}

int Soak::Run()
{
    if (!StartSimulator())
        return 1;
    std::printf("soak: %d simulated cameras in %s, %d s, seed %u\n", options_.cameras, directory_.c_str(),
                options_.seconds, options_.seed);
    StartCameras();
    // Warm up, then take the memory the run is measured against.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const MemorySample start{ResidentKilobytes(), HeapInUseKilobytes()};
    InjectFaultsFor(std::max(options_.seconds - 3, 1));
    const Recovery recovery = AwaitRecovery();
    const MemorySample end{ResidentKilobytes(), HeapInUseKilobytes()};
    EndCameras();
    return Report(recovery, start, end) ? 0 : 1;
}

void Soak::StartCameras()
{
    for (int device = 0; device < options_.cameras; ++device) {
        cameras_.push_back(std::make_unique<SoakCamera>());
        cameras_.back()->device = device;
    }
    for (auto& camera : cameras_)
        camera->thread = std::thread([this, &camera] { CameraThread(*camera); });
}

void Soak::EndCameras()
{
    ending_ = true;
    for (auto& camera : cameras_)
        camera->thread.join();
    simulator_.reset();
    shm_unlink(("/" + std::string(getenv("QUELIX_SHM_NAME")) + "-" + std::to_string(geteuid())).c_str());
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

bool Soak::StartSimulator()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quelix-soak-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "quelix-soak: cannot make a directory for the simulated cameras\n");
        return false;
    }
    directory_ = pattern;
    // The soak keeps its cameras, settings and claims to itself and to the
    // second process it starts.
    setenv("QUELIX_DEVICE_DIR", directory_.c_str(), 1);
    setenv("QUELIX_REGISTRY", (directory_ + "/registry.reg").c_str(), 1);
    setenv("QUELIX_SHM_NAME", ("quelix-soak-" + std::to_string(getpid())).c_str(), 1);
    std::vector<int> devices;
    for (int device = 0; device < options_.cameras; ++device)
        devices.push_back(device);
    sim::CameraOptions cameraOptions;
    cameraOptions.scene = "moving";
    std::string error;
    simulator_ = sim::CameraSimulator::Start(devices, cameraOptions, directory_, &error);
    if (simulator_ == nullptr)
        std::fprintf(stderr, "quelix-soak: simulated cameras: %s\n", error.c_str());
    return simulator_ != nullptr;
}

long Soak::TimedStop(int32_t handle, SoakCamera& camera)
{
    const auto start = Clock::now();
    Quelix_StopPreview(handle);
    camera.streaming = false;
    return ElapsedMs(start);
}

void Soak::Stop(int32_t handle, SoakCamera& camera)
{
    camera.longestStopMs = std::max(camera.longestStopMs.load(), TimedStop(handle, camera));
}

void Soak::ChangeSettings(int32_t handle, std::mt19937& random, SoakCamera& camera)
{
    switch (random() % 6) {
        case 0:
            Quelix_SetBrightness(handle, static_cast<int32_t>(random() % 511) - 255);
            break;
        case 1:
            Quelix_SetGamma(handle, static_cast<int32_t>(random() % 201));
            break;
        case 2:
            Quelix_SetMirrorH(handle, static_cast<int32_t>(random() % 2));
            break;
        case 3:
            Quelix_SetRealExposureTime(handle, 100 + static_cast<int32_t>(random() % 20000));
            break;
        case 4:
            Quelix_SetColorMode(handle, kColorModes[random() % std::size(kColorModes)]);
            break;
        default:
            Quelix_SetSharpness(handle, static_cast<int32_t>(random() % 31));
            break;
    }
    ++camera.settingsChanged;
    ClearErrors(handle);
}

// Saves the latest image in a format picked at random: a save either writes
// its file or leaves none.
void Soak::SaveAnImage(int32_t handle, std::mt19937& random, SoakCamera& camera)
{
    static constexpr const char* kExtensions[] = {"bmp", "raw", "jpg", "jpg", "jpg", "png", "tif"};
    const auto format = static_cast<int32_t>(random() % std::size(kExtensions));
    const std::string path =
        directory_ + "/camera" + std::to_string(camera.device) + "." + kExtensions[format];
    std::error_code error;
    if (Quelix_SaveImage(handle, path.c_str(), format) == 1) {
        ++camera.saves;
        if (std::filesystem::file_size(path, error) == 0 || error)
            ++camera.badFiles;
    } else {
        ++camera.savesRefused;
        if (std::filesystem::exists(path, error))
            ++camera.badFiles;
    }
    std::filesystem::remove(path, error);
    ClearErrors(handle);
}

Soak::Message Soak::TakeMessage(QUELIX_HWND window, SoakCamera& camera)
{
    QUELIX_MSG msg{};
    if (QuelixPlatform_GetMessage(window, &msg, 20) != 1 || msg.message != QUELIX_WM_FRAME)
        return Message::None;
    if (msg.wParam != 0) {
        ++camera.frames;
        ++camera.framesSinceLastFault;
        const int64_t back = camera.pluggedBackAt;
        if (camera.lossExpected && back != 0 && NowMs() > back + 1000) {
            // Frames again after an unplug that was never told.
            ++camera.unreportedLosses;
            camera.lossExpected = false;
        }
        return Message::Frame;
    }
    if (msg.lParam == QUELIX_ERR_OBJECTS)
        return Message::None;
    ++camera.lossesTold;
    camera.lossExpected = false;
    return Message::Loss;
}

// Records a moment of the stream and stops it as an application would,
// before or after its time is up, lost stream or not: the file must be
// there and finished.
void Soak::RecordAWhile(int32_t handle, QUELIX_HWND window, std::mt19937& random, SoakCamera& camera)
{
    const std::string path = directory_ + "/camera" + std::to_string(camera.device) + ".avi";
    const auto recordMs = static_cast<int32_t>(300 + random() % 1500);
    if (Quelix_Record(handle, path.c_str(), recordMs, 0) != 1) {
        ++camera.recordingsRefused;
        ClearErrors(handle);
        return;
    }
    ++camera.recordings;
    const auto until = Clock::now() + milliseconds(random() % (recordMs + 500));
    while (Clock::now() < until && !ending_ && !camera.holdStopped &&
           TakeMessage(window, camera) != Message::Loss) {
    }
    const long took = TimedStop(handle, camera);
    camera.longestRecordingStopMs = std::max(camera.longestRecordingStopMs.load(), took);
    // Stopped by the application: a loss the stop came before owes no report.
    camera.lossExpected = false;
    if (!IsFinishedAvi(path))
        ++camera.badFiles;
    std::error_code error;
    std::filesystem::remove(path, error);
    ClearErrors(handle);
}

void Soak::CameraThread(SoakCamera& camera)
{
    std::mt19937 random(options_.seed * 7919u + static_cast<uint32_t>(camera.device));
    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    const int32_t handle = Quelix_Initialize(window);
    std::vector<uint8_t> buffer(320 * 256 * 8);
    Quelix_SetColorMode(handle, kColorModes[camera.device % std::size(kColorModes)]);
    auto nextTry = Clock::now();
    auto nextSetting = Clock::now() + milliseconds(200);
    auto nextFile = Clock::now() + milliseconds(1000 + random() % 4000);
    bool selected = false;
    while (!ending_) {
        if (camera.holdStopped) {
            if (camera.streaming)
                Stop(handle, camera);
            camera.stoppedForHold = true;
            std::this_thread::sleep_for(milliseconds(20));
            continue;
        }
        camera.stoppedForHold = false;
        if (!camera.streaming && Clock::now() >= nextTry) {
            // (Re)start: select the device, then stream into the buffer.
            selected = selected || Quelix_SetDeviceNumber(handle, camera.device) == 1;
            if (selected && Quelix_CallBackPreview(handle, window, buffer.data(),
                                                   static_cast<int32_t>(buffer.size()), 1) == 1) {
                camera.streaming = true;
                ++camera.restarts;
            } else {
                Quelix_StopPreview(handle);
            }
            ClearErrors(handle);
            nextTry = Clock::now() + milliseconds(200);
        }
        if (TakeMessage(window, camera) == Message::Loss)
            Stop(handle, camera);
        if (camera.streaming && Clock::now() >= nextSetting) {
            ChangeSettings(handle, random, camera);
            nextSetting = Clock::now() + milliseconds(100 + random() % 400);
        }
        if (camera.streaming && Clock::now() >= nextFile) {
            if (random() % 2 == 0)
                SaveAnImage(handle, random, camera);
            else
                RecordAWhile(handle, window, random, camera);
            nextFile = Clock::now() + milliseconds(1000 + random() % 4000);
        }
    }
    if (camera.streaming)
        Stop(handle, camera);
    Quelix_Release(handle);
    QuelixPlatform_DestroyWindow(window);
}

}  // namespace quelix::soak
