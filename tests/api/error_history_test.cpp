// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "api/export_call.h"
#include "camera/camera_object.h"

namespace quelix {
namespace {

// Runs PostError on the camera behind a handle, as a failing operation does.
void RecordFailure(int32_t handle, int32_t code)
{
    CallCamera(handle, 0, [code](CQuelix& camera) {
        camera.PostError(code);
        return 0;
    });
}

class ErrorHistory : public testing::Test {
protected:
    void SetUp() override
    {
        window = QuelixPlatform_CreateMessageWindow();
        ASSERT_NE(window, nullptr);
        camera = Quelix_Initialize(window);
        ASSERT_NE(camera, 0);
    }
    void TearDown() override
    {
        Quelix_Release(camera);
        QuelixPlatform_DestroyWindow(window);
    }

    QUELIX_HWND window = nullptr;
    int32_t camera = 0;
};

TEST_F(ErrorHistory, GivesCodesNewestFirstThenZero)
{
    for (int32_t code : {5, 7, 9})
        RecordFailure(camera, code);
    EXPECT_EQ(Quelix_GetLastError(camera), 9);
    EXPECT_EQ(Quelix_GetLastError(camera), 7);
    EXPECT_EQ(Quelix_GetLastError(camera), 5);
    EXPECT_EQ(Quelix_GetLastError(camera), 0);
}

TEST_F(ErrorHistory, KeepsTheTwentyNewestOfTwentyOne)
{
    for (int32_t code = 1; code <= 21; ++code)
        RecordFailure(camera, code);
    for (int32_t expected = 21; expected >= 2; --expected)
        EXPECT_EQ(Quelix_GetLastError(camera), expected);
    EXPECT_EQ(Quelix_GetLastError(camera), 0) << "code 1 was pushed out";
}

TEST_F(ErrorHistory, EveryRecordedCodeReachesTheErrorWindow)
{
    RecordFailure(camera, 6);
    QUELIX_MSG msg{};
    ASSERT_EQ(QuelixPlatform_GetMessage(window, &msg, 1000), 1);
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.message, QUELIX_WM_ERROR);
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 6);
}

TEST_F(ErrorHistory, StubsNotifyWithoutRecording)
{
    EXPECT_EQ(Quelix_SetCrossbar(camera, 1, 2, 3), 0);
    EXPECT_EQ(Quelix_GetTemperatureEx(camera), 0.0);
    QUELIX_MSG msg{};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(QuelixPlatform_GetMessage(window, &msg, 1000), 1);
        EXPECT_EQ(msg.message, QUELIX_WM_ERROR);
        EXPECT_EQ(msg.lParam, QUELIX_ERR_NOT_SUPPORTED);
    }
    EXPECT_EQ(Quelix_GetLastError(camera), 0);
}

TEST_F(ErrorHistory, OutputStubsClearTheValueAndPostNothing)
{
    int32_t rate = 55;
    EXPECT_EQ(Quelix_GetSamplingRate(camera, &rate), 0);
    EXPECT_EQ(rate, 0);
    int32_t format = 55;
    EXPECT_EQ(Quelix_GetVideoFormat(camera, &format), 0);
    EXPECT_EQ(format, 0);
    EXPECT_EQ(Quelix_GetVideoFormat(camera, nullptr), 0);
    EXPECT_EQ(Quelix_GetStatus(camera), 0);
    QUELIX_MSG msg{};
    EXPECT_EQ(QuelixPlatform_PeekMessage(window, &msg), 0);
}

TEST(ErrorHistoryWithoutWindow, RecordsButPostsNothing)
{
    CQuelix camera;
    camera.PostError(4);
    EXPECT_EQ(camera.GetLastError(), 4);
}

TEST(CameraDefaults, ConstructorSetsTheDocumentedValues)
{
    CQuelix camera;
    EXPECT_EQ(camera.device, nullptr);
    EXPECT_EQ(camera.Image(ImageRole::latestImage), nullptr);
    EXPECT_EQ(camera.width, 320);
    EXPECT_EQ(camera.height, 256);
    EXPECT_EQ(camera.totalWidth, 320);
    EXPECT_EQ(camera.totalHeight, 256);
    EXPECT_EQ(camera.bufferCount, 4);
    EXPECT_EQ(camera.waitTime, 10);
    EXPECT_EQ(camera.transferTimeout, 3000);
    EXPECT_EQ(camera.exposureLines, 1.0);
    EXPECT_EQ(camera.clockPeriod, 1.0);
    EXPECT_EQ(camera.frameInfo.size, 32);
    EXPECT_EQ(sizeof(camera.frameInfo), 32u);
    EXPECT_EQ(camera.previewRect.right, 320);
    EXPECT_EQ(camera.previewRect.bottom, 256);
    for (int32_t word : camera.filter.Copy())
        EXPECT_EQ(word, 0);
    for (int32_t word : camera.camera.Copy())
        EXPECT_EQ(word, 0);
    EXPECT_EQ(camera.GetLastError(), 0);
}

}  // namespace
}  // namespace quelix
