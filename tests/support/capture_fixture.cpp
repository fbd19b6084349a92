// SPDX-License-Identifier: MIT
#include "capture_fixture.h"

namespace quelix::test {

void CaptureTest::StartCamera(const sim::CameraOptions& options, const std::vector<int>& devices)
{
    StartCameras(devices, options);
    window = QuelixPlatform_CreateMessageWindow();
    ASSERT_NE(window, nullptr);
    camera = Quelix_Initialize(window);
    ASSERT_NE(camera, 0);
    ASSERT_EQ(Quelix_GetLastError(camera), 0);
}

void CaptureTest::TearDown()
{
    if (camera != 0) {
        EXPECT_EQ(Quelix_Release(camera), 1);
    }
    if (window != nullptr)
        QuelixPlatform_DestroyWindow(window);
}

std::optional<QUELIX_MSG> CaptureTest::WaitFor(uint32_t message, int timeoutMs)
{
    QUELIX_MSG msg{};
    while (QuelixPlatform_GetMessage(window, &msg, timeoutMs) == 1) {
        if (msg.message == message)
            return msg;
        skipped.push_back(msg);
    }
    return std::nullopt;
}

std::vector<long> CaptureTest::ErrorNotifications()
{
    std::vector<long> codes;
    QUELIX_MSG msg{};
    while (QuelixPlatform_PeekMessage(window, &msg) == 1)
        skipped.push_back(msg);
    for (const QUELIX_MSG& kept : skipped) {
        if (kept.message == QUELIX_WM_ERROR)
            codes.push_back(static_cast<long>(kept.lParam));
    }
    return codes;
}

std::vector<int32_t> CaptureTest::ErrorHistory()
{
    std::vector<int32_t> codes;
    for (int32_t code = Quelix_GetLastError(camera); code != 0; code = Quelix_GetLastError(camera))
        codes.push_back(code);
    return codes;
}

}  // namespace quelix::test
