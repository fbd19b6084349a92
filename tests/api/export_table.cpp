// SPDX-License-Identifier: MIT
#include "export_table.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>

#include "QuelixSdk_205KWMX.h"

namespace quelix::test {

namespace {

constexpr int32_t kScratchSize = 4096;

}  // namespace

void ExportScratch::Fill()
{
    std::fill(std::begin(bytes), std::end(bytes), kPattern);
}

bool ExportScratch::Untouched() const
{
    return std::all_of(std::begin(bytes), std::end(bytes), [](uint8_t byte) { return byte == kPattern; });
}

const std::vector<ExportEntry>& ExportTable()
{
#define ENTRY(name, failure, takesHandle, arguments)                                        \
    ExportEntry                                                                             \
    {                                                                                       \
#name, [](int32_t h, ExportScratch& s) -> double {                                        \
            (void)h;                                                                             \
            (void)s;                                                                             \
            return static_cast<double>(name arguments);                                          \
        },                                                                                       \
            failure, takesHandle \
    }
    static const std::vector<ExportEntry> table = {
        ENTRY(Quelix_CallBackPreview, 0, true, (h, nullptr, s.bytes, kScratchSize, 0)),
        ENTRY(Quelix_Capture, 0, true, (h)),
        ENTRY(Quelix_Close, 0, true, (h)),
        ENTRY(Quelix_EnumDevice, 0, true, (h, s.Text())),
        ENTRY(Quelix_EnumDeviceW, 0, true, (h, s.Wide())),
        ENTRY(Quelix_Fpga_ReadRegister, 0, true, (h, 0, s.Int(0))),
        ENTRY(Quelix_Fpga_WriteRegister, 0, true, (h, 0, 0)),
        ENTRY(Quelix_Fps, 0, true, (h, 1, 2)),
        ENTRY(Quelix_GetAutoIris, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetBayerGainAuto, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetBayerGainBlue, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetBayerGainGreen, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetBayerGainRGB, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetBayerGainRed, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetBayerMode, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetBrightness, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetCameraInfo, 0, true, (h, s.Info())),
        ENTRY(Quelix_GetCaptureWindowEx, 0, true,
              (h, s.Int(0), s.Int(1), s.Int(2), s.Int(3), s.Int(4), s.Int(5))),
        ENTRY(Quelix_GetChannelGain, 0, true, (h, 1, 2)),
        ENTRY(Quelix_GetChannelOffset, 0, true, (h, 1, 2)),
        ENTRY(Quelix_GetColorGainBlue, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetColorGainGreen1, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetColorGainGreen2, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetColorGainRed, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetColorMode, -1, true, (h)),
        ENTRY(Quelix_GetConfigFilter, 0, true, (h, 1, 2)),
        ENTRY(Quelix_GetContrast, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetDeviceName, 0, true, (h, 0, s.Text(), 256)),
        ENTRY(Quelix_GetDeviceNameW, 0, true, (h, 0, s.Wide(), 256)),
        ENTRY(Quelix_GetDllVersion, 0, false, ()),
        ENTRY(Quelix_GetDotFilter, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetExposureTime, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetExposureTimeEx, 0, true, (h)),
        ENTRY(Quelix_GetFilterValue, 0, true, (h, 0, s.Int(0))),
        ENTRY(Quelix_GetGamma, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetGlobalGain, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetGrayGainB, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetGrayGainG1, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetGrayGainG2, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetGrayGainR, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetGrayMode, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetGrayOffsetB, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetGrayOffsetG1, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetGrayOffsetG2, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetGrayOffsetR, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetHalfClock, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetHue, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetIOPort, 0, true, (h, s.bytes)),
        ENTRY(Quelix_GetImage, 0, true, (h, s.bytes, kScratchSize, 0)),
        ENTRY(Quelix_GetInternalCorrection, 0, true, (h, 1, 2)),
        ENTRY(Quelix_GetLastError, 0, true, (h)),
        ENTRY(Quelix_GetMaskFilter, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetMirrorH, 0, true, (h)),
        ENTRY(Quelix_GetMirrorV, 0, true, (h)),
        ENTRY(Quelix_GetPeltier, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetRealExposureTime, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetSamplingRate, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetSaturation, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetSharpness, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetStatus, 0, true, (h)),
        ENTRY(Quelix_GetSubSample, -1, true, (h)),
        ENTRY(Quelix_GetTemperature, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetTemperatureEx, 0, true, (h)),
        ENTRY(Quelix_GetVideoFormat, 0, true, (h, s.Int(0))),
        ENTRY(Quelix_GetWaitTime, -1, true, (h)),
        ENTRY(Quelix_Height, 0, true, (h)),
        ENTRY(Quelix_Initialize, 0, false, (nullptr)),
        ENTRY(Quelix_LoadConfigFileA, 0, true, (h, 1, 2)),
        ENTRY(Quelix_LoadConfigFileW, 0, true, (h, 1, 2)),
        ENTRY(Quelix_LoadMaskFile, 0, true, (h, s.Text())),
        ENTRY(Quelix_LoadMaskFileW, 0, true, (h, s.Wide())),
        ENTRY(Quelix_Preview, 0, true, (h)),
        ENTRY(Quelix_ReadRegister, 0, true, (h, 0, s.Int(0))),
        ENTRY(Quelix_ReadRegisterEx, 0, true, (h, 1, 2)),
        ENTRY(Quelix_ReadSromID, 0, true, (h, 0, s.Int(0))),
        ENTRY(Quelix_ReceiveText, 0, true, (h, 1, 2)),
        ENTRY(Quelix_Record, 0, true, (h, s.Text(), 0, 0)),
        ENTRY(Quelix_RecordW, 0, true, (h, s.Wide(), 0, 0)),
        ENTRY(Quelix_Release, 0, true, (h)),
        ENTRY(Quelix_SaveImage, 0, true, (h, s.Text(), 0)),
        ENTRY(Quelix_SaveImageW, 0, true, (h, s.Wide(), 0)),
        ENTRY(Quelix_SaveMaskFile, 0, true, (h, s.Text())),
        ENTRY(Quelix_SaveMaskFileW, 0, true, (h, s.Wide())),
        ENTRY(Quelix_SendText, 0, true, (h, 1, 2)),
        ENTRY(Quelix_SetAnalogDlg, 0, true, (h, nullptr)),
        ENTRY(Quelix_SetAutoIris, 0, true, (h, 0)),
        ENTRY(Quelix_SetBayerGainAuto, 0, true, (h, 0)),
        ENTRY(Quelix_SetBayerGainBlue, 0, true, (h, 0)),
        ENTRY(Quelix_SetBayerGainGreen, 0, true, (h, 0)),
        ENTRY(Quelix_SetBayerGainRGB, 0, true, (h, 0)),
        ENTRY(Quelix_SetBayerGainRed, 0, true, (h, 0)),
        ENTRY(Quelix_SetBayerMode, 0, true, (h, 0)),
        ENTRY(Quelix_SetBrightness, 0, true, (h, 0)),
        ENTRY(Quelix_SetCameraDlg, 0, true, (h, nullptr)),
        ENTRY(Quelix_SetCaptureWindow, 0, true, (h, 0, 0)),
        ENTRY(Quelix_SetCaptureWindowEx, 0, true, (h, 0, 0, 0, 0, 0, 0)),
        ENTRY(Quelix_SetChannelGain, 0, true, (h, 1, 2)),
        ENTRY(Quelix_SetChannelOffset, 0, true, (h, 1, 2)),
        ENTRY(Quelix_SetColorGainBlue, 0, true, (h, 0)),
        ENTRY(Quelix_SetColorGainGreen1, 0, true, (h, 0)),
        ENTRY(Quelix_SetColorGainGreen2, 0, true, (h, 0)),
        ENTRY(Quelix_SetColorGainRed, 0, true, (h, 0)),
        ENTRY(Quelix_SetColorMode, 0, true, (h, 0)),
        ENTRY(Quelix_SetConfigFilter, 0, true, (h, 1, 2)),
        ENTRY(Quelix_SetContrast, 0, true, (h, 0)),
        ENTRY(Quelix_SetCrossbar, 0, true, (h, 1, 2)),
        ENTRY(Quelix_SetDeviceNumber, 0, true, (h, 0)),
        ENTRY(Quelix_SetDotFilter, 0, true, (h, 0)),
        ENTRY(Quelix_SetExposureTime, 0, true, (h, 0)),
        ENTRY(Quelix_SetExposureTimeEx, 0, true, (h, 1, 2)),
        ENTRY(Quelix_SetFilterValue, 0, true, (h, 0, 0)),
        ENTRY(Quelix_SetGamma, 0, true, (h, 0)),
        ENTRY(Quelix_SetGlobalGain, 0, true, (h, 0)),
        ENTRY(Quelix_SetGrayGainB, 0, true, (h, 0)),
        ENTRY(Quelix_SetGrayGainG1, 0, true, (h, 0)),
        ENTRY(Quelix_SetGrayGainG2, 0, true, (h, 0)),
        ENTRY(Quelix_SetGrayGainR, 0, true, (h, 0)),
        ENTRY(Quelix_SetGrayMode, 0, true, (h, 0)),
        ENTRY(Quelix_SetGrayOffsetB, 0, true, (h, 0)),
        ENTRY(Quelix_SetGrayOffsetG1, 0, true, (h, 0)),
        ENTRY(Quelix_SetGrayOffsetG2, 0, true, (h, 0)),
        ENTRY(Quelix_SetGrayOffsetR, 0, true, (h, 0)),
        ENTRY(Quelix_SetHalfClock, 0, true, (h, 0)),
        ENTRY(Quelix_SetHue, 0, true, (h, 0)),
        ENTRY(Quelix_SetIOPort, 0, true, (h, 0)),
        ENTRY(Quelix_SetImageDlg, 0, true, (h, nullptr)),
        ENTRY(Quelix_SetInternalCorrection, 0, true, (h, 1, 2)),
        ENTRY(Quelix_SetMaskFilter, 0, true, (h, 0)),
        ENTRY(Quelix_SetMirrorH, 0, true, (h, 0)),
        ENTRY(Quelix_SetMirrorV, 0, true, (h, 0)),
        ENTRY(Quelix_SetPeltier, 0, true, (h, 0)),
        ENTRY(Quelix_SetPreviewWindow, 0, true, (h, nullptr, 0, 0, 0, 0)),
        ENTRY(Quelix_SetRealExposureTime, 0, true, (h, 0)),
        ENTRY(Quelix_SetSamplingRate, 0, true, (h, 1, 2)),
        ENTRY(Quelix_SetSaturation, 0, true, (h, 0)),
        ENTRY(Quelix_SetSharpness, 0, true, (h, 0)),
        ENTRY(Quelix_SetSubSample, 0, true, (h, 0)),
        ENTRY(Quelix_SetWaitTime, 0, true, (h, 0)),
        ENTRY(Quelix_SnapShot, 0, true, (h, s.bytes, kScratchSize, 0)),
        ENTRY(Quelix_StartPreview, 0, true, (h)),
        ENTRY(Quelix_StopPreview, 0, true, (h)),
        ENTRY(Quelix_Trigger, 0, true, (h, nullptr, s.bytes, kScratchSize, 0)),
        ENTRY(Quelix_UpdateMaskData, 0, true, (h, 0)),
        ENTRY(Quelix_Width, 0, true, (h)),
        ENTRY(Quelix_WriteRegister, 0, true, (h, 0, 0)),
        ENTRY(Quelix_WriteRegisterEx, 0, true, (h, 1, 2)),
        ENTRY(Quelix_WriteSromID, 0, true, (h, 0, 0)),
    };
#undef ENTRY
    return table;
}

void PrintTo(const ExportEntry& entry, std::ostream* out)
{
    *out << entry.name;
}

std::vector<std::string> HeaderExportNames(const std::string& headerPath)
{
    std::ifstream file(headerPath);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::regex declaration(R"(QUELIX_API\s+\w+\s+(Quelix_\w+)\s*\()");
    std::vector<std::string> names;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), declaration);
         match != std::sregex_iterator(); ++match)
        names.push_back((*match)[1].str());
    return names;
}

}  // namespace quelix::test
