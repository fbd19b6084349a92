// SPDX-License-Identifier: MIT
// The element quelixsrc in a GstHarness against simulated cameras that run
// inside the test process, in the test's own device directory.
#pragma once

#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <string>

#include "sim_fixture.h"

namespace quelix::test {

class QuelixSrcTest : public SimulatedCameraTest {
protected:
    void TearDown() override;
    // A harness around a new quelixsrc with the properties of `properties`
    // ("name=value name=value", as gst-launch-1.0 takes them); its bus is Bus().
    GstHarness* Harness(const std::string& properties = "", const char* sinkCaps = nullptr);
    GstElement* Source() const { return harness_->element; }
    GstBus* Bus() const { return bus_; }
    // The next message of a type on the element's bus within 20 s; null when none came.
    GstMessage* WaitMessage(GstMessageType type);
    // The next buffer the element pushed (null after 60 s).
    GstBuffer* Pull();

    GstHarness* harness_ = nullptr;
    GstBus* bus_ = nullptr;
};

// The bytes of a buffer.
std::string BufferBytes(GstBuffer* buffer);
// The open file descriptors of the process.
int OpenFileDescriptors();

}  // namespace quelix::test
