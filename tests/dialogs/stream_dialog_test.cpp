// SPDX-License-Identifier: MIT
// The stream format dialog driven by automation: presets from and to the
// registry, the custom entry, Apply and Cancel, the bounds of the preset
// table, and a size change while a preview runs.
#include <gtest/gtest.h>

#include "capture_fixture.h"
#include "dialog_test_support.h"
#include "dialogs/registry_layout.h"
#include "dialogs/stream_format_dialog.h"
#include "platform/registry/registry.h"

namespace quelix::test {
namespace {

constexpr int kEffectiveWidth = 1041;
constexpr int kEffectiveHeight = 1042;

std::string CameraKey()
{
    return std::string(kSdkRegistryKey) + "\\Camera_00";
}

std::optional<uint32_t> Stored(const std::string& subKey, const char* name)
{
    const auto key = platform::RegistryKey::Open(subKey.empty() ? CameraKey() : CameraKey() + "\\" + subKey);
    return key ? key->ReadDword(name) : std::nullopt;
}

std::vector<std::string> SizeEntries(QUELIX_DIALOG d)
{
    std::vector<std::string> entries;
    for (int i = 0; i < QuelixPlatform_DialogGetItemCount(d, CStreamFormatDlg::kSize); ++i) {
        char text[64] = {};
        QuelixPlatform_DialogGetItemText(d, CStreamFormatDlg::kSize, i, text, sizeof text);
        entries.emplace_back(text);
    }
    return entries;
}

class StreamDialog : public CaptureTest {};

TEST_F(StreamDialog, WithoutStoredSizesOnlyCustomAndOkStoresSize00)
{
    // A registry with the camera's key but no size presets.
    WriteTextFile(environment_.RegistryPath(),
                  "REGEDIT4\n\n[HKEY_CURRENT_USER\\" + CameraKey() + "]\n\"Color\"=dword:00000000\n");
    StartCamera();
    DialogDriver driver([&](QUELIX_DIALOG d, int templateId) {
        EXPECT_EQ(templateId, 106);
        EXPECT_EQ(SizeEntries(d), (std::vector<std::string>{"Custom"}));
        EXPECT_EQ(QuelixPlatform_DialogGetSelection(d, CStreamFormatDlg::kSize), 0);
        const char* shown[] = {"320", "256", "320", "256", "0", "0"};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(DialogText(d, 1039 + i), shown[i]);
        EXPECT_EQ(DialogText(d, CStreamFormatDlg::kColor), "Monochrome 8bit");
        EXPECT_EQ(DialogText(d, CStreamFormatDlg::kClock), "Nomal(10MHz)");
        EXPECT_EQ(QuelixPlatform_DialogIsEnabled(d, CStreamFormatDlg::kClock), 0);
        EXPECT_EQ(QuelixPlatform_DialogIsEnabled(d, CStreamFormatDlg::kSubSample), 0);
        EXPECT_EQ(QuelixPlatform_DialogIsEnabled(d, CStreamFormatDlg::kApply), 0);
        EXPECT_EQ(QuelixPlatform_DialogSetText(d, 1039, "1"), 0) << "the totals are read-only";
        QuelixPlatform_DialogClick(d, platform::kIdOk);
    });
    EXPECT_EQ(Quelix_SetCameraDlg(camera, nullptr), 1);
    EXPECT_EQ(Stored("Size_00", "EH"), 320u);
    EXPECT_EQ(Stored("Size_00", "Buf"), 4u);
    EXPECT_EQ(Stored("", "Size"), 0u);
    EXPECT_EQ(Stored("", "Color"), 0u);
    EXPECT_EQ(Quelix_GetColorMode(camera), 8) << "OK reloaded the stream settings";
}

TEST_F(StreamDialog, ApplyRenamesAnEditedPresetAndCancelKeepsTheRegistryButNotAReload)
{
    StartCamera();
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        EXPECT_EQ(SizeEntries(d), (std::vector<std::string>{"320 x 256", "Custom"}));
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, kEffectiveWidth, "160"), 1);
        EXPECT_EQ(QuelixPlatform_DialogIsEnabled(d, CStreamFormatDlg::kApply), 1);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CStreamFormatDlg::kApply), 1);
        EXPECT_EQ(QuelixPlatform_DialogIsEnabled(d, CStreamFormatDlg::kApply), 0);
        EXPECT_EQ(SizeEntries(d), (std::vector<std::string>{"160 x 256", "Custom"}));
        EXPECT_EQ(QuelixPlatform_DialogGetSelection(d, CStreamFormatDlg::kSize), 0);
        EXPECT_EQ(Stored("Size_00", "EH"), 160u);
        QuelixPlatform_DialogClick(d, platform::kIdCancel);
    });
    EXPECT_EQ(Quelix_SetCameraDlg(camera, nullptr), 1);
    EXPECT_EQ(Stored("Size_00", "EH"), 160u) << "Apply wrote it";
    EXPECT_EQ(Quelix_Width(camera), 320) << "Cancel reloads nothing";
}

TEST_F(StreamDialog, CustomTwiceMakesTwoPresets)
{
    StartCamera();
    for (const char* width : {"200", "100"}) {
        DialogDriver driver([&](QUELIX_DIALOG d, int) {
            const int custom = QuelixPlatform_DialogGetItemCount(d, CStreamFormatDlg::kSize) - 1;
            ASSERT_EQ(QuelixPlatform_DialogSelect(d, CStreamFormatDlg::kSize, custom), 1);
            ASSERT_EQ(QuelixPlatform_DialogSetText(d, kEffectiveWidth, width), 1);
            ASSERT_EQ(QuelixPlatform_DialogSetText(d, kEffectiveHeight, "120"), 1);
            QuelixPlatform_DialogClick(d, platform::kIdOk);
        });
        EXPECT_EQ(Quelix_SetCameraDlg(camera, nullptr), 1);
    }
    EXPECT_EQ(Stored("Size_01", "EH"), 200u);
    EXPECT_EQ(Stored("Size_02", "EH"), 100u);
    EXPECT_EQ(Stored("Size_02", "EV"), 120u);
    EXPECT_EQ(Stored("", "Size"), 2u);
    EXPECT_EQ(Quelix_Width(camera), 100);
    EXPECT_EQ(Quelix_Height(camera), 120);
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        EXPECT_EQ(SizeEntries(d),
                  (std::vector<std::string>{"320 x 256", "200 x 120", "100 x 120", "Custom"}));
        EXPECT_EQ(QuelixPlatform_DialogGetSelection(d, CStreamFormatDlg::kSize), 2);
        QuelixPlatform_DialogClick(d, platform::kIdCancel);
    });
    EXPECT_EQ(Quelix_SetCameraDlg(camera, nullptr), 1);
}

TEST_F(StreamDialog, TheTableOfAHundredPresetsStaysWithinItsBounds)
{
    std::string registry = "REGEDIT4\n\n[HKEY_CURRENT_USER\\" + CameraKey() + "]\n\"Size\"=dword:00000096\n";
    for (int i = 0; i < 101; ++i)
        registry += "\n[HKEY_CURRENT_USER\\" + CameraKey() + "\\" + NumberedKey("Size", i) +
                    "]\n\"EH\"=dword:" + (i < 100 ? "00000040" : "00000020") + "\n";
    WriteTextFile(environment_.RegistryPath(), registry);
    StartCamera();
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        EXPECT_EQ(QuelixPlatform_DialogGetItemCount(d, CStreamFormatDlg::kSize), 101)
            << "100 presets and Custom";
        EXPECT_EQ(QuelixPlatform_DialogGetSelection(d, CStreamFormatDlg::kSize), 100)
            << "a stored size of 150 is the custom entry";
        // The custom size finds the table full: nothing changes and the dialog says so.
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, kEffectiveWidth, "80"), 1);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CStreamFormatDlg::kApply), 1);
        EXPECT_NE(DialogText(d, CStreamFormatDlg::kNotice), "");
        ASSERT_EQ(QuelixPlatform_DialogClick(d, platform::kIdOk), 1);
        EXPECT_EQ(QuelixPlatform_DialogPump(d, 0), 1) << "OK did not close it";
        EXPECT_EQ(QuelixPlatform_DialogGetItemCount(d, CStreamFormatDlg::kSize), 101);
        // A stored preset still takes changes.
        ASSERT_EQ(QuelixPlatform_DialogSelect(d, CStreamFormatDlg::kSize, 99), 1);
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, kEffectiveWidth, "48"), 1);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, platform::kIdOk), 1);
    });
    EXPECT_EQ(Quelix_SetCameraDlg(camera, nullptr), 1);
    EXPECT_EQ(Stored("Size_99", "EH"), 48u);
    EXPECT_EQ(Stored("Size_100", "EH"), 0x20u) << "no preset beyond the table was written";
    EXPECT_EQ(Stored("", "Size"), 99u);

    StreamDialogState state;
    LoadStreamSettings(state);
    EXPECT_EQ(state.presetCount, 100);
}

TEST_F(StreamDialog, ASizeChangeDuringAPreviewStreamsOnAtTheNewSize)
{
    StartCamera();
    ASSERT_EQ(Quelix_SetColorMode(camera, 8), 1);
    std::vector<uint8_t> buffer(320 * 256);
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1),
              1);
    ASSERT_TRUE(WaitFor(QUELIX_WM_FRAME).has_value());
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, kEffectiveWidth, "160"), 1);
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, kEffectiveHeight, "128"), 1);
        QuelixPlatform_DialogClick(d, platform::kIdOk);
    });
    EXPECT_EQ(Quelix_SetCameraDlg(camera, nullptr), 1);
    EXPECT_EQ(Quelix_Width(camera), 160);
    EXPECT_EQ(Quelix_Height(camera), 128);
    bool newSize = false;
    for (int i = 0; i < 50 && !newSize; ++i) {
        const auto frame = WaitFor(QUELIX_WM_FRAME);
        ASSERT_TRUE(frame.has_value()) << "the preview streams on";
        if (frame->wParam == 0)
            continue;
        const auto* info = reinterpret_cast<const QUELIX_FRAME_INFO*>(frame->wParam);
        newSize = info->width == 160 && info->height == 128;
    }
    EXPECT_TRUE(newSize);
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
}

}  // namespace
}  // namespace quelix::test
