// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include "api/export_call.h"
#include "capture_fixture.h"
#include "device/shared_device_table.h"
#include "sim/scene.h"

namespace quelix {
namespace {

constexpr size_t kFullFrame16 = 320 * 256 * 2;

class CaptureEngine : public test::CaptureTest {
protected:
    void SetUp() override { StartCamera(test::CounterCameras()); }
    int32_t CaptureMode()
    {
        return CallCamera(camera, -1, [](CQuelix& object) { return object.captureMode.load(); });
    }
};

// The application reads the frame record and the trailer word on its own
// thread while the capture thread writes them for the next frame.
int32_t Load(const int32_t& field)
{
    return __atomic_load_n(&field, __ATOMIC_RELAXED);
}
const int32_t& TrailerOf(const QUELIX_MSG& msg)
{
    return *reinterpret_cast<const int32_t*>(msg.lParam);
}

// Colour mode 1 with neutral settings delivers the 14-bit samples as they
// came from the camera, so a counter-scene frame can be checked whole.
bool IsWholeCounterFrame(const std::vector<uint8_t>& buffer, int32_t trailer, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i) {
        const uint16_t sample = static_cast<uint16_t>(buffer[2 * i] | buffer[2 * i + 1] << 8);
        if (sample != sim::CounterSample(static_cast<uint16_t>(trailer), i))
            return false;
    }
    return true;
}

TEST_F(CaptureEngine, APreviewDeliversWholeFramesWithTheirRecordAndTrailer)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    std::vector<uint8_t> buffer(kFullFrame16);
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1),
              1);
    EXPECT_EQ(Quelix_StartPreview(camera), 1) << "already previewing: nothing changes";
    EXPECT_EQ(CaptureMode(), 1);

    int32_t lastTrailer = -1;
    for (int frame = 0; frame < 5; ++frame) {
        const auto msg = WaitFor(QUELIX_WM_FRAME);
        ASSERT_TRUE(msg.has_value());
        ASSERT_NE(msg->wParam, 0u) << "error " << msg->lParam;
        const auto* info = reinterpret_cast<const QUELIX_FRAME_INFO*>(msg->wParam);
        EXPECT_EQ(Load(info->size), 32);
        EXPECT_EQ(Load(info->width), 320);
        EXPECT_EQ(Load(info->height), 256);
        EXPECT_EQ(Load(info->bitCount), 16);
        EXPECT_EQ(__atomic_load_n(&info->data, __ATOMIC_RELAXED), buffer.data());
        // The word is overwritten by each frame, so a late reader may see a
        // newer frame's trailer, never an older one.
        const int32_t trailer = Load(TrailerOf(*msg));
        EXPECT_GE(trailer, lastTrailer);
        lastTrailer = trailer;
    }
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
    EXPECT_EQ(CaptureMode(), 0);
    // After the stop the last delivered frame and its trailer stand still.
    QUELIX_MSG msg{};
    std::optional<QUELIX_MSG> last;
    while (QuelixPlatform_PeekMessage(window, &msg) == 1) {
        if (msg.message == QUELIX_WM_FRAME && msg.wParam != 0)
            last = msg;
    }
    const int32_t trailer = last ? Load(TrailerOf(*last)) : lastTrailer;
    EXPECT_TRUE(IsWholeCounterFrame(buffer, trailer, 320 * 256));
    EXPECT_TRUE(ErrorHistory().empty());
}

// The trailer word changes together with latestImage: a copy with the same
// trailer before and after it is that trailer's frame, however the copies
// fall between the frames of a preview without pause.
TEST_F(CaptureEngine, AGetImageCopyBetweenEqualTrailersIsTheFrameOfThatTrailer)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
    ASSERT_EQ(Quelix_SetWaitTime(camera, 0), 1);
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, nullptr, 0, 1), 1);
    const auto first = WaitFor(QUELIX_WM_FRAME);
    ASSERT_TRUE(first.has_value());
    ASSERT_NE(first->wParam, 0u) << "error " << first->lParam;
    const int32_t& trailerWord = TrailerOf(*first);
    std::vector<uint8_t> buffer(kFullFrame16);
    int checked = 0;
    for (int copy = 0; copy < 3000; ++copy) {
        const int32_t before = Load(trailerWord);
        ASSERT_EQ(Quelix_GetImage(camera, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1);
        if (Load(trailerWord) != before)
            continue;
        ++checked;
        ASSERT_TRUE(IsWholeCounterFrame(buffer, before, 320 * 256))
            << "copy " << copy << ", trailer " << before;
    }
    EXPECT_GT(checked, 0);
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
}

TEST_F(CaptureEngine, RowOptionZeroReversesTheRows)
{
    CQuelix object;
    CDibImage image;
    ASSERT_EQ(image.Create(4, 3, 8), 1);
    for (int row = 0; row < 3; ++row)
        std::fill(image.pBits + row * image.stride, image.pBits + (row + 1) * image.stride, uint8_t(row + 1));
    std::vector<uint8_t> buffer(12);
    ASSERT_EQ(object.CopyToCallerBuffer(image, 0, buffer.data(), 12), 1);
    EXPECT_EQ(buffer, (std::vector<uint8_t>{3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1}));
    ASSERT_EQ(object.CopyToCallerBuffer(image, 1, buffer.data(), 12), 1);
    EXPECT_EQ(buffer, (std::vector<uint8_t>{1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3}));
    EXPECT_EQ(object.CopyToCallerBuffer(image, 1, buffer.data(), 11), 0);
    EXPECT_EQ(object.GetLastError(), kErrObjects);
}

TEST_F(CaptureEngine, ABufferOneByteShortIsReportedPerFrameAndThePreviewGoesOn)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 8), 1);
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    std::vector<uint8_t> buffer(320 * 256 - 1);
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1),
              1);
    for (int frame = 0; frame < 3; ++frame) {
        const auto msg = WaitFor(QUELIX_WM_FRAME);
        ASSERT_TRUE(msg.has_value());
        EXPECT_EQ(msg->wParam, 0u) << "no frame notification";
        EXPECT_EQ(msg->lParam, QUELIX_ERR_OBJECTS);
    }
    EXPECT_EQ(CaptureMode(), 1);
    Quelix_StopPreview(camera);
    const auto errors = ErrorNotifications();
    ASSERT_GE(errors.size(), 3u);
    for (long code : errors)
        EXPECT_EQ(code, QUELIX_ERR_OBJECTS);
}

TEST_F(CaptureEngine, SnapshotsFromIdleAndCaptureMode)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
    std::vector<uint8_t> buffer(kFullFrame16);
    uint8_t empty = 0;
    EXPECT_EQ(Quelix_GetImage(camera, &empty, 1, 1), 0) << "nothing was ever prepared";
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{QUELIX_ERR_OBJECTS}));

    ASSERT_EQ(Quelix_SnapShot(camera, nullptr, 0, 1), 1) << "processed and published, nothing copied";
    ASSERT_EQ(Quelix_GetImage(camera, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1);
    EXPECT_TRUE(IsWholeCounterFrame(buffer, 1, 320 * 256)) << "the first frame after initialisation";

    ASSERT_EQ(Quelix_Capture(camera), 1);
    EXPECT_EQ(Quelix_Capture(camera), 1);
    EXPECT_EQ(CaptureMode(), 2);
    ASSERT_EQ(Quelix_SnapShot(camera, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1);
    EXPECT_TRUE(IsWholeCounterFrame(buffer, 2, 320 * 256));
    ASSERT_EQ(Quelix_SnapShot(camera, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1);
    EXPECT_TRUE(IsWholeCounterFrame(buffer, 3, 320 * 256));
    EXPECT_EQ(Quelix_StartPreview(camera), 0) << "not from capture mode";
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{QUELIX_ERR_NOT_INITIALIZED}));
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
    EXPECT_EQ(CaptureMode(), 0);
}

TEST_F(CaptureEngine, SnapshotsAreRefusedWhilePreviewingAndInTriggerMode)
{
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Quelix_StartPreview(camera), 1);
    std::vector<uint8_t> buffer(kFullFrame16);
    EXPECT_EQ(Quelix_SnapShot(camera, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 0);
    EXPECT_EQ(Quelix_Capture(camera), 0);
    EXPECT_EQ(Quelix_Trigger(camera, window, nullptr, 0, 1), 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{1, 1, 1}));
    ASSERT_EQ(Quelix_StopPreview(camera), 1);

    ASSERT_EQ(Quelix_Trigger(camera, window, nullptr, 0, 1), 1);
    EXPECT_EQ(CaptureMode(), 3);
    EXPECT_EQ(Quelix_SnapShot(camera, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 0);
    EXPECT_EQ(Quelix_StartPreview(camera), 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{1, 1}));
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
}

TEST_F(CaptureEngine, TriggerModeDeliversOneFramePerTriggerAndStartsOnce)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    std::vector<uint8_t> buffer(kFullFrame16);
    ASSERT_EQ(Quelix_Trigger(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1);
    EXPECT_EQ(Quelix_Trigger(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 1)
        << "already in trigger mode: no second thread";
    for (int pulse = 0; pulse < 3; ++pulse) {
        ASSERT_TRUE(Camera().WaitForTriggerWait(5000));
        Camera().Trigger();
        const auto msg = WaitFor(QUELIX_WM_FRAME);
        ASSERT_TRUE(msg.has_value());
        ASSERT_NE(msg->wParam, 0u);
        const auto* info = reinterpret_cast<const QUELIX_FRAME_INFO*>(msg->wParam);
        EXPECT_EQ(Load(info->fps10), 0);
        EXPECT_EQ(Load(info->width), 320);
    }
    EXPECT_EQ(Camera().FramesDelivered(), 3u);
    ASSERT_EQ(Quelix_StopPreview(camera), 1) << "leaving trigger mode ends the waiting read";
    EXPECT_EQ(CaptureMode(), 0);
    EXPECT_TRUE(ErrorHistory().empty());
}

TEST_F(CaptureEngine, AnInvalidSubsampleStopsTheStartWithSevenThenOne)
{
    ASSERT_EQ(Quelix_SetSubSample(camera, 2), 1);
    EXPECT_EQ(Quelix_StartPreview(camera), 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{1, 7}));
    EXPECT_EQ(CaptureMode(), 0);
}

TEST_F(CaptureEngine, ACameraHeldByAnotherOwnerIsNotStarted)
{
    SharedDeviceTable other;
    ASSERT_TRUE(other.OpenSharedTable());
    other.ClaimDevice(0, reinterpret_cast<platform::Hwnd>(uintptr_t{0x1234}));
    EXPECT_EQ(Quelix_StartPreview(camera), 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{1, 2}));
    other.ReleaseDevice(0, reinterpret_cast<platform::Hwnd>(uintptr_t{0x1234}));
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    EXPECT_EQ(Quelix_StartPreview(camera), 1);

    // A second camera of this process on the same device is kept out while
    // the first streams, and gets in after it stops.
    const int32_t second = Quelix_Initialize(nullptr);
    EXPECT_EQ(Quelix_StartPreview(second), 0);
    EXPECT_EQ(Quelix_GetLastError(second), 1);
    EXPECT_EQ(Quelix_GetLastError(second), 2);
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
    ASSERT_EQ(Quelix_SetPreviewWindow(second, nullptr, 0, 0, 0, 0), 1);
    EXPECT_EQ(Quelix_StartPreview(second), 1);
    EXPECT_EQ(Quelix_Release(second), 1) << "a release stops the stream";
}

// A camera object made, or switched to the device, while another streams it
// leaves the camera's registers alone: the stream goes on with whole frames
// of its own window and sample width.
TEST_F(CaptureEngine, ACameraMadeWhileAnotherStreamsTheDeviceLeavesItsStreamAlone)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 16), 1);
    ASSERT_EQ(Quelix_SetCaptureWindowEx(camera, 320, 0, 160, 256, 0, 128), 1);
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    std::vector<uint8_t> buffer(160 * 128 * 2);
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1),
              1);
    ASSERT_TRUE(WaitFor(QUELIX_WM_FRAME).has_value());

    const int32_t second = Quelix_Initialize(nullptr);
    ASSERT_NE(second, 0);
    EXPECT_EQ(Quelix_SetDeviceNumber(second, 0), 1);
    EXPECT_EQ(Quelix_SetMirrorH(second, 1), 1) << "a setting is kept for its own start";
    for (int frame = 0; frame < 5; ++frame) {
        const auto msg = WaitFor(QUELIX_WM_FRAME);
        ASSERT_TRUE(msg.has_value());
        ASSERT_NE(msg->wParam, 0u) << "error " << msg->lParam;
        const auto* info = reinterpret_cast<const QUELIX_FRAME_INFO*>(msg->wParam);
        EXPECT_EQ(Load(info->width), 160);
        EXPECT_EQ(Load(info->height), 128);
    }
    EXPECT_EQ(Quelix_Release(second), 1);
    ASSERT_EQ(Quelix_StopPreview(camera), 1);
    EXPECT_TRUE(ErrorHistory().empty());
}

TEST_F(CaptureEngine, NoCameraAtTheDeviceNumber)
{
    Camera().Unplug();
    const int32_t late = Quelix_Initialize(nullptr);
    EXPECT_EQ(Quelix_StartPreview(late), 0);
    EXPECT_EQ(Quelix_GetLastError(late), 1);
    EXPECT_EQ(Quelix_GetLastError(late), 2);
    Quelix_Release(late);
}

TEST_F(CaptureEngine, ALostStreamEndsThePreviewWithThirteen)
{
    ASSERT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    std::vector<uint8_t> buffer(320 * 256 * 3);
    ASSERT_EQ(Quelix_CallBackPreview(camera, window, buffer.data(), static_cast<int32_t>(buffer.size()), 1),
              1);
    ASSERT_TRUE(WaitFor(QUELIX_WM_FRAME).has_value());
    Camera().Stall(8000);  // no frame for longer than the 6 s the loop waits
    std::optional<QUELIX_MSG> lost;
    while ((lost = WaitFor(QUELIX_WM_FRAME, 9000)) && lost->wParam != 0) {
    }
    ASSERT_TRUE(lost.has_value());
    EXPECT_EQ(lost->lParam, QUELIX_ERR_WAIT_FRAME);
    EXPECT_EQ(CaptureMode(), 1) << "the mode stays until the caller stops";
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
    EXPECT_EQ(CaptureMode(), 0);
    EXPECT_EQ(ErrorHistory(), (std::vector<int32_t>{QUELIX_ERR_WAIT_FRAME}));
}

}  // namespace
}  // namespace quelix

namespace quelix {
namespace {

TEST_F(CaptureEngine, PreviewInTheLibrarysWindowAndClose)
{
    ASSERT_EQ(Quelix_SetColorMode(camera, 8), 1);
    ASSERT_EQ(Quelix_Preview(camera), 1) << "the default rectangle asks for a window of the capture size";
    const auto previewWindow =
        CallCamera(camera, platform::Hwnd{}, [](CQuelix& object) { return object.previewWindow.load(); });
    ASSERT_NE(previewWindow, nullptr);
    int width = 0;
    int height = 0;
    ASSERT_EQ(QuelixPlatform_GetClientSize(previewWindow, &width, &height), 1);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 256);
    EXPECT_EQ(Quelix_Preview(camera), 1) << "a second call makes no second window";
    EXPECT_EQ(
        CallCamera(camera, platform::Hwnd{}, [](CQuelix& object) { return object.previewWindow.load(); }),
        previewWindow);

    EXPECT_EQ(Quelix_Close(camera), 1);
    EXPECT_EQ(CaptureMode(), 0);
    EXPECT_EQ(QuelixPlatform_GetClientSize(previewWindow, &width, &height), 0) << "the window is gone";
    EXPECT_TRUE(ErrorHistory().empty());
}

}  // namespace
}  // namespace quelix
