// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "api/export_call.h"
#include "avi_reader.h"
#include "capture_fixture.h"
#include "file_size_limit.h"
#include "sim/scene.h"

namespace quelix {
namespace {

using test::AviFile;
using test::LoadU32;

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 256;
constexpr uint32_t kStride = kWidth * 3;
constexpr uint32_t kFrameBytes = kStride * kHeight;
constexpr int32_t kLong = 600000;  // a recording that only a stop ends

class Recording : public test::CaptureTest {
protected:
    void SetUp() override
    {
        StartCamera(test::CounterCameras());
        ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    }
    std::string PathOf(const std::string& name) const { return environment_.Directory() + "/" + name; }
    int32_t Get(std::atomic<int32_t> CQuelix::*field)
    {
        return CallCamera(camera, -1, [field](CQuelix& object) { return (object.*field).load(); });
    }
    // Waits until the record thread has ended on its own.
    bool WaitForTheEnd(std::chrono::seconds limit = std::chrono::seconds(30))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (Get(&CQuelix::recording) != 0) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
    // Waits until the recording's staged file holds at least `frames` frames.
    void WaitForFrames(const std::string& path, uint64_t frames)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        const std::string prefix = std::filesystem::path(path).filename().string() + ".";
        while (std::chrono::steady_clock::now() < deadline) {
            for (const auto& entry : std::filesystem::directory_iterator(environment_.Directory())) {
                if (entry.path().filename().string().rfind(prefix, 0) == 0 &&
                    entry.file_size() >= 232 + frames * (8 + kFrameBytes))
                    return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ADD_FAILURE() << "the recording did not reach " << frames << " frames";
    }
    // A finished file: well formed, index and headers agreeing with its chunks.
    static void ExpectFinished(const AviFile& file)
    {
        ASSERT_EQ(file.error, "");
        EXPECT_EQ(test::IndexDisagreement(file), "");
        EXPECT_EQ(file.MainHeader(4), file.frames.size()) << "total frames";
        EXPECT_EQ(file.StreamHeader(8), file.frames.size()) << "length";
        EXPECT_EQ(file.moviSize,
                  4 + file.frames.size() * (8 + uint64_t{file.frames.empty() ? 0 : file.frames[0].size}));
        const uint32_t scale = file.StreamHeader(5);
        ASSERT_NE(scale, 0u);
        EXPECT_NEAR(file.MainHeader(0), scale / 10.0, 1.0) << "both headers give the same rate";
    }
};

// The counter scene's trailer t of a recorded 16-bit frame: every pixel is
// gray, CounterSample(t, i) >> 6, rows bottom first. 0 when no trailer fits.
uint32_t CounterTrailerOf(const uint8_t* frame, uint32_t from)
{
    const auto sampleAt = [frame](size_t i) {
        const size_t row = kHeight - 1 - i / kWidth;
        return frame + row * kStride + (i % kWidth) * 3;
    };
    for (uint32_t t = from; t < from + 70000; ++t) {
        const auto trailer = static_cast<uint16_t>(t);
        if (*sampleAt(0) != (sim::CounterSample(trailer, 0) >> 6) ||
            *sampleAt(1) != (sim::CounterSample(trailer, 1) >> 6))
            continue;
        bool whole = true;
        for (size_t i = 0; i < size_t{kWidth} * kHeight && whole; ++i) {
            const uint8_t* pixel = sampleAt(i);
            const auto expected = static_cast<uint8_t>(sim::CounterSample(trailer, i) >> 6);
            whole = pixel[0] == expected && pixel[1] == expected && pixel[2] == expected;
        }
        if (whole)
            return t;
    }
    return 0;
}

TEST_F(Recording, RecordsWholeDistinctFramesInTheOrderTheCameraSentThem)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
    const std::string path = PathOf("counter.avi");
    ASSERT_EQ(Quelix_Record(camera, path.c_str(), 500, 0), 1);
    ASSERT_TRUE(WaitForTheEnd());
    const AviFile file = test::ReadAvi(path);
    ExpectFinished(file);
    ASSERT_GE(file.frames.size(), 2u);
    EXPECT_EQ(file.MainHeader(8), 320u);
    EXPECT_EQ(file.MainHeader(9), 256u);
    uint32_t previous = 0;
    for (size_t i = 0; i < file.frames.size(); ++i) {
        ASSERT_EQ(file.frames[i].size, kFrameBytes);
        const uint32_t found = CounterTrailerOf(file.FrameData(i), previous + 1);
        ASSERT_NE(found, 0u) << "frame " << i << " is not a whole camera frame, or repeats or goes back";
        previous = found;
    }
    const auto skipped =
        CallCamera(camera, 0u, [](CQuelix& object) { return object.recordSkippedFrames.load(); });
    RecordProperty("skipped", static_cast<int>(skipped));
    EXPECT_EQ(ErrorHistory(), std::vector<int32_t>{});
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
}

TEST_F(Recording, ARecordTimeOfZeroKeepsTwoFramesAndAnotherRecordingMayFollow)
{
    for (const char* name : {"first.avi", "second.avi"}) {
        ASSERT_EQ(Quelix_Record(camera, PathOf(name).c_str(), 0, 0), 1) << name;
        ASSERT_TRUE(WaitForTheEnd());
        const AviFile file = test::ReadAvi(PathOf(name));
        ExpectFinished(file);
        EXPECT_EQ(file.frames.size(), 2u) << name;
    }
    EXPECT_EQ(ErrorHistory(), std::vector<int32_t>{});
}

TEST_F(Recording, BadNamesAndTimesStartNothing)
{
    EXPECT_EQ(Quelix_Record(camera, "", 1000, 0), 0);
    EXPECT_EQ(Quelix_Record(camera, nullptr, 1000, 0), 0);
    EXPECT_EQ(Quelix_Record(camera, PathOf("negative.avi").c_str(), -1, 0), 0);
    EXPECT_EQ(Quelix_RecordW(camera, nullptr, 1000, 0), 0);
    const uint16_t unpaired[] = {'a', 0xD800, '.', 'a', 'v', 'i', 0};
    EXPECT_EQ(Quelix_RecordW(camera, unpaired, 1000, 0), 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{12, 9, 9, 9, 9}));
    EXPECT_EQ(Get(&CQuelix::captureMode), 0) << "no preview was started";
    EXPECT_EQ(Get(&CQuelix::recording), 0);

    EXPECT_EQ(Quelix_Record(camera, PathOf("missing/x.avi").c_str(), 1000, 0), 0);
    EXPECT_EQ(ErrorHistory(), std::vector<int32_t>{12});
    EXPECT_EQ(Get(&CQuelix::captureMode), 0) << "the preview is closed again";
}

TEST_F(Recording, AWideNameIsRecordedUnderItsUtf8Form)
{
    const std::u16string name = u"bild-\u00fc\u65e5.avi";
    const std::string directory = PathOf("");
    const std::u16string wide = std::u16string(directory.begin(), directory.end()) + name;
    ASSERT_EQ(Quelix_RecordW(camera, reinterpret_cast<const uint16_t*>(wide.c_str()), 0, 0), 1);
    ASSERT_TRUE(WaitForTheEnd());
    ExpectFinished(test::ReadAvi(PathOf("bild-\xc3\xbc\xe6\x97\xa5.avi")));
}

TEST_F(Recording, ASecondRecordingWhileOneRunsIsRefused)
{
    const std::string first = PathOf("first.avi");
    ASSERT_EQ(Quelix_Record(camera, first.c_str(), kLong, 0), 1);
    EXPECT_EQ(Quelix_Record(camera, PathOf("second.avi").c_str(), kLong, 0), 0);
    EXPECT_EQ(ErrorHistory(), std::vector<int32_t>{1});
    WaitForFrames(first, 2);
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
    ExpectFinished(test::ReadAvi(first));
    EXPECT_FALSE(std::filesystem::exists(PathOf("second.avi")));
}

// Every way of stopping early leaves a finished, playable file.
TEST_F(Recording, AnEarlyStopFinishesTheFile)
{
    const struct {
        const char* name;
        int32_t (*stop)(int32_t);
    } stops[] = {{"stop-preview.avi", Quelix_StopPreview},
                 {"close.avi", Quelix_Close},
                 {"release.avi", Quelix_Release}};
    for (const auto& [name, stop] : stops) {
        SCOPED_TRACE(name);
        const std::string path = PathOf(name);
        ASSERT_EQ(Quelix_Record(camera, path.c_str(), kLong, 0), 1);
        WaitForFrames(path, 3);
        ASSERT_EQ(stop(camera), 1);
        const AviFile file = test::ReadAvi(path);
        ExpectFinished(file);
        EXPECT_GE(file.frames.size(), 3u);
    }
    camera = 0;  // released
}

// The last frame in the file is the last frame the engine published, in
// every colour mode: 24-bit rows bottom first, as the mode's samples narrow.
TEST_F(Recording, EveryColourModeRecordsTheLastPublishedFrame)
{
    for (const int bits : {8, 16, 24, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        ASSERT_EQ(Quelix_SetColorMode(camera, bits), 1);
        const std::string path = PathOf("mode" + std::to_string(bits) + ".avi");
        ASSERT_EQ(Quelix_Record(camera, path.c_str(), kLong, 0), 1);
        WaitForFrames(path, 2);
        ASSERT_EQ(Quelix_StopPreview(camera), 1);
        const AviFile file = test::ReadAvi(path);
        ExpectFinished(file);
        ASSERT_FALSE(file.frames.empty());

        const uint32_t bytesPerPixel = bits / 8;
        const uint32_t stride = (kWidth * bytesPerPixel + 3) & ~3u;
        std::vector<uint8_t> latest(stride * kHeight);
        // Row option 0 gives the rows bottom first, as in the file.
        ASSERT_EQ(Quelix_GetImage(camera, latest.data(), static_cast<int32_t>(latest.size()), 0), 1);
        const uint8_t* recorded = file.FrameData(file.frames.size() - 1);
        size_t mismatches = 0;
        for (uint32_t row = 0; row < kHeight; ++row) {
            for (uint32_t x = 0; x < kWidth; ++x) {
                const uint8_t* source = latest.data() + row * stride + x * bytesPerPixel;
                const uint8_t* pixel = recorded + row * kStride + x * 3;
                for (uint32_t channel = 0; channel < 3; ++channel) {
                    uint8_t expected = 0;
                    if (bits == 8) {
                        expected = source[0];
                    } else if (bits == 16) {
                        expected = static_cast<uint8_t>((source[0] | source[1] << 8) >> 6);
                    } else if (bits <= 32) {
                        expected = source[channel];
                    } else {
                        const int sample = source[2 * channel] | source[2 * channel + 1] << 8;
                        expected = static_cast<uint8_t>(std::min(sample >> 4, 255));
                    }
                    mismatches += pixel[channel] != expected;
                }
            }
        }
        EXPECT_EQ(mismatches, 0u);
    }
}

TEST_F(Recording, AFullDiskEndsTheRecordingWithTheWholeFramesKept)
{
    const std::string path = PathOf("full-disk.avi");
    {
        test::ScopedFileSizeLimit limit(232 + 3 * (8 + kFrameBytes) + 8 + 3 * 16);
        ASSERT_EQ(Quelix_Record(camera, path.c_str(), kLong, 0), 1);
        ASSERT_TRUE(WaitForTheEnd());
    }
    EXPECT_EQ(ErrorHistory(), std::vector<int32_t>{12});
    const AviFile file = test::ReadAvi(path);
    ExpectFinished(file);
    EXPECT_EQ(file.frames.size(), 3u);
    EXPECT_EQ(Get(&CQuelix::captureMode), 1) << "the preview goes on";
}

TEST_F(Recording, TheSizeLimitOfTheFormatEndsTheRecordingWithAFinishedFile)
{
    CallCamera(camera, 0, [](CQuelix& object) {
        object.aviWriter.fileSizeLimit = 232 + 4 * (8 + kFrameBytes) + 8 + 4 * 16;
        return 0;
    });
    const std::string path = PathOf("limit.avi");
    ASSERT_EQ(Quelix_Record(camera, path.c_str(), kLong, 0), 1);
    ASSERT_TRUE(WaitForTheEnd());
    EXPECT_EQ(ErrorHistory(), std::vector<int32_t>{12});
    const AviFile file = test::ReadAvi(path);
    ExpectFinished(file);
    EXPECT_EQ(file.frames.size(), 4u);
}

}  // namespace
}  // namespace quelix
