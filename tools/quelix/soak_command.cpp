// SPDX-License-Identifier: MIT
#include "quelix/soak_command.h"

#include <malloc.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "quelix/camera_options.h"
#include "sim/camera_simulator.h"

namespace quelix::tool {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The longest a stop may take: the frame read in flight ends within the
// driver time-out of a running capture (10 s) and the reply's grace (2 s).
constexpr long kStopBoundMs = 12500;
// A stop that ends a recording also writes the file's end (the last queued
// frames, the index) and flushes it to the disk.
constexpr long kRecordingStopBoundMs = kStopBoundMs + 3000;
// A stall this long outlasts the driver time-out: the stream is lost.
constexpr int kLongStallMs = 11000;
constexpr int kColorModes[] = {8, 16, 24, 32, 48, 64};

long ElapsedMs(Clock::time_point since)
{
    return std::chrono::duration_cast<milliseconds>(Clock::now() - since).count();
}

long ResidentKilobytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Bytes the allocator has handed out and not had back. Set against the
// resident size, it tells memory the program holds from memory the allocator
// keeps for reuse. 0 where the allocator does not tell (the sanitizers').
long HeapInUseKilobytes()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

// Empties the handle's error history (Quelix_GetLastError pops it), after a
// call whose failure the soak expects.
void ClearErrors(int32_t handle)
{
    while (Quelix_GetLastError(handle) != 0) {
    }
}

std::string HeapText(long kilobytes)
{
    return kilobytes > 0 ? std::to_string(kilobytes) + " KiB" : "unknown";
}

uint32_t Le32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// A finished recording: its RIFF size is the file's, and the index of as
// many entries as the header counts frames closes it. Reads the header and
// the index's head only: a recording is tens of megabytes.
bool IsFinishedAvi(const std::string& path)
{
    std::error_code error;
    const uint64_t size = std::filesystem::file_size(path, error);
    if (error || size < 240)
        return false;
    std::ifstream file(path, std::ios::binary);
    uint8_t header[52];
    file.read(reinterpret_cast<char*>(header), sizeof header);
    const uint64_t indexBytes = 8 + 16 * uint64_t{Le32(header + 48)};
    if (!file || std::memcmp(header, "RIFF", 4) != 0 || Le32(header + 4) != size - 8 || indexBytes > size)
        return false;
    char index[4];
    file.seekg(static_cast<std::streamoff>(size - indexBytes));
    file.read(index, sizeof index);
    return file && std::memcmp(index, "idx1", 4) == 0;
}

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

class Soak {
public:
    explicit Soak(const SoakOptions& options) : options_(options), random_(options.seed) {}

    int Run();

private:
    bool StartSimulator();
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

bool Soak::StartSimulator()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quelix-soak-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "quelix: cannot make a directory for the simulated cameras\n");
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
        std::fprintf(stderr, "quelix: simulated cameras: %s\n", error.c_str());
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

// A second process claims the camera, streams from it and is killed.
void Soak::KillAClaim(SoakCamera& camera)
{
    camera.holdStopped = true;
    for (int turn = 0; turn < 1500 && !camera.stoppedForHold; ++turn)
        std::this_thread::sleep_for(milliseconds(10));
    int ready[2];
    if (pipe(ready) != 0) {
        camera.holdStopped = false;
        return;
    }
    const std::string device = std::to_string(camera.device);
    const pid_t child = fork();
    if (child == 0) {
        dup2(ready[1], STDOUT_FILENO);
        execl("/proc/self/exe", "quelix", "soak", "--hold-claim", device.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    bool claimed = false;
    if (child > 0) {
        char byte = 0;
        claimed = read(ready[0], &byte, 1) == 1 && byte == 'c';
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    close(ready[0]);
    if (claimed)
        ++faults_.claimsKilled;
    // The dead process's claim must not keep this camera from streaming.
    const long restartsBefore = camera.restarts;
    camera.holdStopped = false;
    if (!claimed)
        return;
    for (int turn = 0; turn < 500 && camera.restarts == restartsBefore; ++turn)
        std::this_thread::sleep_for(milliseconds(10));
    if (camera.restarts != restartsBefore)
        ++faults_.claimsFreed;
    else
        ++faults_.claimsNotFreed;
}

void Soak::InjectFault()
{
    SoakCamera& camera = *cameras_[random_() % cameras_.size()];
    sim::SimulatedCamera& device = *simulator_->Camera(camera.device);
    camera.framesSinceLastFault = 0;
    switch (random_() % 10) {
        case 0:
        case 1: {
            camera.pluggedBackAt = 0;
            camera.lossExpected = camera.streaming.load();
            device.Unplug();
            ++faults_.unplugs;
            std::this_thread::sleep_for(milliseconds(300 + random_() % 1500));
            device.Plug(nullptr);
            camera.pluggedBackAt = NowMs();
            break;
        }
        case 2:
        case 3:
            device.Stall(static_cast<int>(50 + random_() % 2000));
            ++faults_.stalls;
            break;
        case 4:
            device.Stall(kLongStallMs);
            ++faults_.longStalls;
            break;
        case 5:
        case 6:
            device.ShortNextFrame();
            ++faults_.shortFrames;
            break;
        case 7:
        case 8:
            device.FailNextRequests(static_cast<int>(1 + random_() % 4));
            ++faults_.failedRequests;
            break;
        default:
            KillAClaim(camera);
            break;
    }
}

int Soak::Run()
{
    if (!StartSimulator())
        return 1;
    std::printf("soak: %d simulated cameras in %s, %d s, seed %u\n", options_.cameras, directory_.c_str(),
                options_.seconds, options_.seed);
    for (int device = 0; device < options_.cameras; ++device) {
        cameras_.push_back(std::make_unique<SoakCamera>());
        cameras_.back()->device = device;
    }
    for (auto& camera : cameras_)
        camera->thread = std::thread([this, &camera] { CameraThread(*camera); });

    // Warm up, then take the resident size the run is measured against.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const long residentAtStart = ResidentKilobytes();
    const long heapAtStart = HeapInUseKilobytes();
    const auto faultsStart = Clock::now();
    const auto faultsEnd = faultsStart + std::chrono::seconds(std::max(options_.seconds - 3, 1));
    long minutesReported = 0;
    while (Clock::now() < faultsEnd) {
        InjectFault();
        std::this_thread::sleep_for(milliseconds(100 + random_() % 400));
        if (ElapsedMs(faultsStart) >= (minutesReported + 1) * 60000) {
            ++minutesReported;
            std::printf("minute %ld: resident %ld KiB, heap in use %s\n", minutesReported,
                        ResidentKilobytes(), HeapText(HeapInUseKilobytes()).c_str());
            std::fflush(stdout);
        }
    }

    // Every camera is plugged in again; each must stream again.
    for (int device = 0; device < options_.cameras; ++device)
        simulator_->Camera(device)->Plug(nullptr);
    for (auto& camera : cameras_)
        camera->framesSinceLastFault = 0;
    const auto recoveryStart = Clock::now();
    const long recoveryBoundMs = kLongStallMs + kStopBoundMs + 10000;
    bool allRecovered = false;
    while (!allRecovered && ElapsedMs(recoveryStart) < recoveryBoundMs) {
        std::this_thread::sleep_for(milliseconds(100));
        allRecovered = std::all_of(cameras_.begin(), cameras_.end(),
                                   [](const auto& camera) { return camera->framesSinceLastFault >= 10; });
    }
    const long recoveryMs = ElapsedMs(recoveryStart);
    const long residentAtEnd = ResidentKilobytes();
    const long heapAtEnd = HeapInUseKilobytes();
    ending_ = true;
    for (auto& camera : cameras_)
        camera->thread.join();
    simulator_.reset();
    shm_unlink(("/" + std::string(getenv("QUELIX_SHM_NAME")) + "-" + std::to_string(geteuid())).c_str());
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);

    std::printf("\ncamera  frames  restarts  losses told  unreported  settings  longest stop\n");
    long longestStop = 0;
    long longestRecordingStop = 0;
    long unreported = 0;
    long losses = 0;
    long frames = 0;
    long saves = 0;
    long savesRefused = 0;
    long recordings = 0;
    long recordingsRefused = 0;
    long badFiles = 0;
    for (const auto& camera : cameras_) {
        std::printf("%6d %7ld %9ld %12ld %11ld %9ld %10ld ms\n", camera->device, camera->frames.load(),
                    camera->restarts.load(), camera->lossesTold.load(), camera->unreportedLosses.load(),
                    camera->settingsChanged.load(), camera->longestStopMs.load());
        longestStop = std::max(longestStop, camera->longestStopMs.load());
        longestRecordingStop = std::max(longestRecordingStop, camera->longestRecordingStopMs.load());
        unreported += camera->unreportedLosses;
        losses += camera->lossesTold;
        frames += camera->frames;
        saves += camera->saves;
        savesRefused += camera->savesRefused;
        recordings += camera->recordings;
        recordingsRefused += camera->recordingsRefused;
        badFiles += camera->badFiles;
    }
    std::printf(
        "\nfaults injected: %ld unplugs, %ld stalls, %ld stalls past the time-out, %ld short frames, "
        "%ld failing request runs, %ld claims by a killed process\n",
        faults_.unplugs, faults_.stalls, faults_.longStalls, faults_.shortFrames, faults_.failedRequests,
        faults_.claimsKilled);
    std::printf("frames: %ld; lost streams told to the application: %ld; unreported: %ld\n", frames, losses,
                unreported);
    std::printf(
        "images saved while streaming: %ld (%ld refused); recordings stopped while streaming: %ld (%ld "
        "refused); files left broken or behind: %ld\n",
        saves, savesRefused, recordings, recordingsRefused, badFiles);
    std::printf("claims of killed processes freed: %ld of %ld\n", faults_.claimsFreed, faults_.claimsKilled);
    std::printf(
        "every stop returned within %ld ms (bound %ld ms); every stop that ended a recording within %ld ms "
        "(bound %ld ms)\n",
        longestStop, kStopBoundMs, longestRecordingStop, kRecordingStopBoundMs);
    std::printf("all cameras streaming again %ld ms after the last fault (bound %ld ms): %s\n", recoveryMs,
                recoveryBoundMs, allRecovered ? "yes" : "no");
    const long growth = residentAtEnd - residentAtStart;
    std::printf("resident memory: %ld KiB at start, %ld KiB at end (%+ld KiB)\n", residentAtStart,
                residentAtEnd, growth);
    if (heapAtStart > 0)
        std::printf("heap in use: %ld KiB at start, %ld KiB at end (%+ld KiB)\n", heapAtStart, heapAtEnd,
                    heapAtEnd - heapAtStart);
    const bool passed = allRecovered && unreported == 0 && longestStop <= kStopBoundMs &&
                        longestRecordingStop <= kRecordingStopBoundMs && faults_.claimsNotFreed == 0 &&
                        badFiles == 0 && growth < 64 * 1024;
    std::printf("soak %s\n", passed ? "passed" : "FAILED");
    return passed ? 0 : 1;
}

// The second process: claims the camera by streaming from it, says so on
// standard output, and streams until it is killed.
int HoldClaim(int device)
{
    const int32_t handle = Quelix_Initialize(nullptr);
    if (handle == 0)
        return 1;
    if (Quelix_SetDeviceNumber(handle, device) != 1 || Quelix_StartPreview(handle) != 1) {
        // The camera could not be claimed (it may be unplugged): end cleanly.
        Quelix_Release(handle);
        return 1;
    }
    [[maybe_unused]] const ssize_t told = write(STDOUT_FILENO, "c", 1);
    for (;;)
        pause();
}

}  // namespace

std::string SoakUsage()
{
    return "usage: quelix soak [options]\n"
           "Streams from simulated cameras in several colour modes while injecting faults\n"
           "at random: unplug and plug, stalls, short frames, failing requests, a second\n"
           "process that claims a camera and is killed, settings changed, images saved and\n"
           "recordings started and stopped while streaming. Checks that every stop returns\n"
           "in time, every lost stream is told, every camera streams again, claims of dead\n"
           "processes free, every saved or recorded file is whole (or, refused, not there)\n"
           "and memory stays flat.\n"
           "\n"
           "  --seconds N   how long to run (default 60)\n"
           "  --cameras N   simulated cameras, 1 to 8 (default 8)\n"
           "  --seed S      seed of the fault sequence (default 1)\n"
           "  --help        this text\n";
}

std::optional<SoakOptions> ParseSoakOptions(const std::vector<std::string>& arguments, std::string& error)
{
    SoakOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (i + 1 >= arguments.size()) {
            error = "unknown option or missing value: " + name;
            return std::nullopt;
        }
        const std::string& text = arguments[++i];
        struct Range {
            const char* name;
            long minimum;
            long maximum;
        };
        static constexpr Range kRanges[] = {
            {"--seconds", 5, 86400}, {"--cameras", 1, 8}, {"--seed", 0, INT32_MAX}, {"--hold-claim", 0, 7}};
        const auto range = std::find_if(std::begin(kRanges), std::end(kRanges),
                                        [&name](const Range& r) { return name == r.name; });
        long value = 0;
        if (range == std::end(kRanges)) {
            error = "unknown option " + name;
            return std::nullopt;
        }
        if (!ParseLong(text, range->minimum, range->maximum, value)) {
            error = name + " takes a whole number from " + std::to_string(range->minimum) + " to " +
                    std::to_string(range->maximum) + ", not " + text;
            return std::nullopt;
        }
        if (name == "--seconds")
            options.seconds = static_cast<int>(value);
        else if (name == "--cameras")
            options.cameras = static_cast<int>(value);
        else if (name == "--seed")
            options.seed = static_cast<uint32_t>(value);
        else
            options.holdClaim = static_cast<int>(value);
    }
    return options;
}

int RunSoak(const SoakOptions& options)
{
    if (options.holdClaim >= 0)
        return HoldClaim(options.holdClaim);
    return Soak(options).Run();
}

}  // namespace quelix::tool
