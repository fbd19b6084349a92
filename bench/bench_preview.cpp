// SPDX-License-Identifier: MIT
// The preview's drawing step after each frame: the colour mode's conversion,
// the scaling to the window when its size differs, and the blit that shows
// the frame (headless, or on X11 when a display is available), per colour
// mode at the frame's own size and at twice its size. And the copy each
// frame takes for the hand-off image.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "QuelixPlatform.h"
#include "camera/camera_object.h"
#include "image/dib_image.h"
#include "platform/windowing/device_context.h"

namespace quelix {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 256;

void BM_DrawPreview(benchmark::State& state)
{
    const auto mode = static_cast<int32_t>(state.range(0));
    const auto scale = static_cast<int32_t>(state.range(1));
    CQuelix camera;
    std::unique_ptr<CDibImage>* images[] = {
        &camera.Image(ImageRole::image8),  &camera.Image(ImageRole::image16),
        &camera.Image(ImageRole::image24), &camera.Image(ImageRole::image32),
        &camera.Image(ImageRole::image48), &camera.Image(ImageRole::image64)};
    const int depths[] = {8, 16, 24, 32, 48, 64};
    for (int i = 0; i < 6; ++i) {
        *images[i] = std::make_unique<CDibImage>();
        (*images[i])->Create(kWidth, kHeight, depths[i]);
    }
    camera.Image(ImageRole::displayImage) = std::make_unique<CDibImage>();
    camera.colorMode = mode;
    QUELIX_HWND parent = QuelixPlatform_CreateWindow("bench", kWidth * scale + 20, kHeight * scale + 20);
    camera.previewWindow = camera.CreatePreviewWindow(parent, {10, 10, kWidth * scale, kHeight * scale});
    camera.previewDC = platform::GetDC(camera.previewWindow);
    for (auto _ : state)
        benchmark::DoNotOptimize(camera.DrawPreview());
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    state.SetLabel(QuelixPlatform_IsWindowVisible(camera.previewWindow) != 0 ? "" : "no window");
    camera.Close();
    QuelixPlatform_DestroyWindow(parent);
}
BENCHMARK(BM_DrawPreview)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {1, 2}})->ArgNames({"mode", "scale"});

void BM_CopyFrom(benchmark::State& state)
{
    CDibImage frame;
    CDibImage copy;
    frame.Create(kWidth, kHeight, static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(copy.CopyFrom(&frame));
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_CopyFrom)->Arg(8)->Arg(24)->Arg(64)->ArgName("bits");

}  // namespace
}  // namespace quelix
