// SPDX-License-Identifier: MIT
// quelixsrc through state changes, flushes and unlocks while the camera
// streams or is lost: nothing blocks and nothing is left behind.
#include "gst_test_support.h"

namespace quelix::test {
namespace {

TEST_F(QuelixSrcTest, HundredStateCyclesLeaveNothingBehind)
{
    StartCameras();
    Harness("", "video/x-raw,format=GRAY8");
    // One cycle first, so that what GStreamer keeps for good is there.
    gst_harness_play(harness_);
    gst_buffer_unref(Pull());
    ASSERT_EQ(gst_element_set_state(Source(), GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
    const int descriptors = OpenFileDescriptors();
    for (int cycle = 0; cycle < 100; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_NE(gst_element_set_state(Source(), GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
        GstBuffer* buffer = Pull();
        ASSERT_NE(buffer, nullptr);
        gst_buffer_unref(buffer);
        ASSERT_EQ(gst_element_set_state(Source(), GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
        while (GstBuffer* queued = gst_harness_try_pull(harness_))
            gst_buffer_unref(queued);
    }
    // The simulated camera closes its side of each connection on its own
    // threads. A descriptor left by each cycle would be a hundred more;
    // GLib and GStreamer open one or two of their own when first needed.
    for (int i = 0; i < 100 && OpenFileDescriptors() > descriptors; ++i)
        g_usleep(50'000);
    EXPECT_LE(OpenFileDescriptors(), descriptors + 2);
}

TEST_F(QuelixSrcTest, AFlushBreaksTheWaitAndStreamingGoesOn)
{
    StartCameras();
    Harness("", "video/x-raw,format=GRAY8");
    gst_harness_play(harness_);
    for (int round = 0; round < 10; ++round) {
        GstBuffer* buffer = Pull();
        ASSERT_NE(buffer, nullptr);
        gst_buffer_unref(buffer);
        ASSERT_TRUE(gst_element_send_event(Source(), gst_event_new_flush_start()));
        ASSERT_TRUE(gst_element_send_event(Source(), gst_event_new_flush_stop(TRUE)));
    }
    GstBuffer* after = Pull();
    ASSERT_NE(after, nullptr);
    gst_buffer_unref(after);
}

TEST_F(QuelixSrcTest, StoppingWhileWaitingForALostCameraReturns)
{
    StartCameras();
    Harness("", "video/x-raw,format=GRAY8");
    gst_harness_play(harness_);
    gst_buffer_unref(Pull());
    Camera().Unplug();
    GstMessage* warning = WaitMessage(GST_MESSAGE_WARNING);
    ASSERT_NE(warning, nullptr);
    gst_message_unref(warning);
    // The camera never returns: only unlock ends the element's wait.
    EXPECT_EQ(gst_element_set_state(Source(), GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
    // And it starts again when the camera is back.
    std::string error;
    ASSERT_TRUE(Camera().Plug(&error)) << error;
    while (GstBuffer* queued = gst_harness_try_pull(harness_))
        gst_buffer_unref(queued);
    ASSERT_NE(gst_element_set_state(Source(), GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
    GstBuffer* buffer = Pull();
    ASSERT_NE(buffer, nullptr);
    gst_buffer_unref(buffer);
}

TEST_F(QuelixSrcTest, UnlockBreaksACreateWaitingForAFrame)
{
    StartCameras({0}, sim::CameraOptions{});  // at the sensor's rate: one frame a second
    Harness("exposure-us=1000000", "video/x-raw,format=GRAY8");
    gst_harness_play(harness_);
    gst_buffer_unref(Pull());
    for (int round = 0; round < 5; ++round) {
        // create now waits about a second for the next frame.
        ASSERT_TRUE(gst_element_send_event(Source(), gst_event_new_flush_start()));
        ASSERT_TRUE(gst_element_send_event(Source(), gst_event_new_flush_stop(TRUE)));
    }
    EXPECT_EQ(gst_element_set_state(Source(), GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
}

}  // namespace
}  // namespace quelix::test
