// SPDX-License-Identifier: MIT
// The parameter ids of Quelix_SetFilterValue and Quelix_GetFilterValue.
#pragma once

namespace quelix {

enum FilterId : int {
    kFilterBrightness = 1,
    kFilterContrast = 2,
    kFilterHue = 3,
    kFilterSaturation = 4,
    kFilterSharpness = 5,
    kFilterBayerGainRGB = 6,
    kFilterBayerGainRed = 7,
    kFilterBayerGainGreen = 8,
    kFilterBayerGainBlue = 9,
    kFilterBayerGainAuto = 10,
    kFilterGamma = 11,
    kFilterBayerMode = 12,
    kFilterGlobalGain = 13,
    kFilterColorGainRed = 14,
    kFilterColorGainGreen1 = 15,
    kFilterColorGainGreen2 = 16,
    kFilterColorGainBlue = 17,
    kFilterExposureTime = 18,
    kFilterGrayMode = 19,
    kFilterGrayGainR = 20,
    kFilterGrayGainG1 = 21,
    kFilterGrayGainG2 = 22,
    kFilterGrayGainB = 23,
    kFilterGrayOffsetR = 24,
    kFilterGrayOffsetG1 = 25,
    kFilterGrayOffsetG2 = 26,
    kFilterGrayOffsetB = 27,
    kFilterPeltier = 100,
    kFilterTemperature = 101,
    kFilterDotFilter = 102,
    kFilterMaskFilter = 103,
};

}  // namespace quelix
