// SPDX-License-Identifier: MIT
// The element: properties, negotiation, the streaming thread's create,
// state changes and unlock. The camera itself is CameraLink's.
#include "quelix_src.h"

#include <gst/video/video.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include "camera_link.h"
#include "camera_settings.h"
#include "sample_alignment.h"
#include "video_formats.h"

GST_DEBUG_CATEGORY_STATIC(quelix_src_debug);
#define GST_CAT_DEFAULT quelix_src_debug

namespace {

using quelix::gst::CameraEvent;
using quelix::gst::CameraLink;
using quelix::gst::CameraSettings;
using quelix::gst::ColourMode;
using quelix::gst::kFilterCount;
using quelix::gst::kFilterProperties;

// Buffers of the element's pool: a few for downstream to hold. When every
// one is held the camera's frames are dropped (and counted), not queued.
constexpr guint kPoolMinBuffers = 2;
constexpr guint kPoolMaxBuffers = 16;
// How long a lost camera is waited for before each attempt to resume.
constexpr int kResumeWaitMs = 500;

enum Property {
    PROP_0,
    PROP_DEVICE,
    PROP_EXPOSURE_US,
    PROP_AUTO_EXPOSURE,
    PROP_WINDOW,
    PROP_MIRROR_H,
    PROP_MIRROR_V,
    PROP_MASK_FILE,
    PROP_SIMULATE,
    PROP_COLOR_MODE,
    PROP_MSB_ALIGN,
    PROP_RECONNECT,
    PROP_FILTER_FIRST,
};

uint64_t MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(now.tv_nsec);
}

GType ColorModeType()
{
    static GType type = 0;
    static const GEnumValue values[] = {
        {0, "Chosen by caps negotiation", "auto"},
        {8, "8-bit gray (GRAY8)", "gray8"},
        {16, "14-bit samples in 16-bit gray words (GRAY16_LE)", "gray16"},
        {24, "False colour, 8 bits per channel (BGR)", "bgr"},
        {32, "False colour, 8 bits per channel and an unused byte (BGRx)", "bgrx"},
        {64, "False colour, 14-bit samples in 16-bit words, opaque alpha (BGRA64_LE)", "bgra64"},
        {0, nullptr, nullptr},
    };
    if (g_once_init_enter(&type))
        g_once_init_leave(&type, g_enum_register_static("QuelixSrcColorMode", values));
    return type;
}

}  // namespace

// What the streaming thread alone uses while the element runs.
struct StreamState {
    GstVideoInfo info{};
    ColourMode mode{};
    GstBufferPool* pool = nullptr;
    GstClockTime periodNs = 0;  // the frame interval of the negotiated caps
    bool havePushed = false;
    uint16_t lastPushed = 0;  // counter of the last frame pushed
    bool haveSeen = false;
    uint16_t lastSeen = 0;  // counter of the last frame announced
    guint64 lastOffset = 0;
    GstClockTime lastPts = GST_CLOCK_TIME_NONE;
    std::optional<uint64_t> lostAtNs;  // the camera was lost then and has not streamed since
    guint64 processed = 0;
    guint64 dropped = 0;
    uint64_t firstHeldNs = 0;  // for timestamps without a clock
};

struct QuelixSrcState {
    // Held by the streaming thread through negotiation and create, and by
    // start and stop around their changes of the stream: GStreamer runs
    // them one after the other, and the lock says so in a way that
    // ThreadSanitizer sees. Taken before `lock`.
    std::mutex streamLock;
    // Guards the settings and the link's opening and closing against the
    // application's threads; the streaming thread does not hold it while
    // it waits for frames.
    std::mutex lock;
    CameraSettings settings;
    bool simulate = false;
    int32_t colorBits = 0;
    std::atomic<bool> msbAlign{true};  // read by the streaming thread for each frame
    bool reconnect = true;
    CameraLink link;
    std::atomic<bool> flushing{false};
    std::atomic<GstClockTime> latencyNs{0};  // the negotiated frame interval, for the latency query
    StreamState stream;
};

struct _QuelixSrc {
    GstPushSrc parent;
    QuelixSrcState* state;
};

G_DEFINE_TYPE(QuelixSrc, quelix_src, GST_TYPE_PUSH_SRC)
GST_ELEMENT_REGISTER_DEFINE(quelixsrc, "quelixsrc", GST_RANK_NONE, QUELIX_TYPE_SRC)

namespace {

QuelixSrcState& State(gpointer object)
{
    return *QUELIX_SRC(object)->state;
}

void WarnProperty(QuelixSrc* self, const std::string& message)
{
    GST_ELEMENT_WARNING(self, RESOURCE, SETTINGS, ("%s", message.c_str()), ("the value was not taken"));
}

// Properties that change how the camera streams take effect at the next start.
bool ChangeableNow(QuelixSrc* self, QuelixSrcState& state, const char* name)
{
    if (!state.link.IsOpen())
        return true;
    WarnProperty(self, std::string(name) + " can only change while the element is stopped (NULL or READY)");
    return false;
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* spec)
{
    QuelixSrc* self = QUELIX_SRC(object);
    QuelixSrcState& state = State(object);
    std::string warning;
    bool renegotiate = false;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        CameraSettings& settings = state.settings;
        const int32_t camera = state.link.IsOpen() ? state.link.Camera() : 0;
        switch (id) {
            case PROP_DEVICE:
                if (ChangeableNow(self, state, "device"))
                    settings.device = g_value_get_int(value);
                break;
            case PROP_EXPOSURE_US: {
                CameraSettings changed = settings;
                changed.exposureUs = g_value_get_int(value);
                if (!quelix::gst::CheckSettings(changed, &warning))
                    break;
                if (camera != 0 && !Quelix_SetRealExposureTime(camera, changed.exposureUs)) {
                    warning =
                        "the camera refused the exposure of " + std::to_string(changed.exposureUs) + " us";
                    break;
                }
                settings = changed;
                renegotiate = camera != 0;
                break;
            }
            case PROP_AUTO_EXPOSURE:
                settings.autoExposure = g_value_get_boolean(value);
                if (camera != 0)
                    Quelix_SetAutoIris(camera,
                                       settings.autoExposure ? QUELIX_AUTO_IRIS_ON : QUELIX_AUTO_IRIS_OFF);
                break;
            case PROP_WINDOW: {
                quelix::gst::CaptureWindow window;
                const char* text = g_value_get_string(value);
                if (!quelix::gst::ParseCaptureWindow(text != nullptr ? text : "", &window, &warning))
                    break;
                CameraSettings changed = settings;
                changed.window = window;
                if (quelix::gst::CheckSettings(changed, &warning) && ChangeableNow(self, state, "window"))
                    settings = changed;
                break;
            }
            case PROP_MIRROR_H:
                settings.mirrorH = g_value_get_boolean(value);
                if (camera != 0)
                    Quelix_SetMirrorH(camera, settings.mirrorH ? 1 : 0);
                break;
            case PROP_MIRROR_V:
                settings.mirrorV = g_value_get_boolean(value);
                if (camera != 0)
                    Quelix_SetMirrorV(camera, settings.mirrorV ? 1 : 0);
                break;
            case PROP_MASK_FILE:
                if (ChangeableNow(self, state, "mask-file")) {
                    const char* path = g_value_get_string(value);
                    settings.maskFile = path != nullptr ? path : "";
                }
                break;
            case PROP_SIMULATE:
                if (ChangeableNow(self, state, "simulate"))
                    state.simulate = g_value_get_boolean(value);
                break;
            case PROP_COLOR_MODE:
                if (ChangeableNow(self, state, "color-mode"))
                    state.colorBits = g_value_get_enum(value);
                break;
            case PROP_MSB_ALIGN:
                state.msbAlign = g_value_get_boolean(value);
                break;
            case PROP_RECONNECT:
                state.reconnect = g_value_get_boolean(value);
                break;
            default:
                if (id >= PROP_FILTER_FIRST && id < PROP_FILTER_FIRST + kFilterCount) {
                    const int index = static_cast<int>(id - PROP_FILTER_FIRST);
                    const int32_t filterValue = g_value_get_int(value);
                    if (camera != 0 &&
                        !Quelix_SetFilterValue(camera, kFilterProperties[index].id, filterValue)) {
                        warning = std::string("the camera refused ") + kFilterProperties[index].name + " " +
                                  std::to_string(filterValue);
                        break;
                    }
                    settings.filters[index] = filterValue;
                    break;
                }
                G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
        }
    }
    // Messages go out without the lock: a bus handler may set properties.
    if (!warning.empty())
        WarnProperty(self, warning);
    if (renegotiate)
        gst_pad_mark_reconfigure(GST_BASE_SRC_PAD(self));
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* spec)
{
    QuelixSrcState& state = State(object);
    std::lock_guard<std::mutex> guard(state.lock);
    const CameraSettings& settings = state.settings;
    switch (id) {
        case PROP_DEVICE:
            g_value_set_int(value, settings.device);
            break;
        case PROP_EXPOSURE_US:
            g_value_set_int(value, settings.exposureUs);
            break;
        case PROP_AUTO_EXPOSURE:
            g_value_set_boolean(value, settings.autoExposure);
            break;
        case PROP_WINDOW:
            g_value_set_string(value, quelix::gst::FormatCaptureWindow(settings.window).c_str());
            break;
        case PROP_MIRROR_H:
            g_value_set_boolean(value, settings.mirrorH);
            break;
        case PROP_MIRROR_V:
            g_value_set_boolean(value, settings.mirrorV);
            break;
        case PROP_MASK_FILE:
            g_value_set_string(value, settings.maskFile.empty() ? nullptr : settings.maskFile.c_str());
            break;
        case PROP_SIMULATE:
            g_value_set_boolean(value, state.simulate);
            break;
        case PROP_COLOR_MODE:
            g_value_set_enum(value, state.colorBits);
            break;
        case PROP_MSB_ALIGN:
            g_value_set_boolean(value, state.msbAlign);
            break;
        case PROP_RECONNECT:
            g_value_set_boolean(value, state.reconnect);
            break;
        default:
            if (id >= PROP_FILTER_FIRST && id < PROP_FILTER_FIRST + kFilterCount) {
                g_value_set_int(value, settings.filters[id - PROP_FILTER_FIRST]);
                break;
            }
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    }
}

void Finalize(GObject* object)
{
    delete QUELIX_SRC(object)->state;
    G_OBJECT_CLASS(quelix_src_parent_class)->finalize(object);
}

// --- Negotiation

GstCaps* GetCaps(GstBaseSrc* base, GstCaps* filter)
{
    QuelixSrcState& state = State(base);
    GstCaps* caps;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        const quelix::gst::CaptureWindow& w = state.settings.window;
        int32_t lines = static_cast<int32_t>(quelix::gst::ExposureLines(state.settings.exposureUs, w.width));
        // With automatic exposure the camera's exposure is the one in force.
        if (state.link.IsOpen() && state.settings.autoExposure) {
            int32_t ok = 0;
            const int32_t current = Quelix_GetExposureTime(state.link.Camera(), &ok);
            if (ok == 1)
                lines = current;
        }
        caps = quelix::gst::FrameCaps(
            w.width, w.height, quelix::gst::FramePeriodTenthsUs(w.width, w.height, lines), state.colorBits);
    }
    if (filter != nullptr) {
        GstCaps* both = gst_caps_intersect_full(filter, caps, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(caps);
        caps = both;
    }
    return caps;
}

void DropPool(StreamState& stream)
{
    if (stream.pool != nullptr) {
        gst_buffer_pool_set_active(stream.pool, FALSE);
        gst_object_unref(stream.pool);
        stream.pool = nullptr;
    }
}

gboolean SetCaps(GstBaseSrc* base, GstCaps* caps)
{
    QuelixSrc* self = QUELIX_SRC(base);
    QuelixSrcState& state = State(base);
    StreamState& stream = state.stream;
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, caps))
        return FALSE;
    const std::optional<ColourMode> mode = quelix::gst::ModeOfFormat(GST_VIDEO_INFO_FORMAT(&info));
    if (!mode)
        return FALSE;
    // The library's rows are padded to 4 bytes, as GStreamer's default layout of these formats.
    const gsize frameBytes = static_cast<gsize>(QUELIX_STRIDE(info.width, mode->bits)) * info.height;
    if (GST_VIDEO_INFO_SIZE(&info) != frameBytes ||
        GST_VIDEO_INFO_PLANE_STRIDE(&info, 0) != QUELIX_STRIDE(info.width, mode->bits)) {
        GST_ERROR_OBJECT(self, "caps %" GST_PTR_FORMAT " have another layout than the camera's frames", caps);
        return FALSE;
    }
    std::lock_guard<std::mutex> streamGuard(state.streamLock);
    GstBufferPool* pool = gst_video_buffer_pool_new();
    GstStructure* config = gst_buffer_pool_get_config(pool);
    gst_buffer_pool_config_set_params(config, caps, static_cast<guint>(frameBytes), kPoolMinBuffers,
                                      kPoolMaxBuffers);
    if (!gst_buffer_pool_set_config(pool, config) || !gst_buffer_pool_set_active(pool, TRUE)) {
        gst_object_unref(pool);
        GST_ELEMENT_ERROR(self, RESOURCE, NO_SPACE_LEFT,
                          ("cannot make a pool of %u-byte buffers", unsigned(frameBytes)), (nullptr));
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> guard(state.lock);
        // A new colour mode starts the preview again at the next frame.
        if (stream.mode.bits != mode->bits)
            state.link.Stop();
    }
    DropPool(stream);
    stream.pool = pool;
    stream.info = info;
    stream.mode = *mode;
    stream.periodNs = info.fps_n > 0 ? gst_util_uint64_scale(GST_SECOND, info.fps_d, info.fps_n) : 0;
    state.latencyNs = stream.periodNs;
    gst_element_post_message(GST_ELEMENT(self), gst_message_new_latency(GST_OBJECT(self)));
    return TRUE;
}

// The frames come from the element's own pool (create), so downstream's
// proposals are taken note of but not used.
gboolean DecideAllocation(GstBaseSrc*, GstQuery*)
{
    return TRUE;
}

gboolean Query(GstBaseSrc* base, GstQuery* query)
{
    if (GST_QUERY_TYPE(query) == GST_QUERY_LATENCY) {
        const GstClockTime period = State(base).latencyNs;
        if (period == 0)
            return FALSE;
        // A frame is pushed within its own interval after the library held it.
        gst_query_set_latency(query, TRUE, period, period);
        return TRUE;
    }
    return GST_BASE_SRC_CLASS(quelix_src_parent_class)->query(base, query);
}

// --- States

void ResetStream(StreamState& stream)
{
    DropPool(stream);
    stream = StreamState{};
}

gboolean Start(GstBaseSrc* base)
{
    QuelixSrc* self = QUELIX_SRC(base);
    QuelixSrcState& state = State(base);
    std::string error;
    bool opened;
    {
        std::lock_guard<std::mutex> streamGuard(state.streamLock);
        std::lock_guard<std::mutex> guard(state.lock);
        ResetStream(state.stream);
        state.latencyNs = 0;
        state.flushing = false;
        opened = quelix::gst::CheckSettings(state.settings, &error) &&
                 state.link.Open(state.settings, state.simulate, &error);
    }
    if (!opened)
        GST_ELEMENT_ERROR(self, RESOURCE, OPEN_READ, ("%s", error.c_str()), (nullptr));
    return opened;
}

gboolean Stop(GstBaseSrc* base)
{
    QuelixSrcState& state = State(base);
    std::lock_guard<std::mutex> streamGuard(state.streamLock);
    std::lock_guard<std::mutex> guard(state.lock);
    state.link.Close();
    ResetStream(state.stream);
    return TRUE;
}

gboolean Unlock(GstBaseSrc* base)
{
    QuelixSrcState& state = State(base);
    state.flushing = true;
    state.link.Wake();
    return TRUE;
}

gboolean UnlockStop(GstBaseSrc* base)
{
    State(base).flushing = false;
    return TRUE;
}

// --- Frames

// The pipeline-clock time of a monotonic-clock moment, as running time.
GstClockTime RunningTimeOf(QuelixSrc* self, StreamState& stream, uint64_t monotonicNs)
{
    GstClock* clock = gst_element_get_clock(GST_ELEMENT(self));
    if (clock == nullptr) {
        if (stream.firstHeldNs == 0)
            stream.firstHeldNs = monotonicNs;
        return monotonicNs - std::min(monotonicNs, stream.firstHeldNs);
    }
    const GstClockTime clockNow = gst_clock_get_time(clock);
    const uint64_t now = MonotonicNs();
    gst_object_unref(clock);
    const GstClockTime age = now > monotonicNs ? now - monotonicNs : 0;
    const GstClockTime held = clockNow - std::min<GstClockTime>(clockNow, age);
    const GstClockTime baseTime = gst_element_get_base_time(GST_ELEMENT(self));
    return held > baseTime ? held - baseTime : 0;
}

void PostDrops(QuelixSrc* self, StreamState& stream, GstClockTime pts, guint64 missed)
{
    stream.dropped += missed;
    GST_INFO_OBJECT(self, "%" G_GUINT64_FORMAT " frames dropped before this one", missed);
    GstMessage* message = gst_message_new_qos(GST_OBJECT(self), TRUE, pts, pts, pts, stream.periodNs);
    gst_message_set_qos_stats(message, GST_FORMAT_BUFFERS, stream.processed, stream.dropped);
    gst_element_post_message(GST_ELEMENT(self), message);
}

// Rides out a lost camera: with reconnect, waits for it and starts it again
// with the same settings; without, ends the stream with an error.
GstFlowReturn HandleLoss(QuelixSrc* self, QuelixSrcState& state, int32_t code)
{
    bool reconnect;
    CameraSettings settings;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        reconnect = state.reconnect;
        settings = state.settings;
    }
    if (!reconnect) {
        GST_ELEMENT_ERROR(self, RESOURCE, READ, ("the camera was lost"),
                          ("the frames stopped with error %d; reconnect=true waits for the camera", code));
        return GST_FLOW_ERROR;
    }
    StreamState& stream = state.stream;
    if (!stream.lostAtNs) {
        stream.lostAtNs = MonotonicNs();
        GST_ELEMENT_WARNING(self, RESOURCE, READ, ("the camera was lost: waiting for it to return"),
                            ("the frames stopped with error %d", code));
    }
    for (;;) {
        if (state.flushing)
            return GST_FLOW_FLUSHING;
        bool woken = false;
        if (state.link.TryResume(settings, kResumeWaitMs, &woken)) {
            GST_ELEMENT_INFO(self, RESOURCE, READ, ("the camera is back"), (nullptr));
            // The camera counts its frames afresh after power-on.
            stream.haveSeen = false;
            return GST_FLOW_OK;
        }
    }
}

// Puts the latest frame into a buffer of the pool: nullptr with *result
// GST_FLOW_OK when the frame was dropped (every buffer is downstream).
GstBuffer* TakeFrame(QuelixSrc* self, QuelixSrcState& state, GstFlowReturn* result)
{
    StreamState& stream = state.stream;
    *result = GST_FLOW_OK;
    GstBuffer* buffer = nullptr;
    GstBufferPoolAcquireParams params{};
    params.flags = GST_BUFFER_POOL_ACQUIRE_FLAG_DONTWAIT;
    const GstFlowReturn acquired = gst_buffer_pool_acquire_buffer(stream.pool, &buffer, &params);
    if (acquired == GST_FLOW_EOS) {
        GST_DEBUG_OBJECT(self, "every buffer is held downstream: frame dropped");
        return nullptr;
    }
    if (acquired != GST_FLOW_OK) {
        *result = acquired;
        return nullptr;
    }
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
        gst_buffer_unref(buffer);
        *result = GST_FLOW_ERROR;
        return nullptr;
    }
    uint16_t trailer = 0;
    bool copied = state.link.CopyLatest(map.data, map.size, &trailer);
    if (copied) {
        const GstVideoInfo& info = stream.info;
        quelix::gst::AlignSamples(stream.mode, state.msbAlign, map.data,
                                  GST_VIDEO_INFO_PLANE_STRIDE(&info, 0),
                                  static_cast<size_t>(info.width) * GST_VIDEO_INFO_COMP_PSTRIDE(&info, 0),
                                  GST_VIDEO_INFO_HEIGHT(&info));
    }
    gst_buffer_unmap(buffer, &map);
    if (!copied) {
        gst_buffer_unref(buffer);
        GST_ELEMENT_ERROR(self, STREAM, FAILED, ("the camera's frame does not fit the negotiated caps"),
                          ("error %d", state.link.TakeError()));
        *result = GST_FLOW_ERROR;
        return nullptr;
    }
    if (stream.havePushed && !stream.lostAtNs && trailer == stream.lastPushed) {
        gst_buffer_unref(buffer);
        return nullptr;
    }
    stream.haveSeen = true;
    stream.lastSeen = trailer;

    uint64_t heldNs = 0;
    if (!state.link.HeldAt(trailer, &heldNs))
        heldNs = MonotonicNs();
    GstClockTime pts = RunningTimeOf(self, stream, heldNs);
    if (GST_CLOCK_TIME_IS_VALID(stream.lastPts) && pts <= stream.lastPts)
        pts = stream.lastPts + 1;

    guint64 missed = 0;
    guint64 offset;
    if (stream.lostAtNs) {
        // Back after a loss: the frames of the gap at the camera's rate.
        const uint64_t gapNs = MonotonicNs() - *stream.lostAtNs;
        missed = stream.periodNs > 0 ? gapNs / stream.periodNs : 0;
        offset = stream.havePushed ? stream.lastOffset + 1 + missed : trailer;
        stream.lostAtNs.reset();
    } else if (stream.havePushed) {
        const uint16_t step = static_cast<uint16_t>(trailer - stream.lastPushed);
        missed = step - 1u;
        offset = stream.lastOffset + step;
    } else {
        offset = trailer;
    }
    const bool discont = missed > 0 || !stream.havePushed;
    ++stream.processed;
    if (missed > 0)
        PostDrops(self, stream, pts, missed);

    stream.havePushed = true;
    stream.lastPushed = trailer;
    stream.lastOffset = offset;
    stream.lastPts = pts;
    if (!gst_base_src_get_do_timestamp(GST_BASE_SRC(self))) {
        GST_BUFFER_PTS(buffer) = pts;
        GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
    }
    GST_BUFFER_DURATION(buffer) = stream.periodNs > 0 ? stream.periodNs : GST_CLOCK_TIME_NONE;
    GST_BUFFER_OFFSET(buffer) = offset;
    GST_BUFFER_OFFSET_END(buffer) = offset + 1;
    if (discont)
        GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DISCONT);
    return buffer;
}

GstFlowReturn Create(GstPushSrc* push, GstBuffer** out)
{
    QuelixSrc* self = QUELIX_SRC(push);
    QuelixSrcState& state = State(push);
    std::lock_guard<std::mutex> streamGuard(state.streamLock);
    StreamState& stream = state.stream;
    if (stream.pool == nullptr)
        return GST_FLOW_NOT_NEGOTIATED;
    if (!state.link.Running() && stream.lostAtNs) {
        // Still waiting for a lost camera after a flush.
        if (const GstFlowReturn result = HandleLoss(self, state, 0); result != GST_FLOW_OK)
            return result;
    } else if (!state.link.Running()) {
        std::string error;
        bool started;
        {
            std::lock_guard<std::mutex> guard(state.lock);
            started = state.link.Start(stream.mode.bits, &error);
        }
        if (!started) {
            GST_ELEMENT_ERROR(self, RESOURCE, READ, ("%s", error.c_str()), (nullptr));
            return GST_FLOW_ERROR;
        }
    }
    for (;;) {
        if (state.flushing)
            return GST_FLOW_FLUSHING;
        const CameraEvent event = state.link.Next(1000);
        if (event.kind == CameraEvent::Lost) {
            if (const GstFlowReturn result = HandleLoss(self, state, event.code); result != GST_FLOW_OK)
                return result;
            continue;
        }
        // Announcements of frames already taken (the copy takes the latest) are passed over.
        if (event.kind != CameraEvent::Frame || (stream.haveSeen && event.trailer == stream.lastSeen))
            continue;
        GstFlowReturn result;
        if (GstBuffer* buffer = TakeFrame(self, state, &result)) {
            *out = buffer;
            return GST_FLOW_OK;
        }
        if (result != GST_FLOW_OK)
            return result;
    }
}

}  // namespace

static void quelix_src_class_init(QuelixSrcClass* klass)
{
    GObjectClass* objectClass = G_OBJECT_CLASS(klass);
    GstElementClass* elementClass = GST_ELEMENT_CLASS(klass);
    GstBaseSrcClass* baseClass = GST_BASE_SRC_CLASS(klass);
    GstPushSrcClass* pushClass = GST_PUSH_SRC_CLASS(klass);
    GST_DEBUG_CATEGORY_INIT(quelix_src_debug, "quelixsrc", 0, "Quelix 205KWMX camera source");

    objectClass->set_property = SetProperty;
    objectClass->get_property = GetProperty;
    objectClass->finalize = Finalize;
    const auto flags = static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS);
    const auto ready = static_cast<GParamFlags>(flags | GST_PARAM_MUTABLE_READY);
    const auto playing = static_cast<GParamFlags>(flags | GST_PARAM_MUTABLE_PLAYING);
    g_object_class_install_property(objectClass, PROP_DEVICE,
                                    g_param_spec_int("device", "Device", "Device number of the camera", 0,
                                                     QUELIX_MAX_DEVICES - 1, 0, ready));
    g_object_class_install_property(
        objectClass, PROP_EXPOSURE_US,
        g_param_spec_int(
            "exposure-us", "Exposure",
            "Exposure time in microseconds (in lines of the window width; the longest is 32767 lines)", 0,
            static_cast<gint>(quelix::gst::LongestExposureUs(QUELIX_SENSOR_WIDTH)), 3890, playing));
    g_object_class_install_property(
        objectClass, PROP_AUTO_EXPOSURE,
        g_param_spec_boolean("auto-exposure", "Automatic exposure",
                             "The camera sets its exposure from the image", FALSE, playing));
    g_object_class_install_property(
        objectClass, PROP_WINDOW,
        g_param_spec_string(
            "window", "Capture window",
            "Capture window on the 320 x 256 sensor as \"x,y,w,h\" (at least 4 x 4, even values)",
            "0,0,320,256", ready));
    g_object_class_install_property(objectClass, PROP_MIRROR_H,
                                    g_param_spec_boolean("mirror-h", "Mirror horizontally",
                                                         "Mirror the frames left to right", FALSE, playing));
    g_object_class_install_property(objectClass, PROP_MIRROR_V,
                                    g_param_spec_boolean("mirror-v", "Mirror vertically",
                                                         "Mirror the frames top to bottom", FALSE, playing));
    g_object_class_install_property(
        objectClass, PROP_MASK_FILE,
        g_param_spec_string("mask-file", "Mask file",
                            "Mask file whose references correct shading and repair defect pixels (none: off)",
                            nullptr, ready));
    g_object_class_install_property(
        objectClass, PROP_SIMULATE,
        g_param_spec_boolean(
            "simulate", "Simulate",
            "Start a simulated camera in this process when no camera is at the device number", FALSE, ready));
    g_object_class_install_property(objectClass, PROP_COLOR_MODE,
                                    g_param_spec_enum("color-mode", "Colour mode",
                                                      "Colour mode of the frames (auto: by caps negotiation)",
                                                      ColorModeType(), 0, ready));
    g_object_class_install_property(
        objectClass, PROP_MSB_ALIGN,
        g_param_spec_boolean("msb-align", "Align to the top bit",
                             "Shift 14-bit samples to full 16-bit scale (false: as the camera gives them)",
                             TRUE, playing));
    g_object_class_install_property(
        objectClass, PROP_RECONNECT,
        g_param_spec_boolean("reconnect", "Reconnect",
                             "Wait for a lost camera and resume (false: end the stream with an error)", TRUE,
                             playing));
    for (int i = 0; i < kFilterCount; ++i) {
        const quelix::gst::FilterProperty& filter = kFilterProperties[i];
        g_object_class_install_property(
            objectClass, PROP_FILTER_FIRST + i,
            g_param_spec_int(filter.name, filter.name, filter.blurb, filter.minimum, filter.maximum,
                             filter.neutral, playing));
    }

    gst_element_class_set_static_metadata(elementClass, "Quelix 205KWMX camera source", "Source/Video",
                                          "Live frames of a Quelix 205KWMX near-infrared USB camera",
                                          "Quelix SDK developers <sdk@quelix-camera.org>");
    GstCaps* templateCaps = quelix::gst::TemplateCaps();
    gst_element_class_add_pad_template(
        elementClass, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, templateCaps));
    gst_caps_unref(templateCaps);
    gst_type_mark_as_plugin_api(ColorModeType(), static_cast<GstPluginAPIFlags>(0));

    baseClass->get_caps = GetCaps;
    baseClass->set_caps = SetCaps;
    baseClass->decide_allocation = DecideAllocation;
    baseClass->query = Query;
    baseClass->start = Start;
    baseClass->stop = Stop;
    baseClass->unlock = Unlock;
    baseClass->unlock_stop = UnlockStop;
    pushClass->create = Create;
}

static void quelix_src_init(QuelixSrc* self)
{
    self->state = new QuelixSrcState;
    gst_base_src_set_live(GST_BASE_SRC(self), TRUE);
    gst_base_src_set_format(GST_BASE_SRC(self), GST_FORMAT_TIME);
}
