// SPDX-License-Identifier: MIT
// The parameter ids of Quelix_SetFilterValue and Quelix_GetFilterValue, as
// the public header names them.
#pragma once

#include "QuelixSdk_205KWMX.h"

namespace quelix {

enum FilterId : int {
    kFilterBrightness = QUELIX_FILTER_BRIGHTNESS,
    kFilterContrast = QUELIX_FILTER_CONTRAST,
    kFilterHue = QUELIX_FILTER_HUE,
    kFilterSaturation = QUELIX_FILTER_SATURATION,
    kFilterSharpness = QUELIX_FILTER_SHARPNESS,
    kFilterBayerGainRGB = QUELIX_FILTER_BAYER_GAIN_RGB,
    kFilterBayerGainRed = QUELIX_FILTER_BAYER_GAIN_RED,
    kFilterBayerGainGreen = QUELIX_FILTER_BAYER_GAIN_GREEN,
    kFilterBayerGainBlue = QUELIX_FILTER_BAYER_GAIN_BLUE,
    kFilterBayerGainAuto = QUELIX_FILTER_BAYER_GAIN_AUTO,
    kFilterGamma = QUELIX_FILTER_GAMMA,
    kFilterBayerMode = QUELIX_FILTER_BAYER_MODE,
    kFilterGlobalGain = QUELIX_FILTER_GLOBAL_GAIN,
    kFilterColorGainRed = QUELIX_FILTER_COLOR_GAIN_RED,
    kFilterColorGainGreen1 = QUELIX_FILTER_COLOR_GAIN_GREEN1,
    kFilterColorGainGreen2 = QUELIX_FILTER_COLOR_GAIN_GREEN2,
    kFilterColorGainBlue = QUELIX_FILTER_COLOR_GAIN_BLUE,
    kFilterExposureTime = QUELIX_FILTER_EXPOSURE_TIME,
    kFilterGrayMode = QUELIX_FILTER_GRAY_MODE,
    kFilterGrayGainR = QUELIX_FILTER_GRAY_GAIN_R,
    kFilterGrayGainG1 = QUELIX_FILTER_GRAY_GAIN_G1,
    kFilterGrayGainG2 = QUELIX_FILTER_GRAY_GAIN_G2,
    kFilterGrayGainB = QUELIX_FILTER_GRAY_GAIN_B,
    kFilterGrayOffsetR = QUELIX_FILTER_GRAY_OFFSET_R,
    kFilterGrayOffsetG1 = QUELIX_FILTER_GRAY_OFFSET_G1,
    kFilterGrayOffsetG2 = QUELIX_FILTER_GRAY_OFFSET_G2,
    kFilterGrayOffsetB = QUELIX_FILTER_GRAY_OFFSET_B,
    kFilterPeltier = QUELIX_FILTER_PELTIER,
    kFilterTemperature = QUELIX_FILTER_TEMPERATURE,
    kFilterDotFilter = QUELIX_FILTER_DOT_FILTER,
    kFilterMaskFilter = QUELIX_FILTER_MASK_FILTER,
};

}  // namespace quelix
