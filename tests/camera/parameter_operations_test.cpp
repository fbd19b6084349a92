// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdlib>

#include "capture_fixture.h"
#include "device/register_map.h"
#include "platform/registry/registry.h"

namespace quelix {
namespace {

class Parameters : public test::CaptureTest {
protected:
    void SetUp() override { StartCamera(); }
};

TEST_F(Parameters, RangesAreTestedOnTheSignedValue)
{
    EXPECT_EQ(Quelix_SetBrightness(camera, -255), 1);
    EXPECT_EQ(Quelix_SetBrightness(camera, 255), 1);
    EXPECT_EQ(Quelix_SetBrightness(camera, 256), 0);
    EXPECT_EQ(Quelix_SetFilterValue(camera, 2, -128), 0);
    EXPECT_EQ(Quelix_SetHue(camera, -360), 1);
    EXPECT_EQ(Quelix_SetSharpness(camera, 31), 0);
    EXPECT_EQ(Quelix_SetBayerGainRed(camera, 400), 1);
    EXPECT_EQ(Quelix_SetGrayOffsetB(camera, -256), 0);
    EXPECT_EQ(Quelix_SetDotFilter(camera, 2), 0);
    EXPECT_EQ(Quelix_SetFilterValue(camera, 28, 0), 0) << "unknown id";
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{9, 9, 9, 9, 9, 9}));
    int32_t ok = 0;
    EXPECT_EQ(Quelix_GetBrightness(camera, &ok), 255) << "the rejected value changed nothing";
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Quelix_GetHue(camera, nullptr), -360);
    EXPECT_EQ(Quelix_GetFilterValue(camera, 99, &ok), 0);
    EXPECT_EQ(ok, 0);
}

TEST_F(Parameters, BayerGainsPackIntoOneWord)
{
    ASSERT_EQ(Quelix_SetBayerGainRGB(camera, 0x00302010), 1);
    int32_t ok = 0;
    EXPECT_EQ(Quelix_GetBayerGainRed(camera, &ok), 0x10);
    EXPECT_EQ(Quelix_GetBayerGainGreen(camera, &ok), 0x20);
    EXPECT_EQ(Quelix_GetBayerGainBlue(camera, &ok), 0x30);
    EXPECT_EQ(Quelix_GetBayerGainRGB(camera, &ok), 0x302010);
    EXPECT_EQ(Quelix_SetBayerGainAuto(camera, 7), 1);
    EXPECT_EQ(Quelix_GetBayerGainAuto(camera, &ok), 1);
}

TEST_F(Parameters, GainsAndExposureReachTheCamera)
{
    EXPECT_EQ(Quelix_SetGlobalGain(camera, 1), 1);
    EXPECT_EQ(Quelix_SetGlobalGain(camera, 2), 0);
    EXPECT_EQ(Quelix_GetLastError(camera), 9);
    int32_t ok = 0;
    EXPECT_EQ(Quelix_GetGlobalGain(camera, &ok), 1);
    EXPECT_EQ(Camera().FpgaRegister(kRegControl) & kControlGlobalGain, kControlGlobalGain);

    EXPECT_EQ(Quelix_SetColorGainRed(camera, 0x55), 1);
    EXPECT_EQ(Camera().SensorRegister(kSensorGainRed) & 0x7F, 0x55);
    EXPECT_EQ(Quelix_GetColorGainRed(camera, &ok), 0x55);
    EXPECT_EQ(Quelix_SetColorGainBlue(camera, 256), 0);
    EXPECT_EQ(Quelix_SetColorGainGreen2(camera, -1), 0);

    EXPECT_EQ(Quelix_SetExposureTime(camera, 0), 0);
    EXPECT_EQ(Quelix_SetExposureTime(camera, 32768), 0);
    EXPECT_EQ(Quelix_SetExposureTime(camera, 1234), 1);
    EXPECT_EQ(Camera().FpgaRegister(kRegExposureLow) | Camera().FpgaRegister(kRegExposureHigh) << 8, 1234);
    EXPECT_EQ(Quelix_GetExposureTime(camera, &ok), 1234);

    Camera().Unplug();
    EXPECT_EQ(Quelix_SetExposureTime(camera, 100), 0) << "a camera that took nothing is not reported as set";
    EXPECT_EQ(Quelix_GetExposureTime(camera, &ok), 0);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{6, 6, 9, 9, 9, 9}));
}

TEST_F(Parameters, PeltierAndTemperatureAreNotSupported)
{
    int32_t ok = 0;
    EXPECT_EQ(Quelix_SetPeltier(camera, 10), 0);
    EXPECT_EQ(Quelix_GetPeltier(camera, &ok), -1);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Quelix_GetTemperature(camera, &ok), -1);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(Quelix_SetFilterValue(camera, 101, 0), 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{9, 11, 11, 11}));
}

TEST_F(Parameters, RealExposureTimeConvertsInSinglePrecisionSteps)
{
    int32_t ok = 0;
    ASSERT_EQ(Quelix_SetRealExposureTime(camera, 3890), 1);
    EXPECT_EQ(Quelix_GetExposureTime(camera, &ok), 100);
    EXPECT_EQ(Quelix_GetRealExposureTime(camera, &ok), 3889) << "100 lines read back as 3889 us";
    ASSERT_EQ(Quelix_SetRealExposureTime(camera, 3889), 1);
    EXPECT_EQ(Quelix_GetExposureTime(camera, &ok), 99);
    ASSERT_EQ(Quelix_SetRealExposureTime(camera, 1), 1);
    EXPECT_EQ(Quelix_GetExposureTime(camera, &ok), 1) << "0 lines become 1";
    EXPECT_EQ(Quelix_GetRealExposureTime(camera, &ok), 38);
    ASSERT_EQ(Quelix_SetExposureTime(camera, 32767), 1);
    EXPECT_EQ(Quelix_GetRealExposureTime(camera, &ok), 1274636);
    EXPECT_EQ(Quelix_SetRealExposureTime(camera, 1274700), 0) << "beyond 32767 lines";
    EXPECT_EQ(Quelix_SetRealExposureTime(camera, -5), 0)
        << "not raised to one line: a time is never negative";
    EXPECT_EQ(Quelix_SetRealExposureTime(camera, 0), 1) << "zero lines are raised to one";
}

TEST_F(Parameters, ColorModeSubsampleWaitTimeAndFriends)
{
    EXPECT_EQ(Quelix_SetColorMode(camera, 16), 1);
    EXPECT_EQ(Quelix_GetColorMode(camera), 14);
    EXPECT_EQ(Quelix_SetColorMode(camera, 14), 0);
    EXPECT_EQ(Quelix_GetLastError(camera), 9);
    EXPECT_EQ(Quelix_SetColorMode(camera, 64), 1);
    EXPECT_EQ(Quelix_GetColorMode(camera), 62);

    EXPECT_EQ(Quelix_SetSubSample(camera, 3), 0);
    EXPECT_EQ(Quelix_GetLastError(camera), 0) << "no code";
    EXPECT_EQ(Quelix_SetSubSample(camera, 1), 1);
    EXPECT_EQ(Quelix_GetSubSample(camera), 1);
    EXPECT_EQ(Quelix_SetWaitTime(camera, -1), 0);
    EXPECT_EQ(Quelix_SetWaitTime(camera, 0), 1);
    EXPECT_EQ(Quelix_GetWaitTime(camera), 0);
    EXPECT_EQ(Quelix_SetHalfClock(camera, 5), 1);
    int32_t ok = 0;
    EXPECT_EQ(Quelix_GetHalfClock(camera, &ok), Camera().FpgaRegister(kRegClockMode));
    EXPECT_EQ(ok, 1);

    EXPECT_EQ(Quelix_SetMirrorV(camera, 5), 1);
    EXPECT_EQ(Quelix_GetMirrorV(camera), 1);
    EXPECT_EQ(Quelix_SetMirrorH(camera, 0), 1);
    EXPECT_EQ(Quelix_GetMirrorH(camera), 0);
    EXPECT_EQ(Quelix_SetAutoIris(camera, 3), 0);
    EXPECT_EQ(Quelix_SetAutoIris(camera, 2), 1);
    EXPECT_EQ(Quelix_GetAutoIris(camera, &ok), 2);
    EXPECT_EQ(ErrorNotifications(), (std::vector<long>{9, 9})) << "the auto-iris refusal only notifies";

    EXPECT_EQ(Quelix_GetColorMode(12345), -1);
    EXPECT_EQ(Quelix_GetSubSample(12345), -1);
    EXPECT_EQ(Quelix_GetWaitTime(12345), -1);
}

TEST_F(Parameters, RegistersAndIdMemory)
{
    EXPECT_EQ(Quelix_Fpga_WriteRegister(camera, 7, 0x1A5), 1);
    EXPECT_EQ(Camera().FpgaRegister(7), 0xA5);
    int32_t ok = 0;
    EXPECT_EQ(Quelix_Fpga_ReadRegister(camera, 7, &ok), 0xA5);
    EXPECT_EQ(ok, 1);
    uint8_t port = 0;
    EXPECT_EQ(Quelix_SetIOPort(camera, 0x3C), 1);
    EXPECT_EQ(Quelix_GetIOPort(camera, &port), 1);
    EXPECT_EQ(port, 0x3C);
    EXPECT_EQ(Quelix_GetIOPort(camera, nullptr), 0);

    EXPECT_EQ(Quelix_WriteRegister(camera, kSensorGainGreen1, 0x0123), 1);
    EXPECT_EQ(Quelix_ReadRegister(camera, kSensorGainGreen1, &ok), 0x23) << "the sensor keeps seven bits";
    EXPECT_EQ(Quelix_WriteSromID(camera, 0x20, 0x9E), 1);
    EXPECT_EQ(Quelix_ReadSromID(camera, 0x120, &ok), 0x9E);
    EXPECT_EQ(ok, 1);

    Camera().Unplug();
    EXPECT_EQ(Quelix_GetIOPort(camera, &port), 0) << "a failed read is a failure, not a byte";
    EXPECT_EQ(Quelix_Fpga_ReadRegister(camera, 7, &ok), 0);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(Quelix_ReadSromID(camera, 0x20, &ok), 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{6, 6}));
}

TEST_F(Parameters, CameraInformation)
{
    QUELIX_CAMERA_INFO info{};
    info.size = 35;
    EXPECT_EQ(Quelix_GetCameraInfo(camera, &info), 0);
    EXPECT_EQ(Quelix_GetCameraInfo(camera, nullptr), 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{9, 5}));
    info.size = 36;
    ASSERT_EQ(Quelix_GetCameraInfo(camera, &info), 1);
    EXPECT_EQ(info.sensorWidth, 320);
    EXPECT_EQ(info.sensorHeight, 256);
    EXPECT_EQ(info.globalGainMin, 1);
    EXPECT_EQ(info.globalGainMax, 1);
    EXPECT_EQ(info.colorGainMax, 255);
    EXPECT_EQ(info.exposureMinLines, 1);
    EXPECT_EQ(info.exposureMaxLines, 32767);
}

TEST_F(Parameters, CaptureWindowByValueKeepsWhatItWasGiven)
{
    EXPECT_EQ(Quelix_SetCaptureWindowEx(camera, 320, 100, 300, 256, 0, 256), 0);
    EXPECT_EQ(Quelix_GetLastError(camera), 7);
    int32_t values[6] = {};
    ASSERT_EQ(Quelix_GetCaptureWindowEx(camera, &values[0], &values[1], &values[2], &values[3], &values[4],
                                        &values[5]),
              1);
    EXPECT_EQ(values[1], 100);
    EXPECT_EQ(values[2], 300);
    EXPECT_EQ(Quelix_GetCaptureWindowEx(camera, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);

    ASSERT_EQ(Quelix_SetCaptureWindowEx(camera, 320, 32, 160, 256, 16, 128), 1);
    EXPECT_EQ(Quelix_Width(camera), 160);
    EXPECT_EQ(Quelix_Height(camera), 128);
    EXPECT_EQ(Camera().FpgaRegister(kRegWindowX), 16);
    EXPECT_EQ(Camera().FpgaRegister(kRegWindowWidth), 80);
}

TEST_F(Parameters, CaptureWindowByPresetUnderTheCameraKey)
{
    EXPECT_EQ(Quelix_SetCaptureWindow(camera, 160, 120), 0) << "no such preset";
    EXPECT_EQ(Quelix_GetLastError(camera), 4);
    auto preset = platform::RegistryKey::Create("Software\\Korvex\\Quelix205KWMXSdk\\Camera_00\\Size_01");
    ASSERT_TRUE(preset.has_value());
    ASSERT_TRUE(preset->WriteDwords(
        {{"TH", 320}, {"TV", 256}, {"EH", 160}, {"EV", 120}, {"EHS", 8}, {"EVS", 4}, {"Buf", 4}}));
    ASSERT_EQ(Quelix_SetCaptureWindow(camera, 160, 120), 1);
    int32_t left = 0;
    int32_t top = 0;
    Quelix_GetCaptureWindowEx(camera, nullptr, &left, nullptr, nullptr, &top, nullptr);
    EXPECT_EQ(left, 8);
    EXPECT_EQ(top, 4);
    EXPECT_EQ(Camera().FpgaRegister(kRegWindowHeight), 59);

    ASSERT_TRUE(preset->WriteDwords({{"EHS", 200}}));
    EXPECT_EQ(Quelix_SetCaptureWindow(camera, 160, 120), 1) << "an invalid preset applies the full window";
    EXPECT_EQ(Quelix_GetLastError(camera), 7);
    EXPECT_EQ(Quelix_Width(camera), 320);
}

TEST_F(Parameters, AWindowChangeDuringAPreviewGoesOnStreamingAtTheNewSize)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 8), 1);
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    std::vector<uint8_t> buffer(320 * 256);
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1),
              1);
    ASSERT_TRUE(WaitFor(QUELIX_WM_FRAME).has_value());
    ASSERT_EQ(Quelix_SetCaptureWindowEx(camera, 320, 0, 100, 256, 0, 50), 1);
    std::optional<QUELIX_MSG> frame;
    for (int tries = 0; tries < 50; ++tries) {
        frame = WaitFor(QUELIX_WM_FRAME);
        ASSERT_TRUE(frame.has_value());
        ASSERT_NE(frame->wParam, 0u);
        if (__atomic_load_n(&reinterpret_cast<const QUELIX_FRAME_INFO*>(frame->wParam)->width,
                            __ATOMIC_RELAXED) == 100)
            break;
    }
    const auto* info = reinterpret_cast<const QUELIX_FRAME_INFO*>(frame->wParam);
    EXPECT_EQ(__atomic_load_n(&info->width, __ATOMIC_RELAXED), 100);
    EXPECT_EQ(__atomic_load_n(&info->height, __ATOMIC_RELAXED), 50);
    EXPECT_EQ(Camera().Status().window.width, 100);
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
    EXPECT_TRUE(ErrorHistory().empty());
}

TEST(ParametersWithoutDevice, ACameraWhoseInitialisationFailedStillTakesStoredSettings)
{
    setenv("QUELIX_SHM_NAME", "no/such/name", 1);
    const int32_t camera = Quelix_Initialize(nullptr);
    ASSERT_EQ(Quelix_GetLastError(camera), 5);
    EXPECT_EQ(Quelix_SetColorMode(camera, 24), 1);
    EXPECT_EQ(Quelix_SetSubSample(camera, 2), 1);
    EXPECT_EQ(Quelix_SetWaitTime(camera, 3), 1);
    EXPECT_EQ(Quelix_SetHalfClock(camera, 1), 1);
    EXPECT_EQ(Quelix_SetAutoIris(camera, 1), 1);
    EXPECT_EQ(Quelix_GetLastError(camera), 0);
    int32_t ok = 1;
    EXPECT_EQ(Quelix_GetFilterValue(camera, 1, &ok), 0);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(Quelix_SetBrightness(camera, 1), 0);
    EXPECT_EQ(Quelix_GetLastError(camera), 1);
    EXPECT_EQ(Quelix_GetLastError(camera), 1);
    EXPECT_EQ(Quelix_Release(camera), 1);
}

}  // namespace
}  // namespace quelix
