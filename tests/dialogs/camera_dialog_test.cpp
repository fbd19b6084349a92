// SPDX-License-Identifier: MIT
// The camera settings dialog against a simulated camera, driven by automation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <latch>
#include <regex>
#include <thread>

#include "api/export_call.h"
#include "camera/camera_object.h"
#include "capture_fixture.h"
#include "device/command_codes.h"
#include "device/register_map.h"
#include "dialog_test_support.h"
#include "dialogs/camera_settings_dialog.h"

namespace quelix::test {
namespace {

class CameraDialog : public CaptureTest {
protected:
    void SetUp() override { StartCamera(FastCameras(), {0, 1}); }

    // Runs the camera's operation on its object.
    template <class Operation>
    void WithCamera(int32_t handle, Operation&& operation)
    {
        CallCamera(handle, 0, [&](CQuelix& c) {
            operation(c);
            return 0;
        });
    }
    int32_t Block(CameraSlot slot)
    {
        int32_t value = 0;
        WithCamera(camera, [&](CQuelix& c) { value = c.camera.Get(slot); });
        return value;
    }
    int SimExposure(int device = 0) { return Camera(device).Status().exposureLines; }
    int SimPeltier() { return Camera().FpgaRegister(kRegPeltier); }
    // The logic-device and sensor writes the camera got since its logs were cleared.
    size_t Writes(uint8_t fpgaRegister = 0xFF)
    {
        size_t writes = 0;
        for (const auto& packet : Camera().Commands()) {
            if (packet[0] == CmdSensorWrite && fpgaRegister == 0xFF)
                ++writes;
            if (packet[0] == CmdFpgaWrite && (fpgaRegister == 0xFF || packet[1] == fpgaRegister))
                ++writes;
        }
        return writes;
    }
};

TEST(CameraDialogTexts, ExposureAndTemperature)
{
    const ExposureConversion fullWidth{320 + 69, 0, static_cast<float>(0.0001)};
    EXPECT_EQ(ExposureTimeText(1000, &fullWidth), "=38.90ms");
    EXPECT_EQ(ExposureTimeText(1, &fullWidth), "=0.04ms");
    EXPECT_EQ(ExposureTimeText(32767, &fullWidth), "=1274.64ms");
    EXPECT_EQ(ExposureTimeText(1000, nullptr), "=0.00ms");
    EXPECT_EQ(TemperatureText(592), "592mV 127.0C");
    EXPECT_EQ(TemperatureText(740), "740mV 27.0C");
    EXPECT_EQ(TemperatureText(3300), "3300mV -1702.7C");
}

TEST(CameraDialogWithoutDevice, GivesError1AndShowsNothing)
{
    DialogDriver driver([](QUELIX_DIALOG, int) {});
    CQuelix camera;
    EXPECT_EQ(camera.SetAnalogDlg(nullptr), 0);
    EXPECT_EQ(camera.GetLastError(), QUELIX_ERR_NOT_INITIALIZED);
    EXPECT_EQ(driver.Calls(), 0);
    EXPECT_EQ(Quelix_SetAnalogDlg(0x7ABCDEF, nullptr), 0) << "unknown handle";
}

TEST_F(CameraDialog, WithoutDisplayOrHookItCountsAsCancel)
{
    const char* display = std::getenv("DISPLAY");
    const std::optional<std::string> saved = display ? std::optional<std::string>(display) : std::nullopt;
    unsetenv("DISPLAY");
    ASSERT_EQ(Quelix_SetExposureTime(camera, 640), 1);
    EXPECT_EQ(Quelix_SetAnalogDlg(camera, nullptr), 1);
    EXPECT_EQ(SimExposure(), 640);
    EXPECT_TRUE(ErrorHistory().empty());
    if (saved)
        setenv("DISPLAY", saved->c_str(), 1);
}

TEST_F(CameraDialog, OpensWithTheBlockInItsControlsAndWritesNothing)
{
    ScopedLanguage language("ja_JP.UTF-8");
    ASSERT_EQ(Quelix_SetExposureTime(camera, 1000), 1);
    ASSERT_EQ(Quelix_SetMirrorV(camera, 1), 1);
    Camera().ClearLogs();
    DialogDriver driver([&](QUELIX_DIALOG d, int templateId) {
        EXPECT_EQ(templateId, 104);
        EXPECT_EQ(Writes(), 0u) << "filling the controls writes nothing to the device";
        EXPECT_EQ(DialogText(d, 1001), "Analog Gain");
        EXPECT_EQ(DialogText(d, platform::kIdCancel), "キャンセル");
        EXPECT_EQ(DialogText(d, CAnalogDlg::kDefault), "規定値(&D)");
        EXPECT_EQ(DialogText(d, CAnalogGainPage::kExposureTime), "=38.90ms");
        EXPECT_EQ(DialogText(d, CAnalogGainPage::kExposureEdit), "1000");
        EXPECT_EQ(DialogPosition(d, CAnalogGainPage::kExposureSlider), 1000);
        EXPECT_EQ(DialogPosition(d, CAnalogGainPage::kExposureSpin), 1000);
        int minimum = 0;
        int maximum = 0;
        EXPECT_EQ(QuelixPlatform_DialogGetRange(d, CAnalogGainPage::kExposureSlider, &minimum, &maximum), 1);
        EXPECT_EQ(minimum, 1);
        EXPECT_EQ(maximum, 0x7FFF);
        EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, CAnalogGainPage::kMirrorV), 1);
        EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, CAnalogGainPage::kMirrorH), 0);
        EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, CAnalogGainPage::kAutoExposure), 0);
        for (const int id : {1030, 1031, 1044, 1051})
            EXPECT_EQ(QuelixPlatform_DialogIsVisible(d, id), 0) << id;
        EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, CAnalogGainPage::kAutoGain), -1)
            << "the Japanese page has no Gain check box";
        EXPECT_EQ(DialogText(d, CAnalogGainPage::kTemperature), "");
        QuelixPlatform_DialogClick(d, platform::kIdCancel);
    });
    EXPECT_EQ(Quelix_SetAnalogDlg(camera, window), 1);
    EXPECT_EQ(driver.Calls(), 1);
}

TEST_F(CameraDialog, TheTemperatureTimerShowsTheSensorTemperature)
{
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        EXPECT_EQ(DialogText(d, CAnalogGainPage::kTemperature), "");
        ASSERT_EQ(QuelixPlatform_DialogFireTimer(d, CAnalogGainPage::kTemperatureTimer), 1);
        const std::string text = DialogText(d, CAnalogGainPage::kTemperature);
        std::smatch match;
        ASSERT_TRUE(std::regex_match(text, match, std::regex("([0-9]+)mV (-?[0-9]+\\.[0-9])C"))) << text;
        EXPECT_NEAR(std::stod(match[2]), Camera().Status().temperatureCelsius, 1.5);
        QuelixPlatform_DialogClick(d, platform::kIdOk);
    });
    ScopedLanguage language("ja_JP.UTF-8");
    EXPECT_EQ(Quelix_SetAnalogDlg(camera, nullptr), 1);
}

TEST_F(CameraDialog, TypingTheExposureMovesTheSliderAndReachesTheCamera)
{
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, CAnalogGainPage::kExposureEdit, "250"), 1);
        EXPECT_EQ(DialogPosition(d, CAnalogGainPage::kExposureSlider), 250);
        EXPECT_EQ(SimExposure(), 250);
        const ExposureConversion fullWidth{389, 0, static_cast<float>(0.0001)};
        EXPECT_EQ(DialogText(d, CAnalogGainPage::kExposureTime), ExposureTimeText(250, &fullWidth));
        // Outside the device's range the nearest exposure is used; text
        // that is no number changes nothing.
        const std::pair<const char*, int> typed[] = {{"0", 1},          {"-5", 1},     {"40000", 0x7FFF},
                                                     {"", 0x7FFF},      {"-", 0x7FFF}, {"12x", 0x7FFF},
                                                     {"32767", 0x7FFF}, {"77", 77}};
        for (const auto& [text, lines] : typed) {
            ASSERT_EQ(QuelixPlatform_DialogSetText(d, CAnalogGainPage::kExposureEdit, text), 1);
            EXPECT_EQ(SimExposure(), lines) << '"' << text << '"';
            EXPECT_EQ(Block(CameraSlot::exposureTime), lines) << '"' << text << '"';
        }
        // The slider and the spin arrows write the edit, which applies it.
        ASSERT_EQ(QuelixPlatform_DialogSetPosition(d, CAnalogGainPage::kExposureSlider, 400), 1);
        EXPECT_EQ(DialogText(d, CAnalogGainPage::kExposureEdit), "400");
        EXPECT_EQ(SimExposure(), 400);
        ASSERT_EQ(QuelixPlatform_DialogSetPosition(d, CAnalogGainPage::kExposureSpin, 401), 1);
        EXPECT_EQ(DialogText(d, CAnalogGainPage::kExposureEdit), "401");
        EXPECT_EQ(SimExposure(), 401);
        QuelixPlatform_DialogClick(d, platform::kIdOk);
    });
    EXPECT_EQ(Quelix_SetAnalogDlg(camera, nullptr), 1);
    EXPECT_EQ(Block(CameraSlot::exposureTime), 401);
    EXPECT_EQ(SimExposure(), 401);
}

TEST_F(CameraDialog, DefaultThenCancelRestoresTheDeviceAndTheBlock)
{
    for (const char* lang : {"en_US.UTF-8", "ja_JP.UTF-8"}) {
        SCOPED_TRACE(lang);
        ScopedLanguage language(lang);
        const bool japanese = lang[0] == 'j';
        ASSERT_EQ(Quelix_SetExposureTime(camera, 500), 1);
        ASSERT_EQ(Quelix_SetMirrorV(camera, 1), 1);
        ASSERT_EQ(Quelix_Fpga_WriteRegister(camera, kRegPeltier, 33), 1);
        DialogDriver driver([&](QUELIX_DIALOG d, int) {
            QuelixPlatform_DialogClick(d, CAnalogGainPage::kMirrorH);
            Camera().ClearLogs();
            ASSERT_EQ(QuelixPlatform_DialogClick(d, CAnalogDlg::kDefault), 1);
            EXPECT_EQ(SimExposure(), 100);
            EXPECT_EQ(SimPeltier(), 80);
            // The Peltier value goes out twice where the page has its edit.
            EXPECT_EQ(Writes(kRegPeltier), japanese ? 2u : 1u);
            EXPECT_EQ(DialogText(d, CAnalogGainPage::kExposureEdit), "100");
            EXPECT_EQ(DialogPosition(d, CAnalogGainPage::kExposureSlider), 100);
            EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, CAnalogGainPage::kMirrorV), 1)
                << "Default keeps the mirrors";
            EXPECT_EQ(Block(CameraSlot::peltier), 80);
            QuelixPlatform_DialogClick(d, platform::kIdCancel);
        });
        EXPECT_EQ(Quelix_SetAnalogDlg(camera, nullptr), 1);
        EXPECT_EQ(SimExposure(), 500);
        EXPECT_EQ(SimPeltier(), 33);
        EXPECT_EQ(Block(CameraSlot::exposureTime), 500);
        EXPECT_EQ(Block(CameraSlot::peltier), 33);
        EXPECT_EQ(Block(CameraSlot::mirrorH), 0);
        EXPECT_EQ(Quelix_GetMirrorV(camera), 1);
        WithCamera(camera, [](CQuelix& c) { EXPECT_EQ(c.device->GetMirrorH(), 0); });
    }
}

TEST_F(CameraDialog, OkKeepsTheChangesAndAPeltierValueThePageDoesNotShow)
{
    ScopedLanguage language("en_US.UTF-8");
    ASSERT_EQ(Quelix_Fpga_WriteRegister(camera, kRegPeltier, 33), 1);
    WithCamera(camera, [](CQuelix& c) { c.filter.Set(FilterSlot::bayerMode, 2); });
    DialogDriver driver([&](QUELIX_DIALOG d, int templateId) {
        EXPECT_EQ(templateId, 111);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CAnalogGainPage::kMirrorH), 1);
        WithCamera(camera, [](CQuelix& c) { EXPECT_EQ(c.device->GetMirrorH(), 1); });
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, CAnalogGainPage::kExposureEdit, "700"), 1);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CAnalogGainPage::kAutoGain), 1);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CAnalogGainPage::kAutoExposure), 1);
        EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, CAnalogGainPage::kAutoGain), 0)
            << "automatic exposure unchecks Gain";
        EXPECT_EQ(Block(CameraSlot::autoIris), 1);
        QuelixPlatform_DialogClick(d, platform::kIdOk);
    });
    EXPECT_EQ(Quelix_SetAnalogDlg(camera, nullptr), 1);
    EXPECT_EQ(Block(CameraSlot::exposureTime), 700);
    EXPECT_EQ(Block(CameraSlot::mirrorH), 1);
    EXPECT_EQ(Block(CameraSlot::autoIris), 1);
    EXPECT_EQ(Block(CameraSlot::peltier), 33) << "no Peltier edit, no change";
    EXPECT_EQ(SimExposure(), 700);
}

TEST_F(CameraDialog, TheEnglishGainRowsDoNothing)
{
    ScopedLanguage language("en_US.UTF-8");
    CameraSettings::Block copy{};
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        WithCamera(camera, [&](CQuelix& c) { copy = c.camera.Copy(); });
        Camera().ClearLogs();
        const int rows[][3] = {{1013, 1015, 1038},
                               {1018, 1019, 1039},
                               {1020, 1021, 1040},
                               {1022, 1023, 1041},
                               {1024, 1025, 1042}};
        for (const auto& row : rows) {
            EXPECT_EQ(QuelixPlatform_DialogIsVisible(d, row[0]), 1);
            EXPECT_EQ(QuelixPlatform_DialogSetPosition(d, row[0], 50), 1);
            EXPECT_EQ(QuelixPlatform_DialogSetText(d, row[1], "77"), 1);
            EXPECT_EQ(QuelixPlatform_DialogSetPosition(d, row[2], 3), 1);
            EXPECT_EQ(DialogText(d, row[1]), "3") << "the up-down writes its edit and nothing else happens";
        }
        EXPECT_EQ(Writes(), 0u);
        WithCamera(camera, [&](CQuelix& c) { EXPECT_EQ(c.camera.Copy(), copy); });
        QuelixPlatform_DialogClick(d, platform::kIdOk);
    });
    EXPECT_EQ(Quelix_SetAnalogDlg(camera, nullptr), 1);
    EXPECT_EQ(driver.Calls(), 1);
}

TEST_F(CameraDialog, AutomaticExposureReachesTheOpenDialog)
{
    ASSERT_EQ(Quelix_SetExposureTime(camera, 1000), 1);
    ASSERT_EQ(Quelix_SetAutoIris(camera, 1), 1);
    CDibImage bright;
    ASSERT_TRUE(bright.Create(320, 256, 8));
    std::memset(bright.pBits, 220, static_cast<size_t>(bright.stride) * bright.height);
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        ASSERT_EQ(DialogText(d, CAnalogGainPage::kExposureEdit), "1000");
        // As the capture thread does, from a thread of its own.
        std::thread capture([&] { WithCamera(camera, [&](CQuelix& c) { c.AutoExposure(&bright); }); });
        for (int i = 0; i < 200 && DialogText(d, CAnalogGainPage::kExposureEdit) == "1000"; ++i)
            QuelixPlatform_DialogPump(d, 20);
        capture.join();
        QuelixPlatform_DialogPump(d, 0);
        const int lines = SimExposure();
        EXPECT_LT(lines, 1000);
        EXPECT_EQ(DialogText(d, CAnalogGainPage::kExposureEdit), std::to_string(lines));
        EXPECT_EQ(DialogPosition(d, CAnalogGainPage::kExposureSlider), lines);
        EXPECT_EQ(Block(CameraSlot::exposureTime), lines);
        QuelixPlatform_DialogClick(d, platform::kIdOk);
    });
    EXPECT_EQ(Quelix_SetAnalogDlg(camera, nullptr), 1);
    EXPECT_LT(Block(CameraSlot::exposureTime), 1000);
    // The dialog is gone: automatic exposure tells nobody and nothing breaks.
    WithCamera(camera, [&](CQuelix& c) { c.AutoExposure(&bright); });
}

TEST_F(CameraDialog, AHookThatLeavesTheDialogOpenCancelsIt)
{
    ASSERT_EQ(Quelix_SetExposureTime(camera, 321), 1);
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        QuelixPlatform_DialogSetText(d, CAnalogGainPage::kExposureEdit, "900");
    });
    EXPECT_EQ(Quelix_SetAnalogDlg(camera, nullptr), 1);
    EXPECT_EQ(SimExposure(), 321);
    EXPECT_EQ(Block(CameraSlot::exposureTime), 321);
}

TEST_F(CameraDialog, TwoCamerasDialogsOnTwoThreadsAtOnce)
{
    const int32_t second = Quelix_Initialize(window);
    ASSERT_NE(second, 0);
    ASSERT_EQ(Quelix_SetDeviceNumber(second, 1), 1);
    std::latch bothOpen(2);
    thread_local int wanted = 0;
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        bothOpen.arrive_and_wait();
        EXPECT_EQ(
            QuelixPlatform_DialogSetText(d, CAnalogGainPage::kExposureEdit, std::to_string(wanted).c_str()),
            1);
        EXPECT_EQ(QuelixPlatform_DialogClick(d, platform::kIdOk), 1);
    });
    std::thread first([&] {
        wanted = 300;
        EXPECT_EQ(Quelix_SetAnalogDlg(camera, nullptr), 1);
    });
    std::thread other([&] {
        wanted = 600;
        EXPECT_EQ(Quelix_SetAnalogDlg(second, nullptr), 1);
    });
    first.join();
    other.join();
    EXPECT_EQ(SimExposure(0), 300);
    EXPECT_EQ(SimExposure(1), 600);
    EXPECT_EQ(Quelix_Release(second), 1);
}

}  // namespace
}  // namespace quelix::test
