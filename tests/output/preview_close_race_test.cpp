// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "QuelixPlatform.h"
#include "camera/camera_object.h"
#include "image/dib_image.h"
#include "platform/windowing/device_context.h"
#include "platform/windowing/display_window.h"

namespace quelix {
namespace {

// The capture thread draws every frame while the application closes the
// preview: drawing finds the window and its device context gone and draws
// nothing, never a released one.
TEST(PreviewCloseRace, DrawingWhileTheWindowCloses)
{
    CQuelix camera;
    camera.colorMode = 2;
    camera.Image(ImageRole::image24) = std::make_unique<CDibImage>();
    camera.Image(ImageRole::displayImage) = std::make_unique<CDibImage>();
    ASSERT_EQ(camera.Image(ImageRole::image24)->Create(64, 48, 24), 1);
    QUELIX_HWND parent = QuelixPlatform_CreateWindow("race", 200, 200);

    for (int round = 0; round < 20; ++round) {
        const platform::Hwnd window =
            camera.CreatePreviewWindow(parent, {0, 0, round % 2 == 0 ? 64 : 90, 48});
        ASSERT_NE(window, nullptr);
        camera.previewWindow = window;
        camera.previewDC = platform::GetDC(window);
        std::atomic<bool> drewOnce{false};
        std::atomic<bool> stop{false};
        std::thread capture([&] {
            while (!stop) {
                if (camera.DrawPreview() == 1)
                    drewOnce = true;
            }
        });
        while (!drewOnce)
            std::this_thread::yield();
        EXPECT_EQ(camera.Close(), 1);
        stop = true;
        capture.join();
        EXPECT_EQ(camera.DrawPreview(), 0);
    }
    QuelixPlatform_DestroyWindow(parent);
}

}  // namespace
}  // namespace quelix
