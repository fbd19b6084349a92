// SPDX-License-Identifier: MIT
// Automatic exposure against a simulated camera: five measuring windows, the
// factor accumulated in double precision, its clamps, and the exposure the
// device and the camera dialog are given.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "device/quelix_205kwmx_sdk.h"
#include "device/register_map.h"
#include "pipeline_camera.h"
#include "sim_fixture.h"

namespace quelix::test {
namespace {

class AutoExposure : public SimulatedCameraTest {
protected:
    void SetUp() override
    {
        StartCameras();
        pipeline_.camera.device = std::make_unique<CQuelix205KWMXSdk>();
        pipeline_.camera.camera.Set(CameraSlot::autoIris, 1);
    }

    // Sets the device's exposure, fills the work image with `level` and runs
    // the measurement; returns the exposure the camera's registers then hold.
    int Measure(uint16_t exposure, uint8_t level)
    {
        EXPECT_TRUE(Device().SetExposureLines(exposure));
        CDibImage& work = *pipeline_.camera.Image(ImageRole::image8);
        std::memset(work.pBits, level, static_cast<size_t>(work.stride) * work.height);
        result_ = pipeline_.camera.AutoExposure(&work);
        return Registers();
    }

    int Registers()
    {
        return Camera().FpgaRegister(kRegExposureHigh) * 256 + Camera().FpgaRegister(kRegExposureLow);
    }

    CQuelix205KWMXSdk& Device() { return *pipeline_.camera.device; }

    PipelineCamera pipeline_{0, 320, 256};
    int result_ = -1;
};

TEST_F(AutoExposure, ScalesTheExposureWhenTheWindowsAreTooBrightOrTooDark)
{
    // 0.85 - 4 x 0.15 = 0.24999999999999992: 1000 -> 249.
    EXPECT_EQ(Measure(1000, 220), 249);
    EXPECT_EQ(result_, 1);
    EXPECT_EQ(pipeline_.camera.camera.Get(CameraSlot::exposureTime), 249);
    // 1.1 + 4 x 0.1 = 1.5000000000000004.
    EXPECT_EQ(Measure(1000, 30), 1500);
    EXPECT_EQ(Measure(6000, 30), 8192);  // 9000 is held to 8192
    EXPECT_EQ(Measure(10, 220), 4);      // 2 is held to 4
    EXPECT_EQ(Measure(1, 30), 1);        // 1.5 truncates to 1
    // Mid-gray: no change.
    EXPECT_EQ(Measure(1000, 128), 1000);
    EXPECT_EQ(result_, 1);
}

TEST_F(AutoExposure, TheFactorIsDecidedByItsDoublePrecisionSum)
{
    // Windows A to D at 170 (0.9 - 0.1 - 0.1 - 0.1 = 0.6000000000000001,
    // not at or below 0.6), window E neutral: nothing changes. The windows
    // are measured through Convert, which counts rows from the bottom, so
    // E is the window in the upper right of memory rows, D the lower right.
    CDibImage& work = *pipeline_.camera.Image(ImageRole::image8);
    ASSERT_TRUE(Device().SetExposureLines(1000));
    std::memset(work.pBits, 170, static_cast<size_t>(work.stride) * work.height);
    for (int32_t i = 25; i < 52; ++i)
        std::memset(work.pBits + i * work.stride + 256, 128, 32);
    EXPECT_EQ(pipeline_.camera.AutoExposure(&work), 1);
    EXPECT_EQ(Registers(), 1000);
    // E at 170 too: 0.5000000000000001: 1000 -> 500.
    std::memset(work.pBits, 170, static_cast<size_t>(work.stride) * work.height);
    EXPECT_EQ(pipeline_.camera.AutoExposure(&work), 1);
    EXPECT_EQ(Registers(), 500);
}

TEST_F(AutoExposure, MeasuresOnlyOrNotAtAllByTheAutoIrisMode)
{
    pipeline_.camera.camera.Set(CameraSlot::autoIris, 2);
    EXPECT_EQ(Measure(1000, 220), 1000);
    EXPECT_EQ(result_, 1);
    pipeline_.camera.camera.Set(CameraSlot::autoIris, 0);
    EXPECT_EQ(Measure(1000, 220), 1000);
    EXPECT_EQ(result_, 0);
    // An image too small for the windows is not measured.
    pipeline_.camera.camera.Set(CameraSlot::autoIris, 1);
    CDibImage tiny;
    ASSERT_TRUE(tiny.Create(3, 3, 8));
    EXPECT_EQ(pipeline_.camera.AutoExposure(&tiny), 0);
}

TEST_F(AutoExposure, The16BitWorkImageIsMeasuredByBits2To9AndTheDialogShowsTheExposure)
{
    PipelineCamera wide(1, 64, 48);
    wide.camera.device = std::make_unique<CQuelix205KWMXSdk>();
    wide.camera.camera.Set(CameraSlot::autoIris, 1);
    std::vector<int32_t> shown;
    wide.camera.cameraDialog.Install([&shown](int32_t lines) { shown.push_back(lines); });
    ASSERT_TRUE(Device().SetExposureLines(1000));
    CDibImage& work = *wide.camera.Image(ImageRole::image16);
    // 0x0370 >> 2 = 220 in bits 2 to 9: too bright.
    for (int32_t i = 0; i < work.height * work.width; ++i) {
        const uint16_t sample = 0x0370;
        std::memcpy(work.pBits + 2 * i, &sample, 2);
    }
    EXPECT_EQ(wide.camera.AutoExposure(&work), 1);
    EXPECT_EQ(Registers(), 249);
    EXPECT_EQ(shown, (std::vector<int32_t>{249}));
    // Through CorrectFrame, from the raw frame.
    std::memcpy(wide.camera.Image(ImageRole::rawFrame)->pBits, work.pBits,
                static_cast<size_t>(work.stride) * work.height);
    wide.camera.CorrectFrame();
    EXPECT_EQ(Registers(), 62);
    EXPECT_EQ(shown, (std::vector<int32_t>{249, 62}));
}

}  // namespace
}  // namespace quelix::test
