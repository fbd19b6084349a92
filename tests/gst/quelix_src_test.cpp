// SPDX-License-Identifier: MIT
// quelixsrc against simulated cameras: caps and frames of every colour
// mode, sample alignment, timestamps and counters, drops, EOS, properties
// and their errors, a lost camera.
#include <cstring>
#include <vector>

#include "counter_frames.h"
#include "gst_test_support.h"
#include "sim/scene.h"

namespace quelix::test {
namespace {

struct Mode {
    const char* format;
    int bytesPerPixel;
};
constexpr Mode kModes[] = {{"GRAY8", 1}, {"GRAY16_LE", 2}, {"BGR", 3}, {"BGRx", 4}, {"BGRA64_LE", 8}};

struct Window {
    const char* property;
    int width, height;
};
// The whole sensor, the smallest window, and odd values (rounded down to even ones).
constexpr Window kWindows[] = {{"0,0,320,256", 320, 256}, {"316,252,4,4", 4, 4}, {"11,20,101,33", 100, 32}};

int Stride(int width, int bytesPerPixel)
{
    return (width * bytesPerPixel + 3) / 4 * 4;
}

TEST_F(QuelixSrcTest, CapsAndBufferSizesFollowEveryColourModeAndWindow)
{
    StartCameras();
    for (const Mode& mode : kModes) {
        for (const Window& window : kWindows) {
            SCOPED_TRACE(std::string(mode.format) + " " + window.property);
            const std::string caps = std::string("video/x-raw,format=") + mode.format;
            Harness(std::string("window=") + window.property, caps.c_str());
            gst_harness_play(harness_);
            GstBuffer* buffer = Pull();
            ASSERT_NE(buffer, nullptr);
            GstCaps* current = gst_pad_get_current_caps(harness_->sinkpad);
            GstVideoInfo info;
            ASSERT_TRUE(gst_video_info_from_caps(&info, current));
            EXPECT_STREQ(gst_video_format_to_string(GST_VIDEO_INFO_FORMAT(&info)), mode.format);
            EXPECT_EQ(GST_VIDEO_INFO_WIDTH(&info), window.width);
            EXPECT_EQ(GST_VIDEO_INFO_HEIGHT(&info), window.height);
            // The camera's frame rate: max(height, 100 lines) lines of (width + 69) x 0.1 us.
            const int lines = std::max(window.height, int(3890 * 10 / (window.width + 69)));
            EXPECT_EQ(int64_t(GST_VIDEO_INFO_FPS_N(&info)) * lines * (window.width + 69),
                      int64_t(GST_VIDEO_INFO_FPS_D(&info)) * 10'000'000);
            EXPECT_EQ(gst_buffer_get_size(buffer),
                      size_t(Stride(window.width, mode.bytesPerPixel)) * window.height);
            gst_caps_unref(current);
            gst_buffer_unref(buffer);
            gst_harness_teardown(harness_);
            harness_ = nullptr;
            gst_object_unref(bus_);
            bus_ = nullptr;
        }
    }
}

TEST_F(QuelixSrcTest, ColourModePropertyOffersOneFormat)
{
    StartCameras();
    Harness("color-mode=bgrx");
    GstPad* pad = gst_element_get_static_pad(Source(), "src");
    GstCaps* caps = gst_pad_query_caps(pad, nullptr);
    gst_object_unref(pad);
    ASSERT_EQ(gst_caps_get_size(caps), 1u);
    EXPECT_STREQ(gst_structure_get_string(gst_caps_get_structure(caps, 0), "format"), "BGRx");
    gst_caps_unref(caps);
}

// Counter-scene samples as the camera sent them, or shifted to the top of
// their words; the offset is the frame's counter.
void ExpectCounterFrame(GstBuffer* buffer, bool msbAligned)
{
    std::string bytes = BufferBytes(buffer);
    ASSERT_EQ(bytes.size(), 320u * 256u * 2u);
    auto* samples = reinterpret_cast<uint8_t*>(bytes.data());
    for (size_t i = 0; i < bytes.size(); i += 2) {
        uint16_t word = uint16_t(samples[i] | samples[i + 1] << 8);
        if (msbAligned) {
            ASSERT_EQ(word & 3, 0) << "sample " << i / 2;
            word = uint16_t(word >> 2);
        } else {
            ASSERT_LE(word, 0x3FFF) << "sample " << i / 2;
        }
        samples[i] = uint8_t(word);
        samples[i + 1] = uint8_t(word >> 8);
    }
    ASSERT_TRUE(IsWholeCounterFrame16(samples, 320 * 256));
    const uint16_t first = uint16_t(samples[0] | samples[1] << 8);
    EXPECT_EQ(first, sim::CounterSample(uint16_t(GST_BUFFER_OFFSET(buffer)), 0));
    EXPECT_EQ(GST_BUFFER_OFFSET_END(buffer), GST_BUFFER_OFFSET(buffer) + 1);
}

TEST_F(QuelixSrcTest, CounterFramesAreBitExactWithAndWithoutMsbAlignment)
{
    StartCameras({0}, CounterCameras());
    for (const bool align : {true, false}) {
        SCOPED_TRACE(align ? "msb-align=true" : "msb-align=false");
        Harness(align ? "" : "msb-align=false", "video/x-raw,format=GRAY16_LE");
        gst_harness_play(harness_);
        for (int i = 0; i < 5; ++i) {
            GstBuffer* buffer = Pull();
            ASSERT_NE(buffer, nullptr);
            ExpectCounterFrame(buffer, align);
            gst_buffer_unref(buffer);
        }
        gst_harness_teardown(harness_);
        harness_ = nullptr;
        gst_object_unref(bus_);
        bus_ = nullptr;
    }
}

TEST_F(QuelixSrcTest, SixtyFourBitFramesHaveOpaqueAlphaAndAlignedSamples)
{
    StartCameras();
    Harness("", "video/x-raw,format=BGRA64_LE");
    gst_harness_play(harness_);
    GstBuffer* buffer = Pull();
    ASSERT_NE(buffer, nullptr);
    const std::string bytes = BufferBytes(buffer);
    ASSERT_EQ(bytes.size(), 320u * 256u * 8u);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        const uint16_t word = uint16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8);
        if ((i / 2) % 4 == 3)
            ASSERT_EQ(word, 0xFFFF) << "alpha of pixel " << i / 8;
        else
            ASSERT_EQ(word & 3, 0) << "word " << i / 2;
    }
    gst_buffer_unref(buffer);
}

TEST_F(QuelixSrcTest, TimestampsRiseAtTheCameraRateAndOffsetsAreTheCounter)
{
    sim::CameraOptions options;
    options.scene = "counter";
    StartCameras({0}, options);  // at the sensor's own rate
    Harness("msb-align=false", "video/x-raw,format=GRAY16_LE");
    gst_harness_use_systemclock(harness_);
    gst_harness_play(harness_);
    GstClockTime lastPts = GST_CLOCK_TIME_NONE;
    guint64 lastOffset = 0;
    for (int i = 0; i < 10; ++i) {
        GstBuffer* buffer = Pull();
        ASSERT_NE(buffer, nullptr);
        ExpectCounterFrame(buffer, false);
        // 256 lines of 389 clocks of 0.1 us.
        EXPECT_EQ(GST_BUFFER_DURATION(buffer), 9'958'400u);
        ASSERT_TRUE(GST_BUFFER_PTS_IS_VALID(buffer));
        if (i == 0) {
            EXPECT_TRUE(GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DISCONT));
        } else {
            EXPECT_GT(GST_BUFFER_PTS(buffer), lastPts);
            EXPECT_GT(GST_BUFFER_OFFSET(buffer), lastOffset);
            // Frames a counter step apart are a frame interval or more apart.
            EXPECT_GE(GST_BUFFER_PTS(buffer) - lastPts,
                      (GST_BUFFER_OFFSET(buffer) - lastOffset) * 9'958'400u / 2);
        }
        lastPts = GST_BUFFER_PTS(buffer);
        lastOffset = GST_BUFFER_OFFSET(buffer);
        gst_buffer_unref(buffer);
    }
    GstQuery* latency = gst_query_new_latency();
    ASSERT_TRUE(gst_element_query(Source(), latency));
    gboolean live = FALSE;
    GstClockTime minimum = 0, maximum = 0;
    gst_query_parse_latency(latency, &live, &minimum, &maximum);
    EXPECT_TRUE(live);
    EXPECT_EQ(minimum, 9'958'400u);
    EXPECT_GE(maximum, minimum);
    gst_query_unref(latency);
}

TEST_F(QuelixSrcTest, ANewExposureWhilePlayingGivesTheNewRate)
{
    StartCameras();
    Harness("", "video/x-raw,format=GRAY8");
    gst_harness_play(harness_);
    GstBuffer* buffer = Pull();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(GST_BUFFER_DURATION(buffer), 9'958'400u);
    gst_buffer_unref(buffer);
    // 20,000 us are 514 lines of 38.9 us at the full width.
    g_object_set(Source(), "exposure-us", 20000, nullptr);
    constexpr GstClockTime kLonger = 514u * 389u * 100u;
    for (int i = 0; i < 200; ++i) {
        buffer = Pull();
        ASSERT_NE(buffer, nullptr);
        const GstClockTime duration = GST_BUFFER_DURATION(buffer);
        gst_buffer_unref(buffer);
        if (duration == kLonger)
            break;
        ASSERT_EQ(duration, 9'958'400u);
    }
    GstCaps* caps = gst_pad_get_current_caps(harness_->sinkpad);
    gint numerator = 0, denominator = 0;
    gst_structure_get_fraction(gst_caps_get_structure(caps, 0), "framerate", &numerator, &denominator);
    EXPECT_EQ(int64_t(numerator) * 514 * 389, int64_t(denominator) * 10'000'000);
    gst_caps_unref(caps);
    EXPECT_EQ(Camera().Status().exposureLines, 514);
}

TEST_F(QuelixSrcTest, HeldBuffersAreNeverReusedAndDropsAreMarked)
{
    StartCameras({0}, CounterCameras());
    Harness("msb-align=false", "video/x-raw,format=GRAY16_LE");
    gst_harness_play(harness_);
    // Hold every buffer the pool has: the camera's next frames find none
    // free and are dropped.
    std::vector<GstBuffer*> held;
    std::vector<std::string> contents;
    for (int i = 0; i < 16; ++i) {
        held.push_back(Pull());
        ASSERT_NE(held.back(), nullptr);
        contents.push_back(BufferBytes(held.back()));
    }
    const uint64_t delivered = Camera().FramesDelivered();
    ASSERT_TRUE(Camera().WaitForFrames(delivered + 20, 20000));
    for (size_t i = 0; i < held.size(); ++i) {
        EXPECT_EQ(BufferBytes(held[i]), contents[i]) << "held buffer " << i << " was written";
        ExpectCounterFrame(held[i], false);
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(gst_buffer_peek_memory(held[i], 0), gst_buffer_peek_memory(held[j], 0));
    }
    const guint64 lastHeld = GST_BUFFER_OFFSET(held.back());
    for (GstBuffer* buffer : held)
        gst_buffer_unref(buffer);
    // The first frame after the drops says so, and a QoS message counts them.
    GstBuffer* next = Pull();
    ASSERT_NE(next, nullptr);
    while (GST_BUFFER_OFFSET(next) == lastHeld + 1 &&
           !GST_BUFFER_FLAG_IS_SET(next, GST_BUFFER_FLAG_DISCONT)) {
        gst_buffer_unref(next);
        next = Pull();
        ASSERT_NE(next, nullptr);
    }
    EXPECT_TRUE(GST_BUFFER_FLAG_IS_SET(next, GST_BUFFER_FLAG_DISCONT));
    EXPECT_GT(GST_BUFFER_OFFSET(next), lastHeld + 1);
    ExpectCounterFrame(next, false);
    gst_buffer_unref(next);
    GstMessage* qos = WaitMessage(GST_MESSAGE_QOS);
    ASSERT_NE(qos, nullptr);
    GstFormat format;
    guint64 processed = 0, dropped = 0;
    gst_message_parse_qos_stats(qos, &format, &processed, &dropped);
    EXPECT_EQ(format, GST_FORMAT_BUFFERS);
    EXPECT_GT(dropped, 0u);
    gst_message_unref(qos);
}

TEST_F(QuelixSrcTest, NumBuffersEndsWithEos)
{
    StartCameras();
    Harness("num-buffers=5");
    gst_harness_play(harness_);
    for (int i = 0; i < 5; ++i) {
        GstBuffer* buffer = Pull();
        ASSERT_NE(buffer, nullptr);
        gst_buffer_unref(buffer);
    }
    bool eos = false;
    while (GstEvent* event = gst_harness_pull_event(harness_)) {
        eos = GST_EVENT_TYPE(event) == GST_EVENT_EOS;
        gst_event_unref(event);
        if (eos)
            break;
    }
    EXPECT_TRUE(eos);
    EXPECT_EQ(gst_harness_buffers_in_queue(harness_), 0u);
}

TEST_F(QuelixSrcTest, PropertiesRoundTrip)
{
    Harness(
        "device=3 exposure-us=2000 auto-exposure=true window=10,20,100,50 mirror-h=true mirror-v=true "
        "mask-file=/tmp/x.msk simulate=true color-mode=gray8 msb-align=false reconnect=false brightness=-20 "
        "contrast=5 hue=90 saturation=-7 sharpness=3 gamma=150 num-buffers=7 do-timestamp=true");
    gint device, exposure, brightness, contrast, hue, saturation, sharpness, gamma, buffers, mode;
    gboolean autoExposure, mirrorH, mirrorV, simulate, align, reconnect, timestamp;
    gchar *window, *mask;
    g_object_get(Source(), "device", &device, "exposure-us", &exposure, "auto-exposure", &autoExposure,
                 "window", &window, "mirror-h", &mirrorH, "mirror-v", &mirrorV, "mask-file", &mask,
                 "simulate", &simulate, "color-mode", &mode, "msb-align", &align, "reconnect", &reconnect,
                 "brightness", &brightness, "contrast", &contrast, "hue", &hue, "saturation", &saturation,
                 "sharpness", &sharpness, "gamma", &gamma, "num-buffers", &buffers, "do-timestamp",
                 &timestamp, nullptr);
    EXPECT_EQ(device, 3);
    EXPECT_EQ(exposure, 2000);
    EXPECT_TRUE(autoExposure && mirrorH && mirrorV && simulate && timestamp);
    EXPECT_FALSE(align || reconnect);
    EXPECT_STREQ(window, "10,20,100,50");
    EXPECT_STREQ(mask, "/tmp/x.msk");
    EXPECT_EQ(mode, 8);
    EXPECT_EQ(brightness, -20);
    EXPECT_EQ(contrast, 5);
    EXPECT_EQ(hue, 90);
    EXPECT_EQ(saturation, -7);
    EXPECT_EQ(sharpness, 3);
    EXPECT_EQ(gamma, 150);
    EXPECT_EQ(buffers, 7);
    g_free(window);
    g_free(mask);
    // Odd values become the even ones the camera takes.
    g_object_set(Source(), "window", "11,21,101,51", nullptr);
    g_object_get(Source(), "window", &window, nullptr);
    EXPECT_STREQ(window, "10,20,100,50");
    g_free(window);
}

TEST_F(QuelixSrcTest, RangesOfTheNumericPropertiesAreTheCameras)
{
    Harness();
    const auto range = [&](const char* name, int minimum, int maximum) {
        auto* spec = G_PARAM_SPEC_INT(g_object_class_find_property(G_OBJECT_GET_CLASS(Source()), name));
        ASSERT_NE(spec, nullptr) << name;
        EXPECT_EQ(spec->minimum, minimum) << name;
        EXPECT_EQ(spec->maximum, maximum) << name;
    };
    range("device", 0, 7);
    range("exposure-us", 0, 1'274'636);
    range("brightness", -255, 255);
    range("contrast", -127, 127);
    range("hue", -360, 360);
    range("saturation", -255, 255);
    range("sharpness", 0, 30);
    range("gamma", 0, 200);
}

TEST_F(QuelixSrcTest, BadValuesAreRefusedWithAWarningAndTheOldValueKept)
{
    Harness("window=10,20,100,50");
    for (const char* bad : {"abc", "1,2,3", "1,2,3,4,5", "-2,0,10,10", "0,0,2,2", "300,0,100,10",
                            "0,250,10,10", "99999,0,4,4", "0,0,320,256,", " 0,0,4,4", "0,0,0x10,4"}) {
        SCOPED_TRACE(bad);
        g_object_set(Source(), "window", bad, nullptr);
        GstMessage* warning = WaitMessage(GST_MESSAGE_WARNING);
        ASSERT_NE(warning, nullptr);
        GError* error = nullptr;
        gst_message_parse_warning(warning, &error, nullptr);
        EXPECT_NE(std::strstr(error->message, "window"), nullptr) << error->message;
        g_error_free(error);
        gst_message_unref(warning);
        gchar* window = nullptr;
        g_object_get(Source(), "window", &window, nullptr);
        EXPECT_STREQ(window, "10,20,100,50");
        g_free(window);
    }
    // An exposure longer than the window's width allows (239,199 us at 4 pixels).
    g_object_set(Source(), "window", "0,0,4,4", "exposure-us", 300000, nullptr);
    GstMessage* warning = WaitMessage(GST_MESSAGE_WARNING);
    ASSERT_NE(warning, nullptr);
    gst_message_unref(warning);
    gint exposure = 0;
    g_object_get(Source(), "exposure-us", &exposure, nullptr);
    EXPECT_EQ(exposure, 3890);
}

// Starting fails with an error message that names what is wrong.
void ExpectStartError(QuelixSrcTest& test, GstHarness* harness, const char* expected)
{
    EXPECT_EQ(gst_element_set_state(harness->element, GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
    GstMessage* message = gst_bus_pop_filtered(gst_element_get_bus(harness->element), GST_MESSAGE_ERROR);
    ASSERT_NE(message, nullptr);
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    EXPECT_NE(std::strstr(error->message, expected), nullptr) << error->message;
    g_error_free(error);
    gst_message_unref(message);
    gst_object_unref(gst_element_get_bus(harness->element));
    gst_element_set_state(harness->element, GST_STATE_NULL);
    (void)test;
}

TEST_F(QuelixSrcTest, StartingWithoutCameraOrWithABadMaskFileIsAnError)
{
    StartCameras();
    ExpectStartError(*this, Harness("device=5"), "no camera at device number 5");
    gst_harness_teardown(harness_);
    gst_object_unref(bus_);
    const std::string notMask = environment_.Directory() + "/not-a-mask.msk";
    WriteTextFile(notMask, "no mask");
    ExpectStartError(*this, Harness("mask-file=" + notMask), "mask-file");
    gst_harness_teardown(harness_);
    gst_object_unref(bus_);
    ExpectStartError(*this, Harness("mask-file=" + environment_.Directory() + "/missing.msk"), "mask-file");
}

TEST_F(QuelixSrcTest, SimulateStartsACameraWhenNoneIsAttached)
{
    Harness("simulate=true num-buffers=3");
    gst_harness_play(harness_);
    for (int i = 0; i < 3; ++i) {
        GstBuffer* buffer = Pull();
        ASSERT_NE(buffer, nullptr);
        gst_buffer_unref(buffer);
    }
}

TEST_F(QuelixSrcTest, ALostCameraIsWaitedForAndResumedWithItsSettings)
{
    StartCameras();
    Harness("window=0,0,100,60", "video/x-raw,format=GRAY8");
    // Until the camera is back, buffers are let go as they come, so that no
    // drop marks one before the gap.
    gst_harness_set_drop_buffers(harness_, TRUE);
    gst_harness_play(harness_);
    ASSERT_TRUE(Camera().WaitForFrames(5, 20000));
    Camera().Unplug();
    GstMessage* warning = WaitMessage(GST_MESSAGE_WARNING);
    ASSERT_NE(warning, nullptr);
    gst_message_unref(warning);
    // The element waits for a quiet half second before each attempt, so
    // the first frame after the gap comes after this.
    std::string error;
    ASSERT_TRUE(Camera().Plug(&error)) << error;
    gst_harness_set_drop_buffers(harness_, FALSE);
    GstBuffer* resumed = Pull();
    ASSERT_NE(resumed, nullptr);
    EXPECT_TRUE(GST_BUFFER_FLAG_IS_SET(resumed, GST_BUFFER_FLAG_DISCONT));
    EXPECT_EQ(gst_buffer_get_size(resumed), 100u * 60u);
    gst_buffer_unref(resumed);
    GstMessage* back = WaitMessage(GST_MESSAGE_INFO);
    ASSERT_NE(back, nullptr);
    gst_message_unref(back);
    EXPECT_EQ(Camera().Status().window.width, 100);
    EXPECT_EQ(Camera().Status().window.height, 60);
}

TEST_F(QuelixSrcTest, ALostCameraEndsTheStreamWithAnErrorWithoutReconnect)
{
    StartCameras();
    Harness("reconnect=false");
    gst_harness_play(harness_);
    GstBuffer* first = Pull();
    ASSERT_NE(first, nullptr);
    gst_buffer_unref(first);
    Camera().Unplug();
    GstMessage* message = WaitMessage(GST_MESSAGE_ERROR);
    ASSERT_NE(message, nullptr);
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    EXPECT_NE(std::strstr(error->message, "lost"), nullptr) << error->message;
    g_error_free(error);
    gst_message_unref(message);
}

}  // namespace
}  // namespace quelix::test
