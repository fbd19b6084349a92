// SPDX-License-Identifier: MIT
// Saving one 320 x 256 frame per format and bit depth (conversion,
// encoding, the staged file with its flush to disk and the rename; timed in
// real time, since the flush waits for the disk without using the
// processor), and a preview at the camera's own frame rate while another
// thread saves PNG files of its frames in a loop: the counter scene's
// trailer words tell whether the preview lost a frame.
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "bench_camera.h"
#include "output/image_files.h"

namespace quelix {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 320;
constexpr int kHeight = 256;

class ScratchDirectory {
public:
    ScratchDirectory()
        : path_(fs::temp_directory_path() / ("quelix-bench-images-" + std::to_string(getpid())))
    {
        fs::create_directories(path_);
    }
    ~ScratchDirectory()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

// A camera-like picture: a gradient of 14-bit levels with noise, in every
// channel the depth has (8-bit channels narrowed).
void FillFrame(CDibImage& image)
{
    std::mt19937 random(5);
    const bool words = image.bitCount == 16 || image.bitCount >= 48;
    const int channels = image.bitCount == 8 || image.bitCount == 16 ? 1 : 3;
    for (int32_t y = 0; y < image.height; ++y) {
        uint8_t* row = image.pBits + static_cast<size_t>(y) * image.stride;
        for (int32_t x = 0; x < image.width; ++x) {
            for (int c = 0; c < channels; ++c) {
                const int level =
                    std::min(0x3FFF, x * 30 + y * 20 + c * 500 + static_cast<int>(random() % 200));
                if (words) {
                    const uint16_t sample = static_cast<uint16_t>(level);
                    std::memcpy(row + x * image.bitCount / 8 + 2 * c, &sample, 2);
                } else {
                    row[x * image.bitCount / 8 + c] = static_cast<uint8_t>(level >> 6);
                }
            }
        }
    }
}

// Arguments: format code, bit count.
void BM_SaveImageFile(benchmark::State& state)
{
    const int format = static_cast<int>(state.range(0));
    CDibImage frame;
    frame.Create(kWidth, kHeight, static_cast<int>(state.range(1)));
    FillFrame(frame);
    ScratchDirectory directory;
    const std::string path = directory.File("frame");
    for (auto _ : state) {
        if (!SaveImageFile(path, &frame, format, kSampleBits)) {
            state.SkipWithError("the save failed");
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
}
BENCHMARK(BM_SaveImageFile)
    ->ArgsProduct({{kImageBmp, kImageRaw, kImageJpeg100, kImageJpeg70, kImageJpeg20, kImagePng, kImageTiff},
                   {8, 16, 24, 32, 48, 64}})
    ->ArgNames({"format", "bits"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Argument: 1 to save PNG files of the latest frame on a second thread
// while the preview runs, 0 for the preview alone. One iteration streams
// for five seconds at the camera's frame rate.
void BM_PreviewWhileSaving(benchmark::State& state)
{
    const bool saving = state.range(0) != 0;
    ScratchDirectory directory;
    const std::string sharedTable = "quelix-bench-" + std::to_string(getpid());
    setenv("QUELIX_REGISTRY", directory.File("registry.reg").c_str(), 1);
    setenv("QUELIX_SHM_NAME", sharedTable.c_str(), 1);
    bench::BenchCamera simulated({0}, false, true, "counter");
    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    const int32_t camera = Quelix_Initialize(window);
    std::vector<uint8_t> buffer(kWidth * kHeight * 2);
    if (!simulated.Started() || !Quelix_SetDeviceNumber(camera, 0) || !Quelix_SetColorMode(camera, 16)) {
        state.SkipWithError("no simulated camera");
        return;
    }
    long frames = 0;
    long dropped = 0;
    std::atomic<long> saves{0};
    std::atomic<long> failedSaves{0};
    for (auto _ : state) {
        if (!Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1)) {
            state.SkipWithError("the preview did not start");
            break;
        }
        std::atomic<bool> stop{false};
        std::thread saver;
        if (saving) {
            saver = std::thread([&] {
                while (!stop) {
                    if (Quelix_SaveImage(camera, directory.File("frame.png").c_str(), QUELIX_IMAGE_PNG))
                        ++saves;
                    else
                        ++failedSaves;
                }
            });
        }
        // The camera made (last - first + 1) frames while the preview ran
        // (the counter advances by one per frame); those not delivered were
        // lost. A trailer word read late shows a newer frame's number, which
        // moves part of one gap into the next, so only the ends count.
        long framesHere = 0;
        long advance = 0;
        uint16_t last = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < end) {
            QUELIX_MSG msg{};
            if (QuelixPlatform_GetMessage(window, &msg, 100) != 1 || msg.message != QUELIX_WM_FRAME ||
                msg.wParam == 0)
                continue;
            const auto trailer = static_cast<uint16_t>(*reinterpret_cast<const int32_t*>(msg.lParam));
            if (framesHere > 0)
                advance += static_cast<uint16_t>(trailer - last);
            last = trailer;
            ++framesHere;
        }
        frames += framesHere;
        dropped += advance + 1 - framesHere;
        stop = true;
        if (saver.joinable())
            saver.join();
        Quelix_StopPreview(camera);
    }
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["dropped"] = static_cast<double>(dropped);
    state.counters["saves"] = static_cast<double>(saves);
    state.counters["failed_saves"] = static_cast<double>(failedSaves);
    Quelix_Release(camera);
    QuelixPlatform_DestroyWindow(window);
    shm_unlink(("/" + sharedTable).c_str());
}
BENCHMARK(BM_PreviewWhileSaving)->Arg(0)->Arg(1)->ArgName("saving")->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace quelix
