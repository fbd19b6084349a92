// SPDX-License-Identifier: MIT
// The numbered camera parameters of Quelix_SetFilterValue and
// Quelix_GetFilterValue: image-filter and gray-filter values, gains,
// exposure and the correction switches.
#include "camera/camera_object.h"
#include "camera/filter_ids.h"
#include "device/quelix_205kwmx_sdk.h"
#include "device/register_map.h"

#include <optional>

namespace quelix {

namespace {

struct StoredRange {
    FilterSlot slot;
    int32_t minimum;
    int32_t maximum;
};

// Ids that only store a value in the filter block.
std::optional<StoredRange> StoredFilterValue(int id)
{
    switch (id) {
        case kFilterBrightness:
            return StoredRange{FilterSlot::brightness, -255, 255};
        case kFilterContrast:
            return StoredRange{FilterSlot::contrast, -127, 127};
        case kFilterHue:
            return StoredRange{FilterSlot::hue, -360, 360};
        case kFilterSaturation:
            return StoredRange{FilterSlot::saturation, -255, 255};
        case kFilterSharpness:
            return StoredRange{FilterSlot::sharpness, 0, 30};
        case kFilterBayerGainRed:
            return StoredRange{FilterSlot::bayerGainRed, 0, 400};
        case kFilterBayerGainGreen:
            return StoredRange{FilterSlot::bayerGainGreen, 0, 400};
        case kFilterBayerGainBlue:
            return StoredRange{FilterSlot::bayerGainBlue, 0, 400};
        case kFilterGamma:
            return StoredRange{FilterSlot::gamma, 0, 200};
        case kFilterBayerMode:
            return StoredRange{FilterSlot::bayerMode, 0, 3};
        case kFilterGrayMode:
            return StoredRange{FilterSlot::grayMode, 0, 2};
        case kFilterGrayGainR:
            return StoredRange{FilterSlot::grayGainR, 0, 255};
        case kFilterGrayGainG1:
            return StoredRange{FilterSlot::grayGainG1, 0, 255};
        case kFilterGrayGainG2:
            return StoredRange{FilterSlot::grayGainG2, 0, 255};
        case kFilterGrayGainB:
            return StoredRange{FilterSlot::grayGainB, 0, 255};
        case kFilterGrayOffsetR:
            return StoredRange{FilterSlot::grayOffsetR, -255, 255};
        case kFilterGrayOffsetG1:
            return StoredRange{FilterSlot::grayOffsetG1, -255, 255};
        case kFilterGrayOffsetG2:
            return StoredRange{FilterSlot::grayOffsetG2, -255, 255};
        case kFilterGrayOffsetB:
            return StoredRange{FilterSlot::grayOffsetB, -255, 255};
        default:
            return std::nullopt;
    }
}

struct ColorGain {
    CameraSlot slot;
    int sensorRegister;
};

std::optional<ColorGain> ColorGainOf(int id)
{
    switch (id) {
        case kFilterColorGainRed:
            return ColorGain{CameraSlot::colorGainRed, kSensorGainRed};
        case kFilterColorGainGreen1:
            return ColorGain{CameraSlot::colorGainGreen1, kSensorGainGreen1};
        case kFilterColorGainGreen2:
            return ColorGain{CameraSlot::colorGainGreen2, kSensorGainGreen2};
        case kFilterColorGainBlue:
            return ColorGain{CameraSlot::colorGainBlue, kSensorGainBlue};
        default:
            return std::nullopt;
    }
}

}  // namespace

int CQuelix::SetFilterValue(int id, int value)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    const auto inRange = [value](int32_t minimum, int32_t maximum) {
        return value >= minimum && value <= maximum;
    };

    if (const auto stored = StoredFilterValue(id)) {
        if (!inRange(stored->minimum, stored->maximum))
            return Fail(kErrArgument);
        filter.Set(stored->slot, value);
        return 1;
    }
    if (const auto gain = ColorGainOf(id)) {
        int minimum = 0;
        CQLXSdkLib::GetColorGainMin(gain->sensorRegister, minimum);
        if (!inRange(minimum, 255))
            return Fail(kErrArgument);
        if (!device->SetColorGain(gain->sensorRegister, value))
            return Fail(kErrRegister);
        camera.Set(gain->slot, value);
        return 1;
    }
    switch (id) {
        case kFilterBayerGainRGB:
            filter.Set(FilterSlot::bayerGainRed, value & 0xFF);
            filter.Set(FilterSlot::bayerGainGreen, (value >> 8) & 0xFF);
            filter.Set(FilterSlot::bayerGainBlue, (value >> 16) & 0xFF);
            return 1;
        case kFilterBayerGainAuto:
            filter.Set(FilterSlot::bayerGainAuto, value != 0 ? 1 : 0);
            return 1;
        case kFilterGlobalGain:
            if (!inRange(CQLXSdkLib::GlobalGainLimit(), CQLXSdkLib::GlobalGainLimit()))
                return Fail(kErrArgument);
            if (!device->SetGlobalGain(value))
                return Fail(kErrRegister);
            for (CameraSlot slot :
                 {CameraSlot::globalGain, CameraSlot::colorGainGreen1, CameraSlot::colorGainRed,
                  CameraSlot::colorGainBlue, CameraSlot::colorGainGreen2})
                camera.Set(slot, value);
            return 1;
        case kFilterExposureTime:
            if (!inRange(1, CQLXSdkLib::MaxExposureLines()))
                return Fail(kErrArgument);
            if (!device->SetExposureLines(static_cast<uint16_t>(value)))
                return Fail(kErrRegister);
            camera.Set(CameraSlot::exposureTime, value);
            return 1;
        case kFilterPeltier:
            return Fail(kErrNotSupported);
        case kFilterDotFilter:
        case kFilterMaskFilter:
            if (!inRange(0, 1))
                return Fail(kErrArgument);
            (id == kFilterDotFilter ? dotFilter : maskFilter) = value;
            return 1;
        default:
            return Fail(kErrArgument);
    }
}

int CQuelix::GetFilterValue(int id, int32_t* ok)
{
    const auto failWith = [this, ok](int32_t code) {
        if (ok != nullptr)
            *ok = 0;
        return Fail(code);
    };
    if (ok != nullptr)
        *ok = 1;
    if (device == nullptr)
        return failWith(kErrNotInitialized);

    if (const auto stored = StoredFilterValue(id))
        return filter.Get(stored->slot);
    if (const auto gain = ColorGainOf(id)) {
        int value = 0;
        if (!device->GetColorGain(gain->sensorRegister, value))
            return failWith(kErrRegister);
        return value;
    }
    switch (id) {
        case kFilterBayerGainRGB:
            return (filter.Get(FilterSlot::bayerGainRed) & 0xFF) |
                   ((filter.Get(FilterSlot::bayerGainGreen) & 0xFF) << 8) |
                   ((filter.Get(FilterSlot::bayerGainBlue) & 0xFF) << 16);
        case kFilterBayerGainAuto:
            return filter.Get(FilterSlot::bayerGainAuto);
        case kFilterGlobalGain: {
            const int gain = device->GetGlobalGain();
            if (gain != 0 && gain != 1)
                return failWith(kErrRegister);
            return gain;
        }
        case kFilterExposureTime: {
            uint16_t lines = 0;
            if (!device->GetExposureLines(lines))
                return failWith(kErrRegister);
            return lines;
        }
        case kFilterPeltier:
            // Not supported: -1, and the success flag stays as it was set.
            PostError(kErrNotSupported);
            return -1;
        case kFilterTemperature:
            failWith(kErrNotSupported);
            return -1;
        case kFilterDotFilter:
            return dotFilter;
        case kFilterMaskFilter:
            return maskFilter;
        default:
            return failWith(kErrArgument);
    }
}

}  // namespace quelix
