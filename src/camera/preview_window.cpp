// SPDX-License-Identifier: MIT
// The live preview window of a camera: its creation, its drawing step after
// every frame and its teardown.
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "camera/camera_object.h"
#include "image/conversion_kernels.h"
#include "image/dib_image.h"
#include "platform/os/clock.h"
#include "platform/os/runtime_random.h"
#include "platform/windowing/display_window.h"
#include "platform/windowing/window_class.h"

namespace quelix {

namespace {

constexpr int32_t kPreviewControlId = 6540;
constexpr std::string_view kChildCaption = "ActiveMovie Window";
constexpr std::string_view kTopLevelCaption = "Active Window";

// Sub-sampling modes 1 to 3 (and 17 to 19) shrink the picture by 2, 4 and 8.
int32_t SubSampleDivisor(int32_t subSample)
{
    switch (subSample) {
        case 1:
        case 17:
            return 2;
        case 2:
        case 18:
            return 4;
        case 3:
        case 19:
            return 8;
        default:
            return 1;
    }
}

// `target` after converting `from` into it for display; null when that fails.
CDibImage* ConvertForDisplay(CDibImage* target, const CDibImage* from, ConvertKernel kernel)
{
    return target != nullptr && target->Convert(kernel, from, nullptr, 0, 0) != 0 ? target : nullptr;
}

}  // namespace

platform::Hwnd CQuelix::CreatePreviewWindow(platform::Hwnd parent, const Rect& rect)
{
    std::snprintf(
        previewClassName.data(), previewClassName.size(), "VideoRenderer_%08x_%08x",
        static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)),
        static_cast<unsigned>(platform::TickCount() + static_cast<uint32_t>(platform::RuntimeRandom())));
    const std::string_view className(previewClassName.data());
    if (!platform::RegisterWindowClass(className, PreviewWndProc)) {
        previewClassName.fill('\0');
        return nullptr;
    }
    const auto abandon = [this](platform::Hwnd window) -> platform::Hwnd {
        if (window != nullptr)
            platform::DestroyWindow(window);
        platform::UnregisterWindowClass(previewClassName.data());
        previewClassName.fill('\0');
        return nullptr;
    };

    platform::DisplayWindowParams params;
    params.className = className;
    if (parent != nullptr) {
        // The third and fourth values are the size, not right and bottom.
        params.caption = kChildCaption;
        params.parent = parent;
        params.x = rect.left;
        params.y = rect.top;
        params.width = rect.right;
        params.height = rect.bottom;
        params.controlId = kPreviewControlId;
    } else {
        if (rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0)
            return abandon(nullptr);
        const int32_t divisor = SubSampleDivisor(subSample.load());
        params.caption = kTopLevelCaption;
        params.width = active.width.load() / divisor;
        params.height = active.height.load() / divisor;
        int32_t screenWidth = 0;
        int32_t screenHeight = 0;
        platform::GetScreenSize(screenWidth, screenHeight);
        params.x = std::max(0, (screenWidth - params.width) / 2);
        params.y = std::max(0, (screenHeight - params.height) / 2);
    }
    const platform::Hwnd window = platform::CreateDisplayWindow(params);
    if (window == nullptr)
        return abandon(nullptr);
    platform::ShowWindow(window, true);
    if (!platform::UpdateWindow(window))
        return abandon(window);
    return window;
}

intptr_t CQuelix::PreviewWndProc(platform::Hwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    return platform::DefWindowProc(window, message, wParam, lParam);
}

int CQuelix::DrawPreview()
{
    // The frame of the colour mode as an 8-bit (modes 0, 1) or 24-bit image.
    const int32_t mode = colorMode.load();
    CDibImage* source = nullptr;
    switch (mode) {
        case 0:
            source = Image(ImageRole::image8).get();
            break;
        case 1:
            source = ConvertForDisplay(Image(ImageRole::image8).get(), Image(ImageRole::image16).get(),
                                       Gray16To8Shr6);
            break;
        case 2:
            source = Image(ImageRole::image24).get();
            break;
        case 3:
            source = ConvertForDisplay(Image(ImageRole::image24).get(), Image(ImageRole::image32).get(),
                                       Bgr24Copy);
            break;
        case 4:
            source = ConvertForDisplay(Image(ImageRole::image24).get(), Image(ImageRole::image48).get(),
                                       Bgr48To24Shr6);
            break;
        case 5:
            source = ConvertForDisplay(Image(ImageRole::image24).get(), Image(ImageRole::image64).get(),
                                       Bgr48To24Shr6);
            break;
        default:
            return 0;
    }
    const bool gray = mode <= 1;
    const int sourceBits = gray ? 8 : 24;
    if (source == nullptr || source->hdc == nullptr || source->bitCount != sourceBits)
        return 0;

    const platform::Hwnd window = previewWindow.load();
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    if (!platform::IsWindowVisible(window) || !platform::GetClientSize(window, clientWidth, clientHeight))
        return 0;
    const platform::Hdc dc = previewDC.load();
    if (clientWidth <= 0 || clientHeight <= 0 || dc == nullptr)
        return 1;

    // The image rows are top-first while the bitmap declares them bottom-up:
    // the same-size blit turns them over with a negative source height, the
    // scaling kernels turn them over while scaling.
    if (mode != 1 && clientWidth == source->width && clientHeight == source->height) {
        return platform::StretchBlt(dc, 0, 0, clientWidth, clientHeight, source->hdc, 0, clientHeight,
                                    clientWidth, -clientHeight)
                   ? 1
                   : 0;
    }
    if (Image(ImageRole::displayImage) == nullptr)
        return 0;
    if (Image(ImageRole::displayImage)->width != clientWidth ||
        Image(ImageRole::displayImage)->height != clientHeight ||
        Image(ImageRole::displayImage)->bitCount != sourceBits) {
        Image(ImageRole::displayImage)->Release();
        if (Image(ImageRole::displayImage)->Create(clientWidth, clientHeight, sourceBits) == 0)
            return 0;
    }
    if (Image(ImageRole::displayImage)->StretchConvert(gray ? Scale8Nearest : Scale24Nearest, source) == 0)
        return 0;
    return platform::BitBlt(dc, 0, 0, clientWidth, clientHeight, Image(ImageRole::displayImage)->hdc, 0, 0)
               ? 1
               : 0;
}

int CQuelix::Close()
{
    platform::CriticalSectionGuard operation(operationLock);
    // The device context and the window go first: a drawing step that runs
    // meanwhile on the capture thread finds them gone and draws nothing.
    if (const platform::Hdc dc = previewDC.exchange(nullptr); dc != nullptr)
        platform::ReleaseDC(previewWindow.load(), dc);
    if (const platform::Hwnd window = previewWindow.exchange(nullptr); window != nullptr)
        platform::DestroyWindow(window);
    if (device != nullptr) {
        StopAcquisition();
        device->CloseCaptureHandle();
    }
    platform::UnregisterWindowClass(previewClassName.data());
    previewClassName.fill('\0');
    return 1;
}

}  // namespace quelix
