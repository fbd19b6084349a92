// SPDX-License-Identifier: MIT
// The registry stores of the camera block and of the image-filter and
// gray-filter values: loaded at initialisation, saved at release and when the
// camera changes its device number.
#include <optional>

#include "camera/camera_object.h"
#include "device/quelix_205kwmx_sdk.h"
#include "dialogs/registry_layout.h"
#include "platform/registry/registry.h"

namespace quelix {

namespace {

using platform::RegistryKey;

// A stored value outside the range its setter accepts (a damaged or
// hand-edited settings file) takes the default instead.
struct NamedSlot {
    const char* name;
    FilterSlot slot;
    int32_t defaultValue;
    int32_t lowest;
    int32_t highest;

    int32_t Accept(uint32_t stored) const
    {
        const auto value = static_cast<int32_t>(stored);
        return value >= lowest && value <= highest ? value : defaultValue;
    }
};

constexpr NamedSlot kFilterValues[] = {
    {"Brightness", FilterSlot::brightness, 0, -255, 255},
    {"Contrast", FilterSlot::contrast, 0, -127, 127},
    {"Hue", FilterSlot::hue, 0, -360, 360},
    {"Saturation", FilterSlot::saturation, 0, -255, 255},
    {"Sharpness", FilterSlot::sharpness, 0, 0, 30},
    {"R_Gain", FilterSlot::bayerGainRed, 100, 0, 400},
    {"G_Gain", FilterSlot::bayerGainGreen, 100, 0, 400},
    {"B_Gain", FilterSlot::bayerGainBlue, 100, 0, 400},
    {"Gamma", FilterSlot::gamma, 100, 0, 200},
    {"BayerMode", FilterSlot::bayerMode, 3, 0, 3},
};

constexpr NamedSlot kGrayValues[] = {
    {"Mode", FilterSlot::grayMode, 0, 0, 2},
    {"GainR1", FilterSlot::grayGainR, 128, 0, 255},
    {"GainG1", FilterSlot::grayGainG1, 128, 0, 255},
    {"GainG2", FilterSlot::grayGainG2, 128, 0, 255},
    {"GainB1", FilterSlot::grayGainB, 128, 0, 255},
    {"OffsetR1", FilterSlot::grayOffsetR, 0, -255, 255},
    {"OffsetG1", FilterSlot::grayOffsetG1, 0, -255, 255},
    {"OffsetG2", FilterSlot::grayOffsetG2, 0, -255, 255},
    {"OffsetB1", FilterSlot::grayOffsetB, 0, -255, 255},
};

// Slots 20 to 28 (the automatic-balance words among them) start at zero when
// no stored filter settings exist.
constexpr size_t kFirstClearedSlot = 20;
constexpr size_t kLastClearedSlot = 28;

std::string CameraKeyPath(int number)
{
    return std::string(kSdkRegistryKey) + "\\" + NumberedKey("Camera", number);
}

std::optional<RegistryKey> OpenCameraSubKey(int number, const std::string& subKey)
{
    return RegistryKey::Open(CameraKeyPath(number) + "\\" + subKey);
}

std::optional<RegistryKey> CreateCameraSubKey(int number, const std::string& subKey)
{
    return RegistryKey::Create(CameraKeyPath(number) + "\\" + subKey);
}

template <size_t N>
bool LoadSlots(ImageFilterSettings& filter, int number, const char* subKey, const NamedSlot (&values)[N])
{
    const auto key = OpenCameraSubKey(number, subKey);
    if (!key)
        return false;
    for (const NamedSlot& value : values) {
        if (const auto stored = key->ReadDword(value.name))
            filter.Set(value.slot, value.Accept(*stored));
    }
    return true;
}

template <size_t N>
void SetDefaults(ImageFilterSettings& filter, const NamedSlot (&values)[N])
{
    for (const NamedSlot& value : values)
        filter.Set(value.slot, value.defaultValue);
}

template <size_t N>
int SaveSlots(const ImageFilterSettings& filter, int number, const char* subKey, const NamedSlot (&values)[N])
{
    const auto key = CreateCameraSubKey(number, subKey);
    if (!key)
        return 0;
    std::array<platform::RegistryValue, N> pairs{};
    for (size_t i = 0; i < N; ++i)
        pairs[i] = {values[i].name, static_cast<uint32_t>(filter.Get(values[i].slot))};
    return key->WriteDwords(pairs) ? 1 : 0;
}

}  // namespace

int CQuelix::LoadSettings()
{
    if (device == nullptr)
        return 0;
    const int number = device->GetDeviceNumber();
    const struct {
        const char* name;
        CameraSlot slot;
        int32_t defaultValue;
        int32_t lowest;
        int32_t highest;
    } values[] = {
        {"Exposure", CameraSlot::exposureTime, CQLXSdkLib::DefaultExposure(), 1,
         CQLXSdkLib::MaxExposureLines()},
        {"V_Mirror", CameraSlot::mirrorV, device->GetMirrorV(), INT32_MIN, INT32_MAX},
        {"H_Mirror", CameraSlot::mirrorH, device->GetMirrorH(), INT32_MIN, INT32_MAX},
        {"AutoIris", CameraSlot::autoIris, 0, 0, 2},
        {"Peltier", CameraSlot::peltier, 80, 0, 255},
    };
    // A value missing from the stored key takes its default, like a missing
    // key; so does a value outside the range its setter accepts. A mirror
    // flag is on for any value but 0, as its setter has it.
    const auto key = OpenCameraSubKey(number, NumberedKey("Gain", number));
    for (const auto& value : values) {
        const auto stored = key ? key->ReadDword(value.name) : std::nullopt;
        int32_t accepted = value.defaultValue;
        if (stored && static_cast<int32_t>(*stored) >= value.lowest &&
            static_cast<int32_t>(*stored) <= value.highest)
            accepted = static_cast<int32_t>(*stored);
        if (value.slot == CameraSlot::mirrorV || value.slot == CameraSlot::mirrorH)
            accepted = accepted != 0 ? 1 : 0;
        camera.Set(value.slot, accepted);
    }
    return 1;
}

int CQuelix::SaveSettings()
{
    if (device == nullptr)
        return 0;
    const int number = device->GetDeviceNumber();
    const auto key = CreateCameraSubKey(number, NumberedKey("Gain", number));
    if (!key)
        return 0;
    const auto word = [this](CameraSlot slot) { return static_cast<uint32_t>(camera.Get(slot)); };
    return key->WriteDwords({{"Exposure", word(CameraSlot::exposureTime)},
                             {"V_Mirror", word(CameraSlot::mirrorV)},
                             {"H_Mirror", word(CameraSlot::mirrorH)},
                             {"AutoIris", word(CameraSlot::autoIris)},
                             {"Peltier", word(CameraSlot::peltier)}})
               ? 1
               : 0;
}

int CQuelix::LoadFilterSettings(int cameraIndex)
{
    if (!LoadSlots(filter, cameraIndex, "Filter", kFilterValues)) {
        SetDefaults(filter, kFilterValues);
        for (size_t slot = kFirstClearedSlot; slot <= kLastClearedSlot; ++slot)
            filter.SetWord(slot, 0);
    }
    return 1;
}

int CQuelix::SaveFilterSettings(int cameraIndex)
{
    return SaveSlots(filter, cameraIndex, "Filter", kFilterValues);
}

int CQuelix::LoadGraySettings(int cameraIndex)
{
    if (!LoadSlots(filter, cameraIndex, "Gray", kGrayValues))
        SetDefaults(filter, kGrayValues);
    return 1;
}

int CQuelix::SaveGraySettings(int cameraIndex)
{
    return SaveSlots(filter, cameraIndex, "Gray", kGrayValues);
}

}  // namespace quelix
