// SPDX-License-Identifier: MIT
// The per-frame correction pipeline of a camera object.
#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "camera/camera_object.h"
#include "image/dib_image.h"
#include "pipeline/color_modes.h"
#include "pipeline/defect_repair.h"
#include "pipeline/gray_phases.h"
#include "pipeline/mirror.h"
#include "pipeline/pixel_kernels.h"
#include "pipeline/sharpen.h"

namespace quelix {

namespace {

constexpr int32_t kDefectThreshold8 = 30;
constexpr int32_t kDefectThreshold16 = 30 * 64;  // 30 scaled from 8 to 14 bits
constexpr int32_t kUnityGain = 128;

using Settings = ImageFilterSettings::Block;

// A setting as the stages take it: held to the range they are made for, since
// the block may hold any value (the settings dialogs store numbers as typed,
// the registry holds what was written to it).
int32_t Setting(const Settings& settings, FilterSlot slot)
{
    const int32_t value = settings[static_cast<size_t>(slot)];
    switch (slot) {
        case FilterSlot::brightness:
        case FilterSlot::saturation:
            return std::clamp(value, -255, 255);
        case FilterSlot::contrast:
            return std::clamp(value, -127, 127);
        case FilterSlot::hue:
            return std::clamp(value, -360, 360);
        case FilterSlot::sharpness:
            return std::clamp(value, 0, 30);
        case FilterSlot::gamma:
            return std::clamp(value, 0, 200);
        case FilterSlot::bayerMode:
            return std::clamp(value, 0, 3);
        case FilterSlot::grayGainR:
        case FilterSlot::grayGainG1:
        case FilterSlot::grayGainG2:
        case FilterSlot::grayGainB:
            return std::clamp(value, 0, 65535);
        case FilterSlot::grayOffsetR:
        case FilterSlot::grayOffsetG1:
        case FilterSlot::grayOffsetG2:
        case FilterSlot::grayOffsetB:
            return std::clamp(value, -65535, 65535);
        default:
            return value;
    }
}

GrayParams GrayParamsOf(const Settings& s)
{
    return {Setting(s, FilterSlot::bayerMode),    Setting(s, FilterSlot::grayGainR),
            Setting(s, FilterSlot::grayGainG1),   Setting(s, FilterSlot::grayGainG2),
            Setting(s, FilterSlot::grayGainB),    Setting(s, FilterSlot::grayOffsetR),
            Setting(s, FilterSlot::grayOffsetG1), Setting(s, FilterSlot::grayOffsetG2),
            Setting(s, FilterSlot::grayOffsetB)};
}

// Brightness kernels by colour mode.
constexpr std::array<ConvertKernel, 6> kBrightness = {Brightness8,  Brightness16, Brightness24,
                                                      Brightness24, Brightness48, Brightness48};

bool SameShape(const CDibImage& a, const CDibImage& b)
{
    return a.width == b.width && a.height == b.height && a.bitCount == b.bitCount && a.stride == b.stride;
}

}  // namespace

void CQuelix::CorrectFrame()
{
    const int32_t mode = colorMode.load();
    if (mode < 0 || mode > 5)
        return;
    const bool wide = UsesWideWork(mode);
    CDibImage* work = Image(WorkRole(mode)).get();
    if (work == nullptr || work->pBits == nullptr || work->bitCount != (wide ? 16 : 8))
        return;
    {
        platform::CriticalSectionGuard guard(rawFrameLock);
        const CDibImage* raw = Image(ImageRole::rawFrame).get();
        if (raw == nullptr || raw->pBits == nullptr)
            return;
        const size_t bytes = std::min(static_cast<size_t>(work->stride) * work->height,
                                      static_cast<size_t>(raw->stride) * raw->height);
        std::memcpy(work->pBits, raw->pBits, bytes);
    }

    AutoExposure(work);

    // The tables below grow only when the window, the colour mode or a
    // setting changes; if memory runs out then, the frame stays as far as it
    // got.
    try {
        {
            platform::CriticalSectionGuard guard(correctionLock);
            if (maskFilter.load() != 0) {
                const int32_t x = active.x.load();
                const int32_t y = active.y.load();
                if (!wide && Image(ImageRole::darkRef8) != nullptr && Image(ImageRole::brightRef8) != nullptr)
                    correctionState_.shading8.Apply(*work, *Image(ImageRole::darkRef8),
                                                    *Image(ImageRole::brightRef8), x, y);
                else if (wide && Image(ImageRole::darkRef16) != nullptr &&
                         Image(ImageRole::brightRef16) != nullptr)
                    correctionState_.shading16.Apply(*work, *Image(ImageRole::darkRef16),
                                                     *Image(ImageRole::brightRef16), x, y);
            }
            if (dotFilter.load() != 0) {
                if (wide)
                    DefectFilter16(work, kDefectThreshold16);
                else
                    DefectFilter8(work, kDefectThreshold8);
            }
        }

        MirrorImage(*work, camera.Get(CameraSlot::mirrorH) != 0, camera.Get(CameraSlot::mirrorV) != 0);

        const Settings settings = filter.Copy();
        const int32_t grayMode = Setting(settings, FilterSlot::grayMode);
        if (mode == 0 && grayMode == 1) {
            GrayParams gray = GrayParamsOf(settings);
            const int32_t frames = Setting(settings, FilterSlot::autoGrayFrames);
            if (frames > 0) {
                work->Convert(GrayBalanceMeasure, work, nullptr, 0, 0, &gray);
                filter.Set(FilterSlot::grayGainR, gray.grayGainR);
                filter.Set(FilterSlot::grayGainG1, gray.grayGainG1);
                filter.Set(FilterSlot::grayGainG2, gray.grayGainG2);
                filter.Set(FilterSlot::grayGainB, gray.grayGainB);
                filterDialog.Notify();
                filter.CompareExchange(FilterSlot::autoGrayFrames, frames, frames - 1);
            }
            const std::array<int32_t, 4> gains = PhaseGains(gray);
            if (std::any_of(gains.begin(), gains.end(), [](int32_t gain) { return gain != kUnityGain; }))
                work->Convert(GrayBalanceApply, work, nullptr, 0, 0, &gray);
        }

        CDibImage* output = Image(OutputRole(mode)).get();
        if (output == nullptr || output->pBits == nullptr)
            return;
        const int32_t sharpness = Setting(settings, FilterSlot::sharpness);
        const int32_t brightness = Setting(settings, FilterSlot::brightness);
        const bool colour = mode >= 2;
        RenderSettings stages;
        stages.colorMode = mode;
        stages.luminance = mode == 0 && grayMode == 2;
        stages.hue = colour ? Setting(settings, FilterSlot::hue) : 0;
        stages.saturation = colour ? Setting(settings, FilterSlot::saturation) : 0;
        stages.gamma = Setting(settings, FilterSlot::gamma);
        stages.contrast = Setting(settings, FilterSlot::contrast);
        stages.brightness = sharpness == 0 ? brightness : 0;
        correctionState_.render.Prepare(stages);
        // Sharpening reads an untouched picture: the stages render into
        // filterScratch, and one pass sharpens and brightens it into the
        // output.
        const bool sharpen = sharpness != 0 && Image(ImageRole::filterScratch) != nullptr &&
                             (SameShape(*Image(ImageRole::filterScratch), *output) ||
                              Image(ImageRole::filterScratch)->CreateLike(output));
        if (!sharpen) {
            correctionState_.render.Render(*work, *output);
            if (sharpness != 0 && brightness != 0) {
                const LevelParams params{brightness, kSignificantBits};
                output->Convert(kBrightness[mode], output, nullptr, 0, 0, &params);
            }
            return;
        }
        correctionState_.render.Render(*work, *Image(ImageRole::filterScratch));
        const int32_t bytesPerPixel = output->bitCount / 8;
        const Rect area{0, 0, std::min(work->width, output->width), std::min(work->height, output->height)};
        SharpenPass({output->pBits, Image(ImageRole::filterScratch)->pBits, area, 0, 0, bytesPerPixel,
                     bytesPerPixel, output->stride, Image(ImageRole::filterScratch)->stride},
                    {wide ? 2 : 1, colour ? 3 : 1, sharpness, kSignificantBits, brightness, true});
    } catch (const std::bad_alloc&) {
        return;
    }
}

int CQuelix::DefectFilter8(CDibImage* image, int threshold)
{
    return RepairDefects8(image, Image(ImageRole::defectWork8a).get(), Image(ImageRole::defectWork8b).get(),
                          active.x, active.y, Image(ImageRole::defectWork8c).get(), threshold);
}

int CQuelix::DefectFilter16(CDibImage* image, int threshold)
{
    return RepairDefects16(image, Image(ImageRole::defectWork16a).get(),
                           Image(ImageRole::defectWork16b).get(), active.x, active.y,
                           Image(ImageRole::defectWork16c).get(), threshold);
}

}  // namespace quelix
