// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include "capture_fixture.h"
#include "counter_frames.h"

namespace quelix {
namespace {

struct Window {
    int x, y, width, height;
};

constexpr int32_t kBitsByMode[] = {8, 16, 24, 32, 48, 64};

size_t Stride(int width, int bits)
{
    return (static_cast<size_t>(width) * bits / 8 + 3) & ~size_t{3};
}

bool Accepted(const Window& w)
{
    return w.x >= 0 && w.y >= 0 && w.width >= 4 && w.height >= 4 && w.x + w.width <= 320 &&
           w.y + w.height <= 256;
}

class SmallWindows : public test::CaptureTest {
protected:
    void SetUp() override { StartCamera(test::CounterCameras()); }

    // A snapshot into a buffer of exactly the frame's size: a single byte
    // written past it is an AddressSanitizer report.
    void SnapshotIsWhole(int bits, int width, int height)
    {
        ASSERT_EQ(Quelix_SetColorMode(camera, bits), 1);
        std::vector<uint8_t> buffer(Stride(width, bits) * static_cast<size_t>(height));
        ASSERT_EQ(Quelix_SnapShot(camera, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1) << bits;
        if (bits == 16) {
            EXPECT_TRUE(test::IsWholeCounterFrame16(buffer.data(), buffer.size() / 2))
                << width << " x " << height;
        }
    }

    // Starts a preview in this colour mode and checks the size of the first
    // frames delivered into a buffer of exactly the frame's size.
    void PreviewDelivers(int bits, int width, int height)
    {
        ASSERT_EQ(Quelix_SetColorMode(camera, bits), 1);
        std::vector<uint8_t> buffer(Stride(width, bits) * static_cast<size_t>(height));
        ASSERT_EQ(
            Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1);
        for (int frame = 0; frame < 2; ++frame) {
            const auto msg = WaitFor(QUELIX_WM_FRAME);
            ASSERT_TRUE(msg.has_value());
            ASSERT_NE(msg->wParam, 0u) << "error " << msg->lParam;
            const auto* info = reinterpret_cast<const QUELIX_FRAME_INFO*>(msg->wParam);
            EXPECT_EQ(__atomic_load_n(&info->width, __ATOMIC_RELAXED), width);
            EXPECT_EQ(__atomic_load_n(&info->height, __ATOMIC_RELAXED), height);
        }
        ASSERT_EQ(Quelix_StopPreview(camera), 1);
        // Notifications of this preview still queued would speak for the next one.
        for (QUELIX_MSG msg{}; QuelixPlatform_PeekMessage(window, &msg) == 1;) {
        }
        skipped.clear();
        if (bits == 16) {
            EXPECT_TRUE(test::IsWholeCounterFrame16(buffer.data(), buffer.size() / 2));
        }
    }
};

TEST_F(SmallWindows, TinyOddAndEdgeWindowsAreRefusedOrTakenAsTheCameraDeliversThem)
{
    std::vector<Window> windows;
    for (int size = 1; size <= 8; ++size) {
        windows.push_back({0, 0, size, 256});
        windows.push_back({0, 0, 320, size});
    }
    for (const Window& w :
         {Window{1, 1, 5, 5}, Window{3, 7, 9, 11}, Window{7, 5, 8, 8}, Window{13, 17, 31, 29},
          Window{316, 0, 4, 256}, Window{0, 252, 320, 4}, Window{315, 251, 5, 5}, Window{311, 249, 9, 7},
          Window{319, 255, 1, 1}, Window{317, 0, 4, 4}, Window{0, 0, 0, 0}, Window{-1, 0, 8, 8}})
        windows.push_back(w);

    int turn = 0;
    for (const Window& w : windows) {
        SCOPED_TRACE(testing::Message()
                     << "window " << w.x << "," << w.y << " " << w.width << " x " << w.height);
        const int accepted = Accepted(w) ? 1 : 0;
        ASSERT_EQ(Quelix_SetCaptureWindowEx(camera, 320, w.x, w.width, 256, w.y, w.height), accepted);
        if (!accepted) {
            EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{QUELIX_ERR_WINDOW_INVALID}));
            std::vector<uint8_t> buffer(320 * 256 * 8);
            EXPECT_EQ(Quelix_SnapShot(camera, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 0);
            EXPECT_EQ(
                Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1),
                0);
            ErrorHistory();
            continue;
        }
        int32_t total[2], left, top, width, height;
        ASSERT_EQ(Quelix_GetCaptureWindowEx(camera, &total[0], &left, &width, &total[1], &top, &height), 1);
        EXPECT_EQ(left, w.x & ~1);
        EXPECT_EQ(top, w.y & ~1);
        EXPECT_EQ(width, w.width & ~1) << "the camera delivers even sizes";
        EXPECT_EQ(height, w.height & ~1);

        const int bits = kBitsByMode[turn++ % 6];
        SnapshotIsWhole(16, width, height);
        SnapshotIsWhole(bits, width, height);
        PreviewDelivers(bits == 16 ? 64 : bits, width, height);
        EXPECT_TRUE(ErrorHistory().empty());
    }
}

TEST_F(SmallWindows, AWindowChangedDuringThePreviewRestartsItAtTheNewSize)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
    std::vector<uint8_t> buffer(320 * 256 * 2);
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1),
              1);
    int width = 320;
    int height = 256;
    for (const Window& w : {Window{5, 3, 7, 9}, Window{316, 252, 4, 4}, Window{0, 0, 3, 256},
                            Window{0, 0, 320, 2}, Window{1, 1, 318, 255}}) {
        SCOPED_TRACE(testing::Message()
                     << "window " << w.x << "," << w.y << " " << w.width << " x " << w.height);
        ASSERT_EQ(Quelix_SetCaptureWindowEx(camera, 320, w.x, w.width, 256, w.y, w.height),
                  Accepted(w) ? 1 : 0);
        skipped.clear();
        // Frames of the old window may still be queued: look for the new size.
        if (Accepted(w)) {
            width = w.width & ~1;
            height = w.height & ~1;
        }
        bool seen = false;
        for (int frame = 0; frame < 20 && !seen; ++frame) {
            const auto msg = WaitFor(QUELIX_WM_FRAME);
            ASSERT_TRUE(msg.has_value());
            ASSERT_NE(msg->wParam, 0u) << "error " << msg->lParam;
            const auto* info = reinterpret_cast<const QUELIX_FRAME_INFO*>(msg->wParam);
            seen = __atomic_load_n(&info->width, __ATOMIC_RELAXED) == width &&
                   __atomic_load_n(&info->height, __ATOMIC_RELAXED) == height;
        }
        EXPECT_TRUE(seen) << "a refused window leaves the one before running";
        ErrorHistory();
    }
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
}

TEST_F(SmallWindows, AColourModeChangedDuringThePreviewRestartsItWithImagesForTheNewMode)
{
    ASSERT_EQ(Quelix_SetCaptureWindowEx(camera, 320, 0, 64, 256, 0, 32), 1);
    std::vector<uint8_t> buffer(64 * 32 * 8);
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1),
              1);
    for (const int32_t bits : {64, 8, 48, 16, 32, 24}) {
        ASSERT_EQ(Quelix_SetColorMode(camera, bits), 1);
        bool seen = false;
        for (int frame = 0; frame < 20 && !seen; ++frame) {
            const auto msg = WaitFor(QUELIX_WM_FRAME);
            ASSERT_TRUE(msg.has_value());
            ASSERT_NE(msg->wParam, 0u) << "error " << msg->lParam;
            const auto* info = reinterpret_cast<const QUELIX_FRAME_INFO*>(msg->wParam);
            seen = __atomic_load_n(&info->bitCount, __ATOMIC_RELAXED) == bits;
        }
        EXPECT_TRUE(seen) << bits;
    }
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
    EXPECT_TRUE(ErrorHistory().empty());
}

// The camera's transfer length register rewritten behind the library's back:
// the camera then sends longer or shorter frames than the library reads.
TEST_F(SmallWindows, FramesLongerOrShorterThanTheTransferAreReportedAndNothingIsOverrun)
{
    ASSERT_EQ(Quelix_SetCaptureWindowEx(camera, 320, 0, 64, 256, 0, 64), 1);
    ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
    std::vector<uint8_t> buffer(64 * 64 * 2);
    for (const uint16_t lengthHigh : {uint16_t{0x7F}, uint16_t{0x00}}) {
        ASSERT_EQ(
            Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1);
        ASSERT_TRUE(WaitFor(QUELIX_WM_FRAME).has_value());
        // Bits 15..8 of the length: far longer, or shorter than the pixels.
        ASSERT_EQ(Quelix_Fpga_WriteRegister(camera, 1, lengthHigh), 1);
        bool reported = false;
        for (int frame = 0; frame < 50 && !reported; ++frame) {
            const auto msg = WaitFor(QUELIX_WM_FRAME, 15000);
            ASSERT_TRUE(msg.has_value());
            reported = msg->wParam == 0;
            if (reported) {
                EXPECT_TRUE(msg->lParam == QUELIX_ERR_WAIT_FRAME || msg->lParam == QUELIX_ERR_READ_FRAME)
                    << msg->lParam;
            }
        }
        EXPECT_TRUE(reported);
        ASSERT_EQ(Quelix_StopPreview(camera), 1);
        ErrorHistory();
        // Applying the window again writes the right length: frames come whole.
        ASSERT_EQ(Quelix_SetCaptureWindowEx(camera, 320, 0, 64, 256, 0, 64), 1);
        skipped.clear();
        PreviewDelivers(16, 64, 64);
    }
}

}  // namespace
}  // namespace quelix
