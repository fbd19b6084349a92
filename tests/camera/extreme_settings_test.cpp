// SPDX-License-Identifier: MIT
// A damaged or hand-edited settings file: every stored value set to the
// extremes of a DWORD. The camera still initialises, streams or refuses to,
// and stops at once; values outside their setters' ranges take their
// defaults.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>

#include "capture_fixture.h"
#include "platform/registry/registry.h"

namespace quelix {
namespace {

using Clock = std::chrono::steady_clock;

class ExtremeSettings : public test::CaptureTest, public ::testing::WithParamInterface<const char*> {
protected:
    // Every DWORD of the settings file the first camera left behind becomes `word`.
    void StoreEverywhere(const std::string& word)
    {
        const std::string text = test::ReadTextFile(environment_.RegistryPath());
        ASSERT_NE(text.find("WaitTime"), std::string::npos);
        test::WriteTextFile(environment_.RegistryPath(),
                            std::regex_replace(text, std::regex("dword:[0-9a-fA-F]{8}"), "dword:" + word));
    }
};

TEST_P(ExtremeSettings, StreamAndStopWithEveryValueAtAnExtreme)
{
    StartCamera();
    ASSERT_EQ(Quelix_Release(camera), 1);  // saves every setting
    StoreEverywhere(GetParam());

    camera = Quelix_Initialize(window);
    ASSERT_NE(camera, 0);
    std::vector<uint8_t> frame(320 * 256 * 8);
    if (Quelix_CallBackPreview(camera, window, frame.data(), static_cast<int32_t>(frame.size()), 0) == 1)
        WaitFor(QUELIX_WM_FRAME, 3000);
    const auto start = Clock::now();
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << "a stop does not wait out a stored pause";

    // What was out of range took its default.
    EXPECT_GE(Quelix_GetWaitTime(camera), 0);
    EXPECT_NE(Quelix_GetColorMode(camera), -1);
    int32_t ok = 0;
    const int32_t exposure = Quelix_GetExposureTime(camera, &ok);
    EXPECT_GE(exposure, 1);
    EXPECT_LE(exposure, 32767);
    EXPECT_LE(Quelix_GetSharpness(camera, &ok), 30);
    EXPECT_GE(Quelix_GetBrightness(camera, &ok), -255);
    EXPECT_LE(Quelix_GetGamma(camera, &ok), 200);
    EXPECT_LE(Quelix_GetGrayMode(camera, &ok), 2);
    EXPECT_LE(Quelix_GetAutoIris(camera, &ok), 2);

    // A snapshot through the whole pipeline with those settings.
    for (int32_t bits : {8, 16, 24, 32, 48, 64}) {
        ASSERT_EQ(Quelix_SetColorMode(camera, bits), 1);
        Quelix_SnapShot(camera, frame.data(), static_cast<int32_t>(frame.size()), 0);
    }
    ErrorHistory();
}

INSTANTIATE_TEST_SUITE_P(Words, ExtremeSettings,
                         ::testing::Values("ffffffff", "80000000", "7fffffff", "00000000"));

}  // namespace
}  // namespace quelix
