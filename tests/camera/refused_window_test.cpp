// SPDX-License-Identifier: MIT
// Capture windows the camera cannot stream, with offsets and sizes near the
// ends of int32: given to the setter (which keeps them for the getter) and
// stored in the settings file. Pixel work follows only the window the camera
// delivers, so references, masks and the defect and shading filters never
// reach outside their images (AddressSanitizer sees every stray byte).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "capture_fixture.h"
#include "dialog_test_support.h"
#include "dialogs/registry_layout.h"
#include "platform/dialogs/dialog_box.h"
#include "platform/registry/registry.h"

namespace quelix {
namespace {

struct Window {
    int32_t x, y, width, height;
};

constexpr int32_t kFrameBytes = 320 * 256 * 8;

class RefusedWindow : public test::CaptureTest, public ::testing::WithParamInterface<Window> {
protected:
    std::vector<uint8_t> frame = std::vector<uint8_t>(kFrameBytes);

    void FiltersOn()
    {
        ASSERT_EQ(Quelix_SetDotFilter(camera, 1), 1);
        ASSERT_EQ(Quelix_SetMaskFilter(camera, 1), 1);
    }

    int32_t Snapshot() { return Quelix_SnapShot(camera, frame.data(), kFrameBytes, 0); }

    // Frames keep arriving whole: a notification with its frame record.
    void FramesArrive(int count)
    {
        for (int i = 0; i < count; ++i) {
            const auto msg = WaitFor(QUELIX_WM_FRAME);
            ASSERT_TRUE(msg.has_value()) << "frame " << i;
            ASSERT_NE(msg->wParam, 0u) << "error " << msg->lParam;
        }
    }

    // The six values Quelix_GetCaptureWindowEx reads back.
    std::vector<int32_t> StoredWindow()
    {
        std::vector<int32_t> values(6);
        EXPECT_EQ(Quelix_GetCaptureWindowEx(camera, &values[0], &values[1], &values[2], &values[3],
                                            &values[4], &values[5]),
                  1);
        return values;
    }

    void ExpectStoredWindowIsTheSensor()
    {
        EXPECT_EQ(StoredWindow(), (std::vector<int32_t>{320, 0, 320, 256, 0, 256}));
    }

    // The stream format dialog closed with OK: the stored size is read again.
    void DialogOk()
    {
        test::DialogDriver driver(
            [](QUELIX_DIALOG d, int) { QuelixPlatform_DialogClick(d, platform::kIdOk); });
        EXPECT_EQ(Quelix_SetCameraDlg(camera, nullptr), 1);
    }

    void StoreSizePreset(const Window& w)
    {
        const auto base = platform::RegistryKey::Create(kSdkRegistryKey);
        ASSERT_TRUE(base.has_value());
        const auto cameraKey = base->CreateSubKey(NumberedKey("Camera", 0));
        ASSERT_TRUE(cameraKey.has_value());
        const auto size = cameraKey->CreateSubKey(NumberedKey("Size", 0));
        ASSERT_TRUE(size.has_value());
        ASSERT_TRUE(size->WriteDwords({{"TH", 320},
                                       {"TV", 256},
                                       {"EH", static_cast<uint32_t>(w.width)},
                                       {"EV", static_cast<uint32_t>(w.height)},
                                       {"EHS", static_cast<uint32_t>(w.x)},
                                       {"EVS", static_cast<uint32_t>(w.y)},
                                       {"Buf", 4}}));
        ASSERT_TRUE(cameraKey->WriteDwords({{"Size", 0}}));
    }
};

TEST_P(RefusedWindow, IsKeptForTheGetterWhilePixelsFollowTheDeliveredWindow)
{
    const Window w = GetParam();
    StartCamera();
    FiltersOn();
    ASSERT_EQ(Snapshot(), 1);

    // Refused during a running preview: the preview goes on at its window,
    // with both filters reading their maps at the delivered place.
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, frame.data(), kFrameBytes, 0), 1);
    FramesArrive(1);
    EXPECT_EQ(Quelix_SetCaptureWindowEx(camera, 320, w.x, w.width, 256, w.y, w.height), 0);
    EXPECT_EQ(StoredWindow(), (std::vector<int32_t>{320, w.x, w.width, 256, w.y, w.height}))
        << "the getter reads back what was given";
    FramesArrive(3);
    for (int which : {0, 1})
        EXPECT_EQ(Quelix_UpdateMaskData(camera, which), 1) << "the frame of the delivered window is taken";
    ASSERT_EQ(Quelix_StopPreview(camera), 1);

    // Nothing starts with the refused window; the last frame still makes references.
    EXPECT_EQ(Snapshot(), 0);
    for (int which : {0, 1})
        EXPECT_EQ(Quelix_UpdateMaskData(camera, which), 1);
    const std::vector<int32_t> history = ErrorHistory();
    EXPECT_NE(std::find(history.begin(), history.end(), QUELIX_ERR_WINDOW_INVALID), history.end());

    // OK in the stream format dialog reads the stored (whole-sensor) window again.
    DialogOk();
    ExpectStoredWindowIsTheSensor();
    EXPECT_EQ(Snapshot(), 1);
}

TEST_P(RefusedWindow, StoredInTheSettingsFileGivesWayToTheWholeSensor)
{
    const Window w = GetParam();
    StartCamera();
    ASSERT_EQ(Quelix_Release(camera), 1);
    StoreSizePreset(w);

    camera = Quelix_Initialize(window);
    ASSERT_NE(camera, 0);
    const std::vector<int32_t> history = ErrorHistory();
    EXPECT_NE(std::find(history.begin(), history.end(), QUELIX_ERR_WINDOW_INVALID), history.end());
    ExpectStoredWindowIsTheSensor();
    FiltersOn();
    ASSERT_EQ(Snapshot(), 1);
    for (int which : {0, 1})
        EXPECT_EQ(Quelix_UpdateMaskData(camera, which), 1);

    // The dialog's OK reads the bad preset again, with the same check.
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, frame.data(), kFrameBytes, 0), 1);
    FramesArrive(1);
    StoreSizePreset(w);
    DialogOk();
    FramesArrive(2);
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
    const std::vector<int32_t> values = StoredWindow();
    EXPECT_GE(values[1], 0);
    EXPECT_GE(values[4], 0);
    EXPECT_LE(int64_t{values[1]} + values[2], 320);
    EXPECT_LE(int64_t{values[4]} + values[5], 256);
    for (int which : {0, 1})
        EXPECT_EQ(Quelix_UpdateMaskData(camera, which), 1);
}

INSTANTIATE_TEST_SUITE_P(NearTheEndsOfInt32, RefusedWindow,
                         ::testing::Values(Window{INT32_MAX, 0, 320, 256}, Window{0, INT32_MAX, 320, 256},
                                           Window{INT32_MIN, 0, 320, 256}, Window{0, INT32_MIN, 320, 256},
                                           Window{INT32_MAX - 100, INT32_MAX - 100, 200, 200},
                                           Window{0, 0, INT32_MAX, INT32_MAX},
                                           Window{0, 0, INT32_MIN, INT32_MIN}, Window{2, 2, INT32_MAX - 1, 4},
                                           Window{-1, -1, 320, 256}, Window{320, 256, 4, 4},
                                           Window{318, 0, 4, 4},
                                           Window{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN}));

}  // namespace
}  // namespace quelix
