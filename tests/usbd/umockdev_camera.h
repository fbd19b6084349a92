// SPDX-License-Identifier: MIT
// A camera on a umockdev testbed: /dev/bus/usb and sysfs for libusb, and the
// usbdevfs requests of its device node answered here. Bulk URBs on the three
// endpoints go to an emulated USB camera (fake_usb_camera.h), which a
// simulated camera answers; image URBs wait on a thread of their own, so a
// frame read never holds up the command pipe. The process must run with
// umockdev's preload library (umockdev-wrapper).
#pragma once

#include <umockdev.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "fake_usb_camera.h"

namespace quelix::test {

class UmockdevCamera {
public:
    // The camera at bus 1, port `port` (device address port + 1), whose
    // endpoints reach the simulated camera's node `simulatedNode`.
    UmockdevCamera(UMockdevTestbed* testbed, int port, const std::string& simulatedNode);
    ~UmockdevCamera();
    UmockdevCamera(const UmockdevCamera&) = delete;
    UmockdevCamera& operator=(const UmockdevCamera&) = delete;

    // Adds the device to the testbed (a hotplug event when libusb runs).
    bool Plug(std::string& error);
    // Removes it: the remove event, and every URB in flight fails.
    void Unplug();
    FakeUsbCamera& Usb() { return *usb_; }
    // Another program holds interface 0: claiming it fails as busy.
    void HoldInterface() { interfaceHeld_ = true; }

private:
    struct Urb;
    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    bool Handle(UMockdevIoctlClient* client);
    bool Submit(UMockdevIoctlClient* client);
    bool Reap(UMockdevIoctlClient* client);
    bool Discard(UMockdevIoctlClient* client);
    void RunImageWorker();

    UMockdevTestbed* const testbed_;
    const int port_;
    const std::string simulatedNode_;
    const std::string sysPath_;
    const std::string devNode_;
    UMockdevIoctlBase* handler_ = nullptr;
    std::unique_ptr<FakeUsbCamera> usb_;
    bool plugged_ = false;
    std::atomic<bool> interfaceHeld_{false};

    std::mutex mutex_;  // guards the URB lists and stopping_
    std::condition_variable imageQueued_;
    std::deque<std::shared_ptr<Urb>> flying_;  // submitted, not yet done
    std::deque<std::shared_ptr<Urb>> done_;    // ready to be reaped
    std::deque<std::shared_ptr<Urb>> imageQueue_;
    bool stopping_ = false;
    std::thread imageWorker_;
};

}  // namespace quelix::test
