// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "camera/camera_object.h"
#include "image/dib_image.h"
#include "platform/windowing/device_context.h"
#include "platform/windowing/window_class.h"
#include "window_test_support.h"

namespace quelix {
namespace {

using test::Bgr;
using test::ClientPixels;
using test::PixelAt;

constexpr int kImageWidth = 64;
constexpr int kImageHeight = 48;

// A camera object with processed images of every colour mode holding test
// patterns (row 0 of each image is the top of the picture), and the preview
// window's parent.
class PreviewWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::unique_ptr<CDibImage>* owners[] = {
            &camera_.Image(ImageRole::image8),      &camera_.Image(ImageRole::image16),
            &camera_.Image(ImageRole::image24),     &camera_.Image(ImageRole::image32),
            &camera_.Image(ImageRole::image48),     &camera_.Image(ImageRole::image64),
            &camera_.Image(ImageRole::displayImage)};
        for (size_t i = 0; i < images_.size(); ++i) {
            *owners[i] = std::make_unique<CDibImage>();
            images_[i] = owners[i]->get();
        }
        const int depths[] = {8, 16, 24, 32, 48, 64};
        for (int i = 0; i < 6; ++i)
            ASSERT_EQ(images_[i]->Create(kImageWidth, kImageHeight, depths[i]), 1);
        for (int y = 0; y < kImageHeight; ++y) {
            for (int x = 0; x < kImageWidth; ++x) {
                const Bgr colour = Pattern(x, y);
                images_[0]->pBits[y * images_[0]->stride + x] = colour.green;
                SetSamples(*images_[1], x, y, {static_cast<uint16_t>(colour.green << 6 | (x & 0x3F))});
                uint8_t* bgr = images_[2]->pBits + y * images_[2]->stride + x * 3;
                bgr[0] = colour.blue;
                bgr[1] = colour.green;
                bgr[2] = colour.red;
                uint8_t* bgra = images_[3]->pBits + y * images_[3]->stride + x * 4;
                bgra[0] = colour.blue;
                bgra[1] = colour.green;
                bgra[2] = colour.red;
                bgra[3] = 0x77;
                const auto wide = [](uint8_t value) { return static_cast<uint16_t>(value << 6 | 0x15); };
                SetSamples(*images_[4], x, y, {wide(colour.blue), wide(colour.green), wide(colour.red)});
                SetSamples(*images_[5], x, y,
                           {wide(colour.blue), wide(colour.green), wide(colour.red), 0xFFFF});
            }
        }
        parent_ = QuelixPlatform_CreateWindow("preview parent", 700, 600);
        ASSERT_NE(parent_, nullptr);
    }

    void TearDown() override
    {
        EXPECT_EQ(camera_.Close(), 1);
        QuelixPlatform_DestroyWindow(parent_);
    }

    static Bgr Pattern(int x, int y)
    {
        return {static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 5 + x),
                static_cast<uint8_t>(255 - y * 3)};
    }

    static void SetSamples(CDibImage& image, int x, int y, std::initializer_list<uint16_t> samples)
    {
        uint8_t* pixel = image.pBits + y * image.stride + x * (image.bitCount / 8);
        for (uint16_t sample : samples) {
            std::memcpy(pixel, &sample, 2);
            pixel += 2;
        }
    }

    // The preview window as a child of the parent, with its device context.
    platform::Hwnd OpenChildPreview(int width, int height)
    {
        const platform::Hwnd window = camera_.CreatePreviewWindow(parent_, {10, 20, width, height});
        if (window != nullptr) {
            camera_.previewWindow = window;
            camera_.previewDC = platform::GetDC(window);
        }
        return window;
    }

    // Whether the window shows the colour mode's picture right side up,
    // scaled by nearest neighbour to its client size.
    void ExpectPictureShown(platform::Hwnd window, int mode)
    {
        int width = 0;
        int height = 0;
        const std::vector<uint8_t> pixels = ClientPixels(window, width, height);
        ASSERT_FALSE(pixels.empty());
        const float stepX = static_cast<float>(kImageWidth) / static_cast<float>(width);
        const float stepY = static_cast<float>(kImageHeight) / static_cast<float>(height);
        for (int y = 0; y < height; ++y) {
            // The scaler samples the bottom-first rows, so the vertical
            // sampling counts from the bottom of the window.
            const int fromBottom = static_cast<int>(static_cast<float>(height - 1 - y) * stepY);
            const int sourceY = kImageHeight - 1 - fromBottom;
            for (int x = 0; x < width; ++x) {
                const int sourceX = static_cast<int>(static_cast<float>(x) * stepX);
                Bgr expected = Pattern(sourceX, sourceY);
                if (mode <= 1)
                    expected = {expected.green, expected.green, expected.green};
                ASSERT_EQ(PixelAt(pixels, width, x, y), expected)
                    << "mode " << mode << " at " << x << ", " << y << " of " << width << " x " << height;
            }
        }
    }

    CQuelix camera_;
    std::array<CDibImage*, 7> images_{};  // the camera's images of each mode, then its display image
    QUELIX_HWND parent_ = nullptr;
};

TEST_F(PreviewWindowTest, TopLevelWindowIsCentredWithTheSubSampledClientSize)
{
    camera_.subSample = 2;
    const platform::Hwnd window = camera_.CreatePreviewWindow(nullptr, {0, 0, 320, 256});
    ASSERT_NE(window, nullptr);
    camera_.previewWindow = window;
    const std::optional<platform::WindowInfo> info = platform::GetWindowInfo(window);
    ASSERT_TRUE(info.has_value());
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    platform::GetScreenSize(screenWidth, screenHeight);
    EXPECT_EQ(info->kind, platform::WindowKind::TopLevel);
    EXPECT_EQ(info->caption, "Active Window");
    EXPECT_EQ(info->width, 80);
    EXPECT_EQ(info->height, 64);
    EXPECT_EQ(info->x, (screenWidth - 80) / 2);
    EXPECT_EQ(info->y, (screenHeight - 64) / 2);
    EXPECT_TRUE(platform::IsWindowVisible(window));

    char expectedPrefix[32];
    std::snprintf(expectedPrefix, sizeof expectedPrefix, "VideoRenderer_%08x_",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(&camera_)));
    EXPECT_EQ(info->className.rfind(expectedPrefix, 0), 0u) << info->className;
    EXPECT_EQ(info->className.size(), 31u);
    EXPECT_EQ(info->className, camera_.previewClassName.data());
}

TEST_F(PreviewWindowTest, SubSamplingModesDivideTheClientSize)
{
    const std::pair<int, int> divisors[] = {{0, 1}, {1, 2},  {17, 2}, {18, 4},
                                            {3, 8}, {19, 8}, {4, 1},  {16, 1}};
    for (const auto& [mode, divisor] : divisors) {
        camera_.subSample = mode;
        const platform::Hwnd window = camera_.CreatePreviewWindow(nullptr, {0, 0, 1, 1});
        ASSERT_NE(window, nullptr) << mode;
        camera_.previewWindow = window;
        int32_t width = 0;
        int32_t height = 0;
        ASSERT_TRUE(platform::GetClientSize(window, width, height));
        EXPECT_EQ(width, 320 / divisor) << mode;
        EXPECT_EQ(height, 256 / divisor) << mode;
        camera_.Close();
    }
}

TEST_F(PreviewWindowTest, WindowLargerThanTheScreenStartsAtTheOrigin)
{
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    platform::GetScreenSize(screenWidth, screenHeight);
    camera_.active.width = screenWidth + 200;
    camera_.active.height = screenHeight + 100;
    const platform::Hwnd window = camera_.CreatePreviewWindow(nullptr, {0, 0, 320, 256});
    ASSERT_NE(window, nullptr);
    camera_.previewWindow = window;
    const std::optional<platform::WindowInfo> info = platform::GetWindowInfo(window);
    EXPECT_EQ(info->x, 0);
    EXPECT_EQ(info->y, 0);
    EXPECT_EQ(info->width, screenWidth + 200);
}

TEST_F(PreviewWindowTest, ChildWindowTakesPositionAndSizeFromTheRectangle)
{
    const platform::Hwnd window = OpenChildPreview(200, 150);
    ASSERT_NE(window, nullptr);
    const std::optional<platform::WindowInfo> info = platform::GetWindowInfo(window);
    EXPECT_EQ(info->kind, platform::WindowKind::Child);
    EXPECT_EQ(info->parent, parent_);
    EXPECT_EQ(info->caption, "ActiveMovie Window");
    EXPECT_EQ(info->controlId, 6540);
    EXPECT_EQ(info->x, 10);
    EXPECT_EQ(info->y, 20);
    EXPECT_EQ(info->width, 200);
    EXPECT_EQ(info->height, 150);
}

TEST_F(PreviewWindowTest, FailedCreationLeavesNoWindowAndNoClass)
{
    EXPECT_EQ(camera_.CreatePreviewWindow(nullptr, {0, 0, 0, 0}), nullptr)
        << "no parent and nothing asked for";
    EXPECT_EQ(camera_.previewClassName[0], '\0');
    const platform::Hwnd message = QuelixPlatform_CreateMessageWindow();
    EXPECT_EQ(camera_.CreatePreviewWindow(message, {0, 0, 10, 10}), nullptr)
        << "a message window is no parent";
    EXPECT_EQ(camera_.previewClassName[0], '\0');
    QuelixPlatform_DestroyWindow(message);
}

TEST_F(PreviewWindowTest, SameSizeDrawingShowsEveryColourModeRightSideUp)
{
    const platform::Hwnd window = OpenChildPreview(kImageWidth, kImageHeight);
    ASSERT_NE(window, nullptr);
    for (int mode = 0; mode <= 5; ++mode) {
        camera_.colorMode = mode;
        ASSERT_EQ(camera_.DrawPreview(), 1) << mode;
        ExpectPictureShown(window, mode);
    }
    // Mode 1 draws through the display image even at the same size.
    EXPECT_EQ(camera_.Image(ImageRole::displayImage)->width, kImageWidth);
    EXPECT_EQ(camera_.Image(ImageRole::displayImage)->bitCount, 8);
}

TEST_F(PreviewWindowTest, ScaledDrawingShowsEveryColourModeRightSideUp)
{
    for (const auto& [width, height] : {std::pair{128, 96}, std::pair{100, 70}, std::pair{40, 31}}) {
        const platform::Hwnd window = OpenChildPreview(width, height);
        ASSERT_NE(window, nullptr);
        for (int mode = 0; mode <= 5; ++mode) {
            camera_.colorMode = mode;
            ASSERT_EQ(camera_.DrawPreview(), 1) << mode;
            ExpectPictureShown(window, mode);
            EXPECT_EQ(camera_.Image(ImageRole::displayImage)->width, width);
            EXPECT_EQ(camera_.Image(ImageRole::displayImage)->bitCount, mode <= 1 ? 8 : 24)
                << "rebuilt for the depth too";
        }
        camera_.Close();
    }
}

TEST_F(PreviewWindowTest, DrawingNeedsAVisibleWindowAndTheFrame)
{
    EXPECT_EQ(camera_.DrawPreview(), 0) << "no window";
    const platform::Hwnd window = OpenChildPreview(kImageWidth, kImageHeight);
    ASSERT_NE(window, nullptr);

    ASSERT_TRUE(platform::ShowWindow(window, false));
    EXPECT_EQ(camera_.DrawPreview(), 0);
    ASSERT_TRUE(platform::ShowWindow(window, true));
    QuelixPlatform_ShowWindow(parent_, 0);
    EXPECT_EQ(camera_.DrawPreview(), 0) << "a child of a hidden window is hidden";
    QuelixPlatform_ShowWindow(parent_, 1);

    const platform::Hdc dc = camera_.previewDC.exchange(nullptr);
    EXPECT_EQ(camera_.DrawPreview(), 1) << "no device context: nothing drawn";
    camera_.previewDC = dc;

    camera_.colorMode = 1;
    std::unique_ptr<CDibImage> image16 = std::move(camera_.Image(ImageRole::image16));
    EXPECT_EQ(camera_.DrawPreview(), 0) << "no 16-bit frame to show";
    camera_.Image(ImageRole::image16) = std::move(image16);
    camera_.colorMode = 7;
    EXPECT_EQ(camera_.DrawPreview(), 0) << "no such colour mode";
    camera_.colorMode = 2;
    camera_.Image(ImageRole::image24)->Create(kImageWidth, kImageHeight, 8);
    EXPECT_EQ(camera_.DrawPreview(), 0) << "a 24-bit mode needs a 24-bit frame";
}

TEST_F(PreviewWindowTest, EmptyClientAreaDrawsNothing)
{
    const platform::Hwnd window = OpenChildPreview(0, 30);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(camera_.DrawPreview(), 1);
    EXPECT_EQ(camera_.Image(ImageRole::displayImage)->width, 0);
}

TEST_F(PreviewWindowTest, CloseReleasesEverythingAndCanRunAgain)
{
    EXPECT_EQ(camera_.Close(), 1) << "without a window";
    const platform::Hwnd window = OpenChildPreview(kImageWidth, kImageHeight);
    ASSERT_NE(window, nullptr);
    const platform::Hdc dc = camera_.previewDC.load();
    const std::string className = camera_.previewClassName.data();
    EXPECT_FALSE(platform::RegisterWindowClass(className, CQuelix::PreviewWndProc)) << "registered";

    EXPECT_EQ(camera_.Close(), 1);
    EXPECT_EQ(camera_.previewWindow.load(), nullptr);
    EXPECT_EQ(camera_.previewDC.load(), nullptr);
    EXPECT_EQ(camera_.previewClassName[0], '\0');
    EXPECT_FALSE(platform::GetWindowInfo(window).has_value());
    EXPECT_FALSE(platform::ReleaseDC(window, dc)) << "released already";
    EXPECT_TRUE(platform::RegisterWindowClass(className, CQuelix::PreviewWndProc)) << "unregistered";
    EXPECT_TRUE(platform::UnregisterWindowClass(className));
    EXPECT_EQ(camera_.DrawPreview(), 0);
    EXPECT_EQ(camera_.Close(), 1);
}

TEST_F(PreviewWindowTest, DestroyingTheParentTakesThePreviewWithIt)
{
    const platform::Hwnd window = OpenChildPreview(kImageWidth, kImageHeight);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(QuelixPlatform_DestroyWindow(parent_), 1);
    parent_ = nullptr;
    EXPECT_FALSE(platform::GetWindowInfo(window).has_value());
    EXPECT_EQ(camera_.DrawPreview(), 0);
    EXPECT_EQ(camera_.Close(), 1);
}

TEST_F(PreviewWindowTest, CloseRequestDestroysTheTopLevelPreview)
{
    camera_.subSample = 1;
    const platform::Hwnd window = camera_.CreatePreviewWindow(nullptr, {0, 0, 320, 256});
    ASSERT_NE(window, nullptr);
    camera_.previewWindow = window;
    camera_.previewDC = platform::GetDC(window);
    platform::DeliverCloseRequest(window);
    EXPECT_FALSE(platform::GetWindowInfo(window).has_value()) << "its procedure leaves it to the default";
    EXPECT_EQ(camera_.DrawPreview(), 0);
}

}  // namespace
}  // namespace quelix
