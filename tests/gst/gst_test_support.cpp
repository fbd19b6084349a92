// SPDX-License-Identifier: MIT
#include "gst_test_support.h"

#include <filesystem>

namespace quelix::test {

void QuelixSrcTest::TearDown()
{
    if (harness_ != nullptr)
        gst_harness_teardown(harness_);
    if (bus_ != nullptr)
        gst_object_unref(bus_);
}

GstHarness* QuelixSrcTest::Harness(const std::string& properties, const char* sinkCaps)
{
    GstElement* element = gst_element_factory_make("quelixsrc", nullptr);
    EXPECT_NE(element, nullptr);
    if (element == nullptr)
        return nullptr;
    gchar** assignments = g_strsplit(properties.c_str(), " ", -1);
    for (gchar** assignment = assignments; *assignment != nullptr; ++assignment) {
        if (**assignment == '\0')
            continue;
        gchar** pair = g_strsplit(*assignment, "=", 2);
        gst_util_set_object_arg(G_OBJECT(element), pair[0], pair[1] != nullptr ? pair[1] : "");
        g_strfreev(pair);
    }
    g_strfreev(assignments);
    harness_ = gst_harness_new_with_element(element, nullptr, "src");
    gst_object_unref(element);
    bus_ = gst_bus_new();
    gst_element_set_bus(harness_->element, bus_);
    if (sinkCaps != nullptr)
        gst_harness_set_sink_caps_str(harness_, sinkCaps);
    return harness_;
}

GstMessage* QuelixSrcTest::WaitMessage(GstMessageType type)
{
    return gst_bus_timed_pop_filtered(bus_, 20 * GST_SECOND, type);
}

GstBuffer* QuelixSrcTest::Pull()
{
    return gst_harness_pull(harness_);
}

std::string BufferBytes(GstBuffer* buffer)
{
    std::string bytes(gst_buffer_get_size(buffer), '\0');
    gst_buffer_extract(buffer, 0, bytes.data(), bytes.size());
    return bytes;
}

int OpenFileDescriptors()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

}  // namespace quelix::test

// GStreamer with warnings and criticals fatal, as gst-check has them, and
// the plugin of this build loaded.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    gst_init(&argc, &argv);
    g_log_set_always_fatal(static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL));
    GError* error = nullptr;
    GstPlugin* plugin = gst_plugin_load_file(QUELIX_GST_PLUGIN, &error);
    if (plugin == nullptr) {
        g_printerr("cannot load %s: %s\n", QUELIX_GST_PLUGIN, error != nullptr ? error->message : "?");
        return 1;
    }
    gst_object_unref(plugin);
    const int result = RUN_ALL_TESTS();
    gst_deinit();
    return result;
}

// GLib allocates a block in its library constructor that it never frees;
// only allocations made while libraries load are let pass. GLib has no
// frame pointers, so leak stacks are taken by the slow unwinder, which
// sees the loader's frames below it.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:_dl_init\n";
}

extern "C" __attribute__((visibility("default"))) const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

// GLib's mutexes, conditions and reference counts are futexes and atomics
// that ThreadSanitizer does not see in the uninstrumented libraries, so
// memory handed from one of GStreamer's threads to another (a message, a
// buffer, an error) would look like a race where GLib frees it. The
// interceptors (malloc, free, memcpy, ...) are not checked when these
// libraries call them; every access of the plugin, the library and the
// simulated camera still is.
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions()
{
    return "called_from_lib:libglib-2.0.so\n"
           "called_from_lib:libgobject-2.0.so\n"
           "called_from_lib:libgstreamer-1.0.so\n"
           "called_from_lib:libgstbase-1.0.so\n"
           "called_from_lib:libgstvideo-1.0.so\n"
           "called_from_lib:libgstcheck-1.0.so\n";
}
