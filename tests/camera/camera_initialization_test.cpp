// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "camera/camera_object.h"
#include "platform/registry/registry.h"
#include "test_environment.h"

namespace quelix {
namespace {

using platform::RegistryKey;

const std::string kBase = "Software\\Korvex\\Quelix205KWMXSdk";

class CameraInitialization : public testing::Test {
protected:
    void Store(const std::string& key, std::initializer_list<platform::RegistryValue> values)
    {
        auto opened = RegistryKey::Create(kBase + "\\" + key);
        ASSERT_TRUE(opened.has_value());
        ASSERT_TRUE(opened->WriteDwords(values));
    }
    std::optional<uint32_t> Stored(const std::string& key, const char* name)
    {
        auto opened = RegistryKey::Open(kBase + "\\" + key);
        return opened ? opened->ReadDword(name) : std::nullopt;
    }

    test::ScopedTestEnvironment environment;
};

TEST_F(CameraInitialization, AFirstRunWritesTheDefaultsAndUsesThem)
{
    {
        CQuelix camera;
        ASSERT_EQ(camera.Initialize(nullptr), 1);
        EXPECT_EQ(camera.colorMode, 2);
        EXPECT_EQ(camera.waitTime, 1);
        EXPECT_EQ(camera.width, 320);
        EXPECT_EQ(camera.height, 256);
        EXPECT_EQ(camera.offsetX, 0);
        EXPECT_EQ(camera.offsetY, 0);
        EXPECT_EQ(camera.previewRect.right, 320);
        EXPECT_EQ(camera.filter.Get(FilterSlot::gamma), 100);
        EXPECT_EQ(camera.filter.Get(FilterSlot::bayerMode), 3);
        EXPECT_EQ(camera.filter.Get(FilterSlot::grayGainB), 128);
        EXPECT_EQ(camera.camera.Get(CameraSlot::exposureTime), 100);
        EXPECT_EQ(camera.camera.Get(CameraSlot::peltier), 80);
        ASSERT_NE(camera.Image(ImageRole::brightRef16), nullptr);
        EXPECT_EQ(reinterpret_cast<uint16_t*>(camera.Image(ImageRole::brightRef16)->pBits)[81919], 0x3FFF);
        EXPECT_EQ(camera.Image(ImageRole::brightRef8)->pBits[0], 0xFF);
        EXPECT_EQ(camera.Image(ImageRole::darkRef8)->pBits[0], 0);
        EXPECT_EQ(camera.Image(ImageRole::rawFrame)->width, 0)
            << "the other images get their pixels when capture needs them";
        EXPECT_EQ(camera.GetLastError(), 0);
    }
    const std::string text = test::ReadTextFile(environment.RegistryPath());
    const std::string sizeKey =
        "[HKEY_CURRENT_USER\\Software\\Korvex\\Quelix205KWMXSdk\\Camera_00\\Size_00]\n"
        "\"TH\"=dword:00000140\n\"TV\"=dword:00000100\n\"EH\"=dword:00000140\n"
        "\"EV\"=dword:00000100\n\"EHS\"=dword:00000000\n\"EVS\"=dword:00000000\n"
        "\"Buf\"=dword:00000004\n";
    EXPECT_NE(text.find(sizeKey), std::string::npos) << text;
    const std::string cameraKey =
        "[HKEY_CURRENT_USER\\Software\\Korvex\\Quelix205KWMXSdk\\Camera_00]\n"
        "\"Size\"=dword:00000000\n\"Color\"=dword:00000002\n"
        "\"SubSample\"=dword:00000000\n\"WaitTime\"=dword:00000001\n"
        "\"Clock\"=dword:00000000\n";
    EXPECT_NE(text.find(cameraKey), std::string::npos) << text;
    // The release saved the three stores.
    EXPECT_EQ(Stored("Camera_00\\Gain_00", "Exposure"), 100u);
    EXPECT_EQ(Stored("Camera_00\\Filter", "Gamma"), 100u);
    EXPECT_EQ(Stored("Camera_00\\Gray", "GainR1"), 128u);
}

TEST_F(CameraInitialization, AStoredWindowOffTheSensorIsResetWithCodeSeven)
{
    Store("Camera_00", {{"Size", 1}, {"Color", 0}});
    Store("Camera_00\\Size_01",
          {{"TH", 400}, {"EH", 200}, {"EV", 100}, {"EHS", 150}, {"EVS", 0}, {"Buf", 2}});
    CQuelix camera;
    ASSERT_EQ(camera.Initialize(nullptr), 1);
    EXPECT_EQ(camera.GetLastError(), kErrWindowInvalid);
    EXPECT_EQ(camera.width, 320);
    EXPECT_EQ(camera.offsetX, 0);
    EXPECT_EQ(camera.totalWidth, 320);
    EXPECT_EQ(camera.bufferCount, 2) << "kept";
    EXPECT_EQ(camera.colorMode, 0);
}

TEST_F(CameraInitialization, AStoredWindowAndSubsampleAreUsedAsTheyAre)
{
    Store("Camera_00", {{"Size", 0}, {"SubSample", 1}, {"WaitTime", 25}});
    Store("Camera_00\\Size_00", {{"EH", 160}, {"EV", 128}, {"EHS", 16}, {"EVS", 8}});
    CQuelix camera;
    ASSERT_EQ(camera.Initialize(nullptr), 1);
    EXPECT_EQ(camera.GetLastError(), 0) << "the stream values are read after the window check";
    EXPECT_EQ(camera.subSample, 1);
    EXPECT_EQ(camera.ValidateCaptureWindow(), 0) << "the next check refuses subsample 1";
    EXPECT_EQ(camera.width, 160);
    EXPECT_EQ(camera.offsetY, 8);
    EXPECT_EQ(camera.waitTime, 25);
    EXPECT_EQ(camera.previewRect.bottom, 128);
}

TEST_F(CameraInitialization, TheCameraBlockLivesUnderTheDeviceNumberTheFilterBlocksUnderZero)
{
    Store("Camera_03\\Gain_03", {{"Exposure", 345}, {"V_Mirror", 1}, {"H_Mirror", 1}, {"AutoIris", 2}});
    auto camera = std::make_unique<CQuelix>();
    ASSERT_EQ(camera->Initialize(nullptr), 1);
    ASSERT_EQ(camera->device->SetDeviceNumber(3), DeviceStatus::Ok);
    ASSERT_EQ(camera->LoadSettings(), 1);
    EXPECT_EQ(camera->camera.Get(CameraSlot::exposureTime), 345);
    EXPECT_EQ(camera->camera.Get(CameraSlot::autoIris), 2);
    EXPECT_EQ(camera->camera.Get(CameraSlot::peltier), 80) << "a missing value takes its default";
    camera->camera.Set(CameraSlot::exposureTime, 777);
    camera->filter.Set(FilterSlot::brightness, -20);
    camera->filter.Set(FilterSlot::grayOffsetB, 9);
    camera.reset();  // released: the camera block under its device, the filter blocks under 0
    EXPECT_EQ(Stored("Camera_03\\Gain_03", "Exposure"), 777u);
    EXPECT_EQ(Stored("Camera_00\\Filter", "Brightness"), static_cast<uint32_t>(-20));
    EXPECT_EQ(Stored("Camera_00\\Gray", "OffsetB1"), 9u);
    EXPECT_FALSE(Stored("Camera_03\\Filter", "Brightness").has_value());
}

TEST_F(CameraInitialization, AMissingCameraValueTakesItsDefaultNotThePreviousValue)
{
    Store("Camera_00\\Gain_00", {{"Exposure", 250}, {"H_Mirror", 1}});
    CQuelix camera;
    ASSERT_EQ(camera.Initialize(nullptr), 1);
    EXPECT_EQ(camera.camera.Get(CameraSlot::exposureTime), 250);
    EXPECT_EQ(camera.camera.Get(CameraSlot::mirrorV), 0) << "not 250";
    EXPECT_EQ(camera.camera.Get(CameraSlot::mirrorH), 1);
    EXPECT_EQ(camera.camera.Get(CameraSlot::autoIris), 0);
}

TEST_F(CameraInitialization, StoredFilterValuesAreReadAndPartialKeysKeepTheRest)
{
    Store("Camera_00\\Filter", {{"Brightness", static_cast<uint32_t>(-7)}, {"Gamma", 150}});
    CQuelix camera;
    ASSERT_EQ(camera.Initialize(nullptr), 1);
    EXPECT_EQ(camera.filter.Get(FilterSlot::brightness), -7);
    EXPECT_EQ(camera.filter.Get(FilterSlot::gamma), 150);
    EXPECT_EQ(camera.filter.Get(FilterSlot::bayerGainRed), 0) << "a missing value leaves the field alone";
    EXPECT_EQ(camera.filter.Get(FilterSlot::grayGainR), 128) << "no Gray key: defaults";
}

TEST_F(CameraInitialization, ACameraWithoutSharedTableFailsWithCodeFiveAndReleasesCleanly)
{
    Store("Camera_00\\Filter", {{"Gamma", 150}});
    setenv("QUELIX_SHM_NAME", "not/a/valid/name", 1);
    QUELIX_HWND window = QuelixPlatform_CreateMessageWindow();
    const int32_t handle = Quelix_Initialize(window);
    ASSERT_NE(handle, 0) << "a live handle all the same";
    EXPECT_EQ(Quelix_GetLastError(handle), kErrObjects);
    QUELIX_MSG msg{};
    EXPECT_EQ(QuelixPlatform_PeekMessage(window, &msg), 0) << "no window was stored yet";
    EXPECT_EQ(Quelix_Release(handle), 1);
    EXPECT_EQ(Stored("Camera_00\\Filter", "Gamma"), 150u) << "stored settings are not overwritten";
    EXPECT_FALSE(Stored("Camera_00\\Gain_00", "Exposure").has_value());
    QuelixPlatform_DestroyWindow(window);
}

}  // namespace
}  // namespace quelix
