// SPDX-License-Identifier: MIT
// Register updates from several threads at once: automatic exposure on the
// capture thread of a live preview, and parameter calls on application
// threads. Every value reaches the camera whole.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "QuelixSdk_205KWMX.h"
#include "device/register_map.h"
#include "sim_fixture.h"

namespace quelix {
namespace {

constexpr int32_t kExposureId = 18;
constexpr int32_t kGlobalGainId = 13;
constexpr int kCallsPerThread = 120;
// The writers ask for more lines than automatic exposure ever sets, so the
// camera's values tell which side wrote them.
constexpr int kShortestWritten = 9000;
constexpr int kLongestWritten = 30000;
constexpr int kLongestAutomatic = 8192;
// One line at the full width lasts 389 clocks of 0.1 us.
constexpr double kMicrosecondsPerLine = 38.9;

class DeviceRegisterConcurrency : public test::SimulatedCameraTest {};

// The exposure values the camera received, each from its low byte (register
// 32) and the high byte (33) that followed it. A low byte followed by
// another low byte, or a high byte with no low byte before it, is a torn
// value: two writes interleaved. A high byte before the first low byte ends
// a write that began before the log was cleared.
struct ExposureWrites {
    std::vector<int> values;
    int torn = 0;
};

ExposureWrites ExposureValues(const std::vector<sim::FpgaWriteRecord>& writes)
{
    ExposureWrites result;
    std::optional<uint8_t> low;
    bool first = true;
    for (const sim::FpgaWriteRecord& write : writes) {
        if (write.reg == kRegExposureLow) {
            result.torn += low.has_value();
            low = write.value;
        } else if (write.reg == kRegExposureHigh) {
            if (low)
                result.values.push_back(write.value << 8 | *low);
            else
                result.torn += !first;
            low.reset();
        } else {
            continue;
        }
        first = false;
    }
    result.torn += low.has_value();
    return result;
}

TEST_F(DeviceRegisterConcurrency, ExposureAndGainWritesFromEveryThreadReachTheCameraWhole)
{
    StartCameras();
    const int32_t camera = Quelix_Initialize(nullptr);
    ASSERT_NE(camera, 0);
    ASSERT_EQ(Quelix_SetAutoIris(camera, 1), 1);
    ASSERT_EQ(Quelix_StartPreview(camera), 1);
    ASSERT_TRUE(Camera().WaitForFrames(Camera().FramesDelivered() + 3, 10000));
    Camera().ClearLogs();

    std::vector<std::thread> threads;
    // Exposure as a time and as lines, the global gain (a read-modify-write
    // of the control register), and the real exposure time read back.
    threads.emplace_back([camera] {
        std::mt19937 random(1);
        for (int i = 0; i < kCallsPerThread; ++i) {
            const int lines =
                kShortestWritten + static_cast<int>(random() % (kLongestWritten - kShortestWritten));
            Quelix_SetRealExposureTime(camera, static_cast<int32_t>(lines * kMicrosecondsPerLine));
        }
    });
    threads.emplace_back([camera] {
        std::mt19937 random(2);
        for (int i = 0; i < kCallsPerThread; ++i) {
            const int lines =
                kShortestWritten + static_cast<int>(random() % (kLongestWritten - kShortestWritten));
            EXPECT_EQ(Quelix_SetFilterValue(camera, kExposureId, lines), 1);
        }
    });
    threads.emplace_back([camera] {
        for (int i = 0; i < kCallsPerThread; ++i)
            EXPECT_EQ(Quelix_SetFilterValue(camera, kGlobalGainId, 1), 1);
    });
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([camera] {
            for (int i = 0; i < kCallsPerThread; ++i) {
                int32_t ok = 0;
                EXPECT_GT(Quelix_GetRealExposureTime(camera, &ok), 0);
                EXPECT_EQ(ok, 1);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(Quelix_StopPreview(camera), 1);

    const ExposureWrites exposures = ExposureValues(Camera().FpgaWrites());
    EXPECT_EQ(exposures.torn, 0) << "the two bytes of one value arrived apart";
    ASSERT_FALSE(exposures.values.empty());
    int fromWriters = 0;
    int automatic = 0;
    for (const int value : exposures.values) {
        if (value >= kShortestWritten - 1 && value <= kLongestWritten)
            ++fromWriters;
        else if (value >= 1 && value <= kLongestAutomatic)
            ++automatic;
        else
            ADD_FAILURE() << "the camera got " << value << ", which no writer wrote";
    }
    EXPECT_GE(fromWriters, 2 * kCallsPerThread);
    EXPECT_GT(automatic, 0) << "automatic exposure wrote while the others did";
    EXPECT_EQ(Camera().Status().exposureLines, exposures.values.back())
        << "the camera holds the last whole value";
    EXPECT_NE(Camera().FpgaRegister(kRegControl) & kControlGlobalGain, 0);
    EXPECT_EQ(Camera().FpgaRegister(kRegControl) & kControlTriggerEnable, 0);
    EXPECT_EQ(Quelix_Release(camera), 1);
}

}  // namespace
}  // namespace quelix
