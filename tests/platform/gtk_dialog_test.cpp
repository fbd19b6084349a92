// SPDX-License-Identifier: MIT
// The GTK view of the camera settings dialog on a real display (Xvfb in CI):
// the texts read back from the widgets in both languages, and automation
// driving the shown dialog until a click closes it. Skipped without a display.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>

#include "dialog_test_support.h"
#include "dialogs/camera_settings_dialog.h"
#include "dialogs/image_filter_dialog.h"
#include "dialogs/stream_format_dialog.h"
#include "platform/dialogs/dialog_box.h"
#include "platform/dialogs/dialog_view_finder.h"

namespace quelix::test {
namespace {

using Page = CAnalogGainPage;

TEST(GtkDialogView, TheCameraDialogShowsItsTextsAndAClickClosesIt)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "needs a display";
    for (const bool japanese : {false, true}) {
        SCOPED_TRACE(japanese ? "Japanese" : "English");
        ScopedLanguage language(japanese ? "ja_JP.UTF-8" : "en_US.UTF-8");
        CQLXSdkLib device;  // no camera behind it: its controls fail quietly
        CameraSettings settings;
        settings.Set(CameraSlot::exposureTime, 1000);
        settings.Set(CameraSlot::mirrorV, 1);
        const ExposureConversion fullWidth{389, 0, static_cast<float>(0.0001)};
        DialogHook<int32_t> exposureShown;
        bool shownOnScreen = false;
        DialogDriver driver(
            [&](QUELIX_DIALOG d, int templateId) {
                EXPECT_EQ(templateId, japanese ? 104 : 111);
                platform::DialogBox* box = platform::FindDialog(d);
                ASSERT_NE(box, nullptr);
                const auto shown = [box](int id) { return box->ShownText(*box->Locate(id)); };
                QuelixPlatform_DialogPump(d, 200);
                shownOnScreen = true;
                EXPECT_EQ(shown(platform::kIdOk), "OK");
                EXPECT_EQ(shown(platform::kIdCancel), japanese ? "キャンセル" : "Cancel");
                EXPECT_EQ(shown(CAnalogDlg::kDefault), japanese ? "規定値(D)" : "Default(D)");
                EXPECT_EQ(shown(CAnalogDlg::kTab), "Analog Gain");
                EXPECT_EQ(shown(Page::kExposureTime), "=38.90ms");
                EXPECT_EQ(shown(Page::kExposureEdit), "1000");
                EXPECT_EQ(shown(Page::kMirrorV), "Mirror V");
                EXPECT_EQ(shown(Page::kAutoExposure), "Exposure");
                if (!japanese) {
                    EXPECT_EQ(shown(Page::kAutoGain), "Gain");
                }
                EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, Page::kMirrorV), 1);
                // Automation drives the widgets as the user would see it.
                ASSERT_EQ(QuelixPlatform_DialogSetText(d, Page::kExposureEdit, "2000"), 1);
                EXPECT_EQ(shown(Page::kExposureEdit), "2000");
                EXPECT_EQ(shown(Page::kExposureTime), "=77.80ms");
                ASSERT_EQ(QuelixPlatform_DialogSetPosition(d, Page::kExposureSlider, 500), 1);
                EXPECT_EQ(shown(Page::kExposureEdit), "500");
                QuelixPlatform_DialogPump(d, 50);
                EXPECT_EQ(QuelixPlatform_DialogClick(d, 1), 1);
            },
            true);
        CAnalogDlg dialog(device, settings, &fullWidth);
        EXPECT_EQ(dialog.DoModal(nullptr, exposureShown), 1);
        EXPECT_TRUE(shownOnScreen);
        EXPECT_EQ(settings.Get(CameraSlot::exposureTime), 500);
    }
}

// The text a control shows on the screen.
std::string Shown(QUELIX_DIALOG d, int id)
{
    platform::DialogBox* box = platform::FindDialog(d);
    const auto address = box != nullptr ? box->Locate(id) : std::nullopt;
    return address ? box->ShownText(*address) : std::string("<none>");
}

TEST(GtkDialogView, TheFilterDialogShowsBothPagesAndTheirValues)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "needs a display";
    ImageFilterSettings settings;
    settings.Set(FilterSlot::gamma, 100);
    settings.Set(FilterSlot::grayGainR, 128);
    DialogHook<> refresh;
    DialogDriver driver(
        [&](QUELIX_DIALOG d, int templateId) {
            EXPECT_EQ(templateId, 108);
            QuelixPlatform_DialogPump(d, 100);
            EXPECT_EQ(Shown(d, CImageFilterDlg::kTab), "Image Filter");
            EXPECT_EQ(Shown(d, 2082), "100");
            ASSERT_EQ(QuelixPlatform_DialogSetText(d, 2002, "300"), 1);
            EXPECT_EQ(Shown(d, 2002), "300") << "the spin button keeps what was typed";
            ASSERT_EQ(QuelixPlatform_DialogSelect(d, CImageFilterDlg::kTab, 1), 1);
            QuelixPlatform_DialogPump(d, 50);
            EXPECT_EQ(Shown(d, CImageFilterDlg::kTab), "Gray Filter");
            EXPECT_EQ(Shown(d, 2101), "128");
            EXPECT_EQ(Shown(d, 1047), "Bayer convert");
            EXPECT_EQ(QuelixPlatform_DialogClick(d, 1), 1);
        },
        true);
    ScopedLanguage language("en_US.UTF-8");
    CImageFilterDlg dialog(settings, ImageDialogFlags::ForColorMode(0));
    EXPECT_EQ(dialog.DoModal(nullptr, refresh), 1);
    EXPECT_EQ(settings.Get(FilterSlot::brightness), 300);
}

TEST(GtkDialogView, TheStreamDialogShowsItsEntries)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "needs a display";
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("quelix-gtk-stream-" + std::to_string(getpid()));
    std::filesystem::create_directories(directory);
    setenv("QUELIX_REGISTRY", (directory / "registry.reg").c_str(), 1);
    DialogDriver driver(
        [&](QUELIX_DIALOG d, int templateId) {
            EXPECT_EQ(templateId, 101);
            QuelixPlatform_DialogPump(d, 100);
            EXPECT_EQ(Shown(d, 1001), "ストリーム形式");
            EXPECT_EQ(Shown(d, CStreamFormatDlg::kColor), "カラー 24bit");
            EXPECT_EQ(Shown(d, CStreamFormatDlg::kSize), "カスタム");
            EXPECT_EQ(Shown(d, 1039), "320");
            EXPECT_EQ(Shown(d, 1002), "適用(A)");
            EXPECT_EQ(QuelixPlatform_DialogClick(d, 1), 1);
        },
        true);
    ScopedLanguage language("ja_JP.UTF-8");
    CStreamFormatDlg dialog(0);
    EXPECT_EQ(dialog.DoModal(nullptr), 1);
    EXPECT_EQ(dialog.State().presetCount, 1) << "the custom size became the first preset";
    unsetenv("QUELIX_REGISTRY");
    std::filesystem::remove_all(directory);
}

}  // namespace
}  // namespace quelix::test
