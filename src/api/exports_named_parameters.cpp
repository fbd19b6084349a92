// SPDX-License-Identifier: MIT
// The named parameter exports: each only forwards to Quelix_GetFilterValue
// or Quelix_SetFilterValue with its id.
#include "QuelixSdk_205KWMX.h"
#include "camera/filter_ids.h"

using namespace quelix;

#define QUELIX_FILTER_GETTER(name, id)                    \
    int32_t Quelix_Get##name(int32_t handle, int32_t* ok) \
    {                                                     \
        return Quelix_GetFilterValue(handle, id, ok);     \
    }
#define QUELIX_FILTER_SETTER(name, id)                      \
    int32_t Quelix_Set##name(int32_t handle, int32_t value) \
    {                                                       \
        return Quelix_SetFilterValue(handle, id, value);    \
    }
#define QUELIX_FILTER_VALUE(name, id) QUELIX_FILTER_GETTER(name, id) QUELIX_FILTER_SETTER(name, id)

extern "C" {

QUELIX_FILTER_VALUE(Brightness, kFilterBrightness)
QUELIX_FILTER_VALUE(Contrast, kFilterContrast)
QUELIX_FILTER_VALUE(Hue, kFilterHue)
QUELIX_FILTER_VALUE(Saturation, kFilterSaturation)
QUELIX_FILTER_VALUE(Sharpness, kFilterSharpness)
QUELIX_FILTER_VALUE(BayerGainRGB, kFilterBayerGainRGB)
QUELIX_FILTER_VALUE(BayerGainRed, kFilterBayerGainRed)
QUELIX_FILTER_VALUE(BayerGainGreen, kFilterBayerGainGreen)
QUELIX_FILTER_VALUE(BayerGainBlue, kFilterBayerGainBlue)
QUELIX_FILTER_VALUE(BayerGainAuto, kFilterBayerGainAuto)
QUELIX_FILTER_VALUE(Gamma, kFilterGamma)
QUELIX_FILTER_VALUE(BayerMode, kFilterBayerMode)
QUELIX_FILTER_VALUE(GlobalGain, kFilterGlobalGain)
QUELIX_FILTER_VALUE(ColorGainRed, kFilterColorGainRed)
QUELIX_FILTER_VALUE(ColorGainGreen1, kFilterColorGainGreen1)
QUELIX_FILTER_VALUE(ColorGainGreen2, kFilterColorGainGreen2)
QUELIX_FILTER_VALUE(ColorGainBlue, kFilterColorGainBlue)
QUELIX_FILTER_VALUE(ExposureTime, kFilterExposureTime)
QUELIX_FILTER_VALUE(GrayMode, kFilterGrayMode)
QUELIX_FILTER_VALUE(GrayGainR, kFilterGrayGainR)
QUELIX_FILTER_VALUE(GrayGainG1, kFilterGrayGainG1)
QUELIX_FILTER_VALUE(GrayGainG2, kFilterGrayGainG2)
QUELIX_FILTER_VALUE(GrayGainB, kFilterGrayGainB)
QUELIX_FILTER_VALUE(GrayOffsetR, kFilterGrayOffsetR)
QUELIX_FILTER_VALUE(GrayOffsetG1, kFilterGrayOffsetG1)
QUELIX_FILTER_VALUE(GrayOffsetG2, kFilterGrayOffsetG2)
QUELIX_FILTER_VALUE(GrayOffsetB, kFilterGrayOffsetB)
QUELIX_FILTER_VALUE(Peltier, kFilterPeltier)
QUELIX_FILTER_VALUE(DotFilter, kFilterDotFilter)
QUELIX_FILTER_VALUE(MaskFilter, kFilterMaskFilter)
QUELIX_FILTER_GETTER(Temperature, kFilterTemperature)

}  // extern "C"
