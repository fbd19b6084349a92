// SPDX-License-Identifier: MIT
// The image filter and gray filter dialog driven by automation, and the
// correction pipeline with every value the dialog may store.
#include <gtest/gtest.h>

#include <climits>
#include <thread>
#include <vector>

#include "api/export_call.h"
#include "camera/camera_object.h"
#include "capture_fixture.h"
#include "dialog_test_support.h"
#include "dialogs/image_filter_dialog.h"
#include "pipeline_camera.h"

namespace quelix::test {
namespace {

class ImageDialog : public CaptureTest {
protected:
    void SetUp() override { StartCamera(); }

    int32_t Filter(FilterSlot slot)
    {
        int32_t value = 0;
        CallCamera(camera, 0, [&](CQuelix& c) { return value = c.filter.Get(slot); });
        return value;
    }
    void SetFilter(FilterSlot slot, int32_t value)
    {
        CallCamera(camera, 0, [&](CQuelix& c) {
            c.filter.Set(slot, value);
            return 0;
        });
    }
};

TEST(ImageDialogFlags, FollowTheColourMode)
{
    for (int32_t mode = -1; mode <= 6; ++mode) {
        const ImageDialogFlags flags = ImageDialogFlags::ForColorMode(mode);
        const bool monochrome = mode == 0 || mode == 1;
        EXPECT_EQ(flags.grayTab, monochrome) << mode;
        EXPECT_EQ(flags.hueSaturation, !monochrome) << mode;
        EXPECT_TRUE(flags.brightnessContrast && flags.sharpness && flags.gamma) << mode;
        EXPECT_FALSE(flags.gains || flags.automaticBalance) << mode;
    }
}

TEST_F(ImageDialog, ColourModesShowOnePageWithTheirControlsEnabled)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 24), 1);
    SetFilter(FilterSlot::bayerMode, 2);
    DialogDriver driver([&](QUELIX_DIALOG d, int templateId) {
        EXPECT_EQ(templateId, 108);
        EXPECT_EQ(QuelixPlatform_DialogGetItemCount(d, CImageFilterDlg::kTab), 1);
        EXPECT_EQ(DialogText(d, CImageFilterDlg::kTab), "Image Filter");
        int minimum = 0;
        int maximum = 0;
        const struct {
            int trackbar, edit, minimum, maximum;
            bool enabled;
        } rows[] = {
            {2001, 2002, -255, 255, true}, {2011, 2012, -127, 127, true}, {2021, 2022, -360, 360, true},
            {2031, 2032, -255, 255, true}, {2041, 2042, 0, 30, true},     {2051, 2052, 0, 400, false},
            {2061, 2062, 0, 400, false},   {2071, 2072, 0, 400, false},   {2081, 2082, 0, 200, true}};
        for (const auto& row : rows) {
            EXPECT_EQ(QuelixPlatform_DialogGetRange(d, row.trackbar, &minimum, &maximum), 1);
            EXPECT_EQ(minimum, row.minimum) << row.trackbar;
            EXPECT_EQ(maximum, row.maximum) << row.trackbar;
            EXPECT_EQ(QuelixPlatform_DialogIsEnabled(d, row.trackbar), row.enabled ? 1 : 0) << row.trackbar;
            EXPECT_EQ(QuelixPlatform_DialogIsEnabled(d, row.edit), row.enabled ? 1 : 0) << row.edit;
        }
        EXPECT_EQ(DialogText(d, 2052), "100") << "disabled controls still show their values";
        EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, 1032), 1);
        for (const int id : {CImageFilterDlg::kOnce, CImageFilterDlg::kAllFrames, 1030, 1031, 1032, 1033})
            EXPECT_EQ(QuelixPlatform_DialogIsEnabled(d, id), 0) << id;
        QuelixPlatform_DialogClick(d, platform::kIdCancel);
    });
    EXPECT_EQ(Quelix_SetImageDlg(camera, nullptr), 1);
    EXPECT_EQ(driver.Calls(), 1);
}

TEST_F(ImageDialog, AValueTypedOutsideTheSliderIsStoredAndKeptByOk)
{
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, 2002, "300"), 1);
        EXPECT_EQ(Filter(FilterSlot::brightness), 300);
        EXPECT_EQ(DialogPosition(d, 2001), 255) << "the trackbar holds its own range";
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, 2012, "-"), 1);
        EXPECT_EQ(Filter(FilterSlot::contrast), 0) << "no number yet";
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, 2012, "-40"), 1);
        ASSERT_EQ(QuelixPlatform_DialogSetPosition(d, 2041, 12), 1);
        EXPECT_EQ(DialogText(d, 2042), "12");
        EXPECT_EQ(Filter(FilterSlot::sharpness), 12);
        ASSERT_EQ(QuelixPlatform_DialogSetPosition(d, 2084, 150), 1) << "the gamma spin";
        EXPECT_EQ(Filter(FilterSlot::gamma), 150);
        QuelixPlatform_DialogClick(d, platform::kIdOk);
    });
    EXPECT_EQ(Quelix_SetImageDlg(camera, nullptr), 1);
    EXPECT_EQ(Filter(FilterSlot::brightness), 300);
    EXPECT_EQ(Filter(FilterSlot::contrast), -40);
    EXPECT_EQ(Filter(FilterSlot::sharpness), 12);
    EXPECT_EQ(Filter(FilterSlot::gamma), 150);
}

TEST_F(ImageDialog, CancelAfterMovingGammaRestoresItForTheNextFrame)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 8), 1);
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Quelix_StartPreview(camera), 1);
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        ASSERT_EQ(QuelixPlatform_DialogSetPosition(d, 2081, 40), 1);
        EXPECT_EQ(Filter(FilterSlot::gamma), 40);
        EXPECT_TRUE(Camera().WaitForFrames(Camera().FramesDelivered() + 3, 5000))
            << "frames run with gamma 40";
        QuelixPlatform_DialogClick(d, platform::kIdCancel);
    });
    EXPECT_EQ(Quelix_SetImageDlg(camera, nullptr), 1);
    EXPECT_EQ(Filter(FilterSlot::gamma), 100);
    int32_t ok = 0;
    EXPECT_EQ(Quelix_GetGamma(camera, &ok), 100);
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
}

TEST_F(ImageDialog, DefaultInAColourModeLeavesTheGrayValues)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 32), 1);
    SetFilter(FilterSlot::grayGainR, 200);
    SetFilter(FilterSlot::grayOffsetB, -9);
    SetFilter(FilterSlot::hue, 77);
    SetFilter(FilterSlot::bayerMode, 0);
    SetFilter(FilterSlot::grayMode, 2);
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CImageFilterDlg::kDefault), 1);
        EXPECT_EQ(DialogText(d, 2022), "0");
        EXPECT_EQ(DialogText(d, 2082), "100");
        EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, 1033), 1);
        QuelixPlatform_DialogClick(d, platform::kIdOk);
    });
    EXPECT_EQ(Quelix_SetImageDlg(camera, nullptr), 1);
    EXPECT_EQ(Filter(FilterSlot::hue), 0);
    EXPECT_EQ(Filter(FilterSlot::bayerMode), 3);
    EXPECT_EQ(Filter(FilterSlot::grayGainR), 200);
    EXPECT_EQ(Filter(FilterSlot::grayOffsetB), -9);
    EXPECT_EQ(Filter(FilterSlot::grayMode), 2);
}

TEST_F(ImageDialog, TheGrayPageOfMonochromeModes)
{
    ScopedLanguage language("ja_JP.UTF-8");
    ASSERT_EQ(Quelix_SetColorMode(camera, 8), 1);
    SetFilter(FilterSlot::grayMode, 1);
    SetFilter(FilterSlot::autoGrayFrames, 0);
    DialogDriver driver([&](QUELIX_DIALOG d, int templateId) {
        EXPECT_EQ(templateId, 102);
        EXPECT_EQ(DialogText(d, platform::kIdCancel), "キャンセル");
        ASSERT_EQ(QuelixPlatform_DialogGetItemCount(d, CImageFilterDlg::kTab), 2);
        EXPECT_EQ(QuelixPlatform_DialogIsVisible(d, 2101), 0) << "the gray page starts hidden";
        EXPECT_EQ(QuelixPlatform_DialogIsEnabled(d, 2022), 0) << "no hue in monochrome";
        ASSERT_EQ(QuelixPlatform_DialogSelect(d, CImageFilterDlg::kTab, 1), 1);
        EXPECT_EQ(QuelixPlatform_DialogIsVisible(d, 2101), 1);
        EXPECT_EQ(QuelixPlatform_DialogIsVisible(d, 2002), 0);
        EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, 1047), 1);
        EXPECT_EQ(QuelixPlatform_DialogIsEnabled(d, 1030), 1) << "the gray page is always enabled";

        // "All frames" toggles between -1 and 0; "Once" sets 1.
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CImageFilterDlg::kAllFrames), 1);
        EXPECT_EQ(Filter(FilterSlot::autoGrayFrames), -1);
        EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, CImageFilterDlg::kAllFrames), 1);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CImageFilterDlg::kAllFrames), 1);
        EXPECT_EQ(Filter(FilterSlot::autoGrayFrames), 0);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CImageFilterDlg::kOnce), 1);
        EXPECT_EQ(Filter(FilterSlot::autoGrayFrames), 1);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CImageFilterDlg::kOnce), 1);
        EXPECT_EQ(Filter(FilterSlot::autoGrayFrames), 1);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CImageFilterDlg::kAllFrames), 1);
        EXPECT_EQ(Filter(FilterSlot::autoGrayFrames), 0) << "from 1 it goes to 0";

        // Gains and offsets, the filter mode, and the Bayer mode shared with the image page.
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, 2101, "222"), 1);
        ASSERT_EQ(QuelixPlatform_DialogSetPosition(d, 2121, -30), 1);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, 1048), 1);
        EXPECT_EQ(Filter(FilterSlot::grayMode), 2);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, 1031), 1);
        EXPECT_EQ(Filter(FilterSlot::bayerMode), 1);
        ASSERT_EQ(QuelixPlatform_DialogSelect(d, CImageFilterDlg::kTab, 0), 1);
        EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, 1031), 1) << "the image page shows it too";

        ASSERT_EQ(QuelixPlatform_DialogClick(d, CImageFilterDlg::kDefault), 1);
        EXPECT_EQ(Filter(FilterSlot::grayGainR), 128);
        EXPECT_EQ(Filter(FilterSlot::grayOffsetB), 0);
        EXPECT_EQ(Filter(FilterSlot::grayMode), 2) << "Default keeps the filter mode";
        QuelixPlatform_DialogClick(d, platform::kIdCancel);
    });
    EXPECT_EQ(Quelix_SetImageDlg(camera, nullptr), 1);
    EXPECT_EQ(Filter(FilterSlot::grayMode), 1);
    EXPECT_EQ(Filter(FilterSlot::bayerMode), 3);
    EXPECT_EQ(Filter(FilterSlot::grayGainR), 128);
}

TEST_F(ImageDialog, ImagePageAutomaticBalanceWords)
{
    CQuelix* object = nullptr;
    CallCamera(camera, 0, [&](CQuelix& c) {
        object = &c;
        return 0;
    });
    CImageFilterDlg dialog(object->filter, ImageDialogFlags{true, true, true, true, true, false, true});
    DialogHook<> refresh;
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CImageFilterDlg::kOnce), 1);
        EXPECT_EQ(Filter(FilterSlot::bayerGainAuto), 1);
        EXPECT_EQ(Filter(FilterSlot::autoBalanceFlag2), 1);
        EXPECT_EQ(Filter(FilterSlot::autoBalanceFlag3), 1);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CImageFilterDlg::kAllFrames), 1);
        EXPECT_EQ(Filter(FilterSlot::bayerGainAuto), 1);
        EXPECT_EQ(Filter(FilterSlot::autoBalanceFlag2), 0);
        EXPECT_EQ(Filter(FilterSlot::autoBalanceFlag3), 0);
        ASSERT_EQ(QuelixPlatform_DialogClick(d, CImageFilterDlg::kAllFrames), 1);
        EXPECT_EQ(Filter(FilterSlot::bayerGainAuto), 0);
        ASSERT_EQ(QuelixPlatform_DialogSetText(d, 2052, "350"), 1);
        EXPECT_EQ(Filter(FilterSlot::bayerGainRed), 350);
        QuelixPlatform_DialogClick(d, platform::kIdOk);
    });
    EXPECT_EQ(dialog.DoModal(nullptr, refresh), platform::kIdOk);
}

TEST_F(ImageDialog, AutomaticGrayBalanceRefreshesTheOpenDialog)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 8), 1);
    DialogDriver driver([&](QUELIX_DIALOG d, int) {
        ASSERT_EQ(QuelixPlatform_DialogSelect(d, CImageFilterDlg::kTab, 1), 1);
        // The pipeline changes the gains and tells the dialog, from its own thread.
        std::thread capture([&] {
            CallCamera(camera, 0, [](CQuelix& c) {
                c.filter.Set(FilterSlot::grayGainG2, 301);
                c.filterDialog.Notify();
                return 0;
            });
        });
        for (int i = 0; i < 200 && DialogText(d, 2107) != "301"; ++i)
            QuelixPlatform_DialogPump(d, 20);
        capture.join();
        EXPECT_EQ(DialogText(d, 2107), "301");
        EXPECT_EQ(DialogPosition(d, 2106), 301);
        QuelixPlatform_DialogClick(d, platform::kIdOk);
    });
    EXPECT_EQ(Quelix_SetImageDlg(camera, nullptr), 1);
    EXPECT_EQ(Filter(FilterSlot::grayGainG2), 301);
}

// Every value the dialog can store reaches the pipeline: extreme ones must
// give an image of the frame's shape, not a fault (the sanitizer builds
// check the memory), and leave nothing behind: the neutral settings give
// the neutral image again afterwards.
TEST(PipelineWithDialogValues, EveryStoredValueIsHandledSafely)
{
    const int32_t extremes[] = {INT32_MIN, -100000, -361, -256, -1, 0, 1, 256, 401, 100000, INT32_MAX};
    const FilterSlot slots[] = {
        FilterSlot::brightness,     FilterSlot::contrast,      FilterSlot::hue,
        FilterSlot::saturation,     FilterSlot::sharpness,     FilterSlot::bayerGainRed,
        FilterSlot::bayerGainGreen, FilterSlot::bayerGainBlue, FilterSlot::gamma,
        FilterSlot::bayerMode,      FilterSlot::grayMode,      FilterSlot::grayGainR,
        FilterSlot::grayGainG1,     FilterSlot::grayGainG2,    FilterSlot::grayGainB,
        FilterSlot::grayOffsetR,    FilterSlot::grayOffsetG1,  FilterSlot::grayOffsetG2,
        FilterSlot::grayOffsetB,    FilterSlot::autoGrayFrames};
    for (int32_t colorMode = 0; colorMode < 6; ++colorMode) {
        PipelineCamera p(colorMode, 17, 9);
        std::mt19937 random(colorMode);
        FillRandom(*p.camera.Image(ImageRole::rawFrame), random);
        const ImageFilterSettings::Block neutral = p.camera.filter.Copy();
        p.camera.CorrectFrame();
        const CDibImage& output = *p.Output();
        const auto pixels = [&output] {
            return std::vector<uint8_t>(output.pBits, output.pBits + output.ImageBytes());
        };
        const std::vector<uint8_t> neutralImage = pixels();
        const auto shapeKept = [&](const char* what) {
            EXPECT_EQ(output.width, 17) << what;
            EXPECT_EQ(output.height, 9) << what;
            EXPECT_NE(output.pBits, nullptr) << what;
        };
        for (const FilterSlot slot : slots) {
            for (const int32_t value : extremes) {
                p.camera.filter.Set(slot, value);
                if (slot == FilterSlot::grayGainR || slot == FilterSlot::autoGrayFrames)
                    p.camera.filter.Set(FilterSlot::grayMode, 1);
                p.camera.CorrectFrame();
                shapeKept("one value");
            }
            p.camera.filter.Set(slot, slot == FilterSlot::gamma ? 100 : 0);
        }
        // All at once.
        for (const int32_t value : extremes) {
            for (const FilterSlot slot : slots)
                p.camera.filter.Set(slot, value);
            p.camera.CorrectFrame();
            shapeKept("every value");
        }
        p.camera.filter.Assign(neutral);
        p.camera.CorrectFrame();
        EXPECT_EQ(pixels(), neutralImage) << "colour mode " << colorMode;
    }
}

}  // namespace
}  // namespace quelix::test
