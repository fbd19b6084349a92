// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "capture_fixture.h"
#include "image_readers.h"
#include "output/image_files.h"

namespace quelix {
namespace {

namespace fs = std::filesystem;

// Every format written by several threads at once gives the same bytes as
// when written alone: no encoder shares state between calls.
TEST(ImageSaveConcurrency, SavesOnSeveralThreadsAtOnceAreEachWhole)
{
    const fs::path directory =
        fs::temp_directory_path() / ("quelix-concurrent-saves-" + std::to_string(getpid()));
    fs::create_directories(directory);
    constexpr int kThreads = 4;
    constexpr int kRounds = 4;
    const int depths[kThreads] = {16, 24, 32, 64};
    CDibImage images[kThreads];
    std::vector<std::vector<uint8_t>> alone[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(images[t].Create(97, 61, depths[t]), 1);
        std::mt19937 random(static_cast<uint32_t>(t));
        for (int32_t i = 0; i < images[t].stride * images[t].height; ++i)
            images[t].pBits[i] = static_cast<uint8_t>(random() & 0x3F);
        for (int format = kImageBmp; format <= kImageTiff; ++format) {
            const std::string path = (directory / ("alone" + std::to_string(t))).string();
            ASSERT_EQ(SaveImageFile(path, &images[t], format, kSampleBits), 1);
            alone[t].push_back(test::ReadBinaryFile(path));
        }
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                for (int format = kImageBmp; format <= kImageTiff; ++format) {
                    const std::string own = (directory / ("thread" + std::to_string(t))).string();
                    if (!SaveImageFile(own, &images[t], format, kSampleBits) ||
                        test::ReadBinaryFile(own) != alone[t][static_cast<size_t>(format)])
                        ++failures;
                    // One name for all threads: each save replaces the file whole.
                    if (!SaveImageFile((directory / "shared.png").string(), &images[t], kImagePng,
                                       kSampleBits))
                        ++failures;
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    const std::vector<uint8_t> shared = test::ReadBinaryFile((directory / "shared.png").string());
    bool matchesOne = false;
    for (int t = 0; t < kThreads; ++t)
        matchesOne = matchesOne || shared == alone[t][kImagePng];
    EXPECT_TRUE(matchesOne) << "the shared file is one thread's whole file";
    fs::remove_all(directory);
}

class SaveDuringPreview : public test::CaptureTest {};

// Saving reads the latest frame while the capture thread replaces it:
// every raw file is one whole counter-scene frame, and the preview goes on.
TEST_F(SaveDuringPreview, EverySavedFrameIsWholeAndThePreviewGoesOn)
{
    StartCamera(test::CounterCameras());
    ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
    std::vector<uint8_t> buffer(320 * 256 * 2);
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1),
              1);
    ASSERT_TRUE(WaitFor(QUELIX_WM_FRAME).has_value());

    const std::string base = environment_.Directory() + "/saved";
    std::atomic<int> failures{0};
    std::vector<std::thread> savers;
    for (int t = 0; t < 2; ++t) {
        savers.emplace_back([&, t] {
            const std::string raw = base + std::to_string(t) + ".raw";
            for (int round = 0; round < 15; ++round) {
                if (!Quelix_SaveImage(camera, (base + std::to_string(t) + ".png").c_str(),
                                      QUELIX_IMAGE_PNG) ||
                    !Quelix_SaveImage(camera, raw.c_str(), QUELIX_IMAGE_RAW)) {
                    ++failures;
                    continue;
                }
                const std::vector<uint8_t> frame = test::ReadBinaryFile(raw);
                if (frame.size() != buffer.size()) {
                    ++failures;
                    continue;
                }
                const auto sample = [&](size_t i) {
                    return static_cast<uint16_t>(frame[2 * i] | frame[2 * i + 1] << 8);
                };
                for (size_t i = 1; i < frame.size() / 2; ++i) {
                    if (sample(i) != ((sample(0) + i) & 0x3FFF)) {
                        ++failures;
                        break;
                    }
                }
            }
        });
    }
    for (std::thread& saver : savers)
        saver.join();
    EXPECT_EQ(failures.load(), 0);
    skipped.clear();
    EXPECT_TRUE(WaitFor(QUELIX_WM_FRAME).has_value()) << "frames still come";
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
    EXPECT_EQ(ErrorHistory(), std::vector<int32_t>{});
}

}  // namespace
}  // namespace quelix
