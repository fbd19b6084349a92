// SPDX-License-Identifier: MIT
// Software exposure control: five measuring windows of the work image move
// the exposure by a factor when the picture is too bright or too dark.
#include <array>

#include "camera/camera_object.h"
#include "device/quelix_205kwmx_sdk.h"
#include "image/dib_image.h"
#include "pipeline/pixel_kernels.h"

namespace quelix {

namespace {

constexpr int32_t kAutoIrisControl = 1;
constexpr int32_t kAutoIrisMeasure = 2;
constexpr uint16_t kShortestExposure = 4;
constexpr uint16_t kLongestExposure = 8192;

// Windows A to E as fractions of the width and height: left, top, right,
// bottom (right and bottom exclusive).
struct WindowFractions {
    double left;
    double top;
    double right;
    double bottom;
};
constexpr std::array<WindowFractions, 5> kWindows = {{
    {0.1, 0.1, 0.2, 0.2},
    {0.1, 0.8, 0.2, 0.9},
    {0.45, 0.45, 0.55, 0.55},
    {0.8, 0.1, 0.9, 0.2},
    {0.8, 0.8, 0.9, 0.9},
}};

// The band of a window's mean, tested in this order: above 200, above 160,
// below 50, below 100, else neutral.
int Band(int32_t mean)
{
    if (mean > 200)
        return 0;
    if (mean > 160)
        return 1;
    if (mean < 50)
        return 2;
    if (mean < 100)
        return 3;
    return 4;
}

// The first window starts the factor at kFirstFactors of its band, each
// further window adds kFactorSteps of its band.
constexpr std::array<double, 5> kFirstFactors = {0.85, 0.9, 1.1, 1.05, 1.0};
constexpr std::array<double, 5> kFactorSteps = {-0.15, -0.1, 0.1, 0.05, 0.0};

}  // namespace

int CQuelix::AutoExposure(CDibImage* work)
{
    const int32_t mode = camera.Get(CameraSlot::autoIris);
    if ((mode != kAutoIrisControl && mode != kAutoIrisMeasure) || work == nullptr || work->pBits == nullptr)
        return 0;
    const ConvertKernel mean = work->bitCount == 16 ? Mean16 : Mean8;
    const double w = work->width;
    const double h = work->height;
    double factor = 1.0;
    for (size_t k = 0; k < kWindows.size(); ++k) {
        const WindowFractions& f = kWindows[k];
        const Rect window{static_cast<int32_t>(f.left * w), static_cast<int32_t>(f.top * h),
                          static_cast<int32_t>(f.right * w), static_cast<int32_t>(f.bottom * h)};
        // An image too small for a window has nothing to measure there.
        if (window.left >= window.right || window.top >= window.bottom)
            return 0;
        const int32_t m = work->Convert(mean, work, &window, window.left, window.top);
        factor = k == 0 ? kFirstFactors[Band(m)] : factor + kFactorSteps[Band(m)];
    }
    if ((factor > 0.6 && factor < 1.2) || mode == kAutoIrisMeasure || device == nullptr)
        return 1;
    uint16_t exposure = 0;
    // Without the present exposure there is nothing to scale.
    if (!device->GetExposureLines(exposure))
        return 1;
    auto lines = static_cast<uint16_t>(static_cast<int32_t>(exposure * factor));
    if (factor < 1.0 && lines <= kShortestExposure)
        lines = kShortestExposure;
    else if (factor > 1.0 && lines >= kLongestExposure)
        lines = kLongestExposure;
    else if (lines == 0)
        lines = 1;
    if (!device->SetExposureLines(lines))
        return 1;
    camera.Set(CameraSlot::exposureTime, lines);
    cameraDialog.Notify(lines);
    return 1;
}

}  // namespace quelix
