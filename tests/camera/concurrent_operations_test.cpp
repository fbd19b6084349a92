// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <climits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "sim_fixture.h"

namespace quelix {
namespace {

constexpr int kThreads = 4;
constexpr int kOperationsPerThread = 80;
constexpr int kRemakes = 6;
// Room for the largest frame (320 x 256 at 64 bits) whatever the window.
constexpr size_t kBufferBytes = 320 * 256 * 8;

class ConcurrentOperations : public test::SimulatedCameraTest {};

// Application threads call the operations that change a camera's window,
// colour mode and acquisition state (recordings among them) at random on
// two shared handles, while
// the main thread releases the handles and makes new ones. Any buffer
// resized under a running acquisition or another call shows as a sanitizer
// report or a crash; a lock taken in the wrong order as a hang.
TEST_F(ConcurrentOperations, RandomOperationsOnSharedHandlesWhileHandlesAreRemade)
{
    StartCameras({0, 1});
    const QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    ASSERT_NE(window, nullptr);
    const auto makeCamera = [window](int device) {
        const int32_t handle = Quelix_Initialize(window);
        if (handle != 0 && device != 0)
            Quelix_SetDeviceNumber(handle, device);
        return handle;
    };
    std::array<std::atomic<int32_t>, 2> handles{};
    handles[0] = makeCamera(0);
    handles[1] = makeCamera(1);
    ASSERT_NE(handles[0].load(), 0);
    ASSERT_NE(handles[1].load(), 0);

    // Buffers outlive every camera that may write into them. A camera's
    // capture thread writes into the frame buffer of its slot; the calls
    // that copy a frame write into their thread's own buffer, so no two
    // writers ever share one.
    std::vector<std::vector<uint8_t>> frameBuffers(2, std::vector<uint8_t>(kBufferBytes));
    std::vector<std::vector<uint8_t>> buffers(kThreads, std::vector<uint8_t>(kBufferBytes));
    std::atomic<int> done{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937 random(static_cast<unsigned>(1234 + t));
            uint8_t* buffer = buffers[static_cast<size_t>(t)].data();
            const auto size = static_cast<int32_t>(kBufferBytes);
            const std::string recording = environment_.Directory() + "/thread" + std::to_string(t) + ".avi";
            for (int n = 0; n < kOperationsPerThread; ++n) {
                const size_t slot = random() % 2;
                const int32_t handle = handles[slot].load();
                uint8_t* frames = frameBuffers[slot].data();
                const int width = 1 + static_cast<int>(random() % 320);
                const int height = 1 + static_cast<int>(random() % 256);
                const int left = static_cast<int>(random() % static_cast<unsigned>(321 - width));
                const int top = static_cast<int>(random() % static_cast<unsigned>(257 - height));
                static constexpr int32_t kBits[] = {8, 16, 24, 32, 48, 64};
                switch (random() % 14) {
                    case 0:
                        Quelix_SnapShot(handle, buffer, size, static_cast<int32_t>(random() % 2));
                        break;
                    case 1:
                        Quelix_CallBackPreview(handle, window, frames, size, 0);
                        break;
                    case 2:
                        Quelix_StopPreview(handle);
                        break;
                    case 3:
                        Quelix_SetColorMode(handle, kBits[random() % 6]);
                        break;
                    case 4:
                        Quelix_SetCaptureWindowEx(handle, 320, left, width, 256, top, height);
                        break;
                    case 5:
                        Quelix_SetMirrorH(handle, static_cast<int32_t>(random() % 2));
                        break;
                    case 6:
                        Quelix_SetBrightness(handle, static_cast<int32_t>(random() % 256) - 128);
                        break;
                    case 7:
                        Quelix_GetImage(handle, buffer, size, 1);
                        break;
                    case 8:
                        Quelix_Trigger(handle, window, frames, size, 1);
                        break;
                    case 10:
                        Quelix_Record(handle, recording.c_str(), 100, 0);
                        break;
                    // A refused window with a huge offset, and the operations that
                    // place pixels at the window's offset.
                    case 11:
                        Quelix_SetCaptureWindowEx(handle, 320, INT32_MAX, width, 256, top, height);
                        break;
                    case 12:
                        Quelix_UpdateMaskData(handle, static_cast<int32_t>(random() % 2));
                        break;
                    case 13:
                        Quelix_SetDotFilter(handle, static_cast<int32_t>(random() % 2));
                        break;
                    default:
                        Quelix_Close(handle);
                        break;
                }
            }
            ++done;
        });
    }
    for (int remake = 0; remake < kRemakes && done.load() < kThreads; ++remake) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const size_t slot = static_cast<size_t>(remake % 2);
        const int32_t old = handles[slot].load();
        EXPECT_EQ(Quelix_Release(old), 1);
        handles[slot] = makeCamera(static_cast<int>(slot));
        EXPECT_NE(handles[slot].load(), 0);
    }
    for (std::thread& thread : threads)
        thread.join();

    // Both cameras still work after all that.
    for (std::atomic<int32_t>& handle : handles) {
        EXPECT_EQ(Quelix_StopPreview(handle), 1);
        EXPECT_EQ(Quelix_SetCaptureWindowEx(handle, 320, 0, 320, 256, 0, 256), 1);
        EXPECT_EQ(Quelix_SetColorMode(handle, 16), 1);
        EXPECT_EQ(Quelix_SnapShot(handle, buffers[0].data(), static_cast<int32_t>(kBufferBytes), 1), 1);
        EXPECT_EQ(Quelix_Release(handle), 1);
    }
    EXPECT_EQ(Quelix_Release(handles[0]), 0) << "released before";
    QuelixPlatform_DestroyWindow(window);
}

// A recording starts on one thread while others stop the preview, close
// the camera and change its colour mode: the record thread is started and
// joined under one lock, and the images that size the recording are never
// rebuilt while it starts.
TEST_F(ConcurrentOperations, RecordingsStartWhileOtherThreadsStopCloseAndChangeTheMode)
{
    StartCameras();
    const QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    ASSERT_NE(window, nullptr);
    const int32_t handle = Quelix_Initialize(window);
    ASSERT_NE(handle, 0);
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        const std::string path = environment_.Directory() + "/race.avi";
        for (int n = 0; n < 30; ++n)
            Quelix_Record(handle, path.c_str(), 50, 0);
        stop = true;
    });
    threads.emplace_back([&] {
        for (int n = 0; !stop; ++n)
            n % 2 == 0 ? Quelix_StopPreview(handle) : Quelix_Close(handle);
    });
    threads.emplace_back([&] {
        static constexpr int32_t kBits[] = {8, 16, 24, 32, 48, 64};
        for (int n = 0; !stop; ++n)
            Quelix_SetColorMode(handle, kBits[n % 6]);
    });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(Quelix_StopPreview(handle), 1);
    EXPECT_EQ(Quelix_Release(handle), 1);
    QuelixPlatform_DestroyWindow(window);
}

}  // namespace
}  // namespace quelix
