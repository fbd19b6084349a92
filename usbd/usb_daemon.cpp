// SPDX-License-Identifier: MIT
#include "usbd/usb_daemon.h"

#include <libusb.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "usbd/camera_service.h"
#include "usbd/device_directory.h"
#include "usbd/libusb_port.h"
#include "usbd/log.h"
#include "usbd/usb_devices.h"

namespace quelix::usbd {

namespace {

struct HotplugEvent {
    libusb_device* device = nullptr;  // referenced until the event is carried out
    bool arrived = false;
    bool stop = false;
};

class Daemon {
public:
    Daemon(libusb_context* context, const DaemonSettings& settings)
        : context_(context), settings_(settings), service_(settings.directory, settings.group)
    {
    }

    void Push(HotplugEvent event)
    {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
        changed_.notify_one();
    }

    // Carries out events until a stop event.
    void Work()
    {
        for (;;) {
            HotplugEvent event;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return !events_.empty(); });
                event = events_.front();
                events_.pop_front();
            }
            if (event.stop) {
                DropQueuedEvents();
                break;
            }
            if (event.arrived)
                Arrive(event.device);
            else
                Leave(event.device);
            libusb_unref_device(event.device);
        }
        // Every node goes before its handle closes.
        while (!cameras_.empty())
            Leave(cameras_.begin()->first);
    }

private:
    // Events that came after the stop: their devices are let go unvisited.
    void DropQueuedEvents()
    {
        std::lock_guard lock(mutex_);
        for (const HotplugEvent& event : events_)
            if (event.device != nullptr)
                libusb_unref_device(event.device);
        events_.clear();
    }

    static std::string Key(libusb_device* device)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%p", static_cast<void*>(device));
        return text;
    }

    void Arrive(libusb_device* device)
    {
        if (cameras_.contains(device))
            return;
        std::string error;
        const std::optional<UsbDeviceInfo> info = DescribeDevice(device, error);
        if (!info) {
            Log("device on bus " + std::to_string(libusb_get_bus_number(device)) + " skipped: " + error);
            return;
        }
        if (!IsCamera(settings_.ids, info->id, info->product))
            return;
        const std::string label = DeviceLabel(*info);
        std::string why = "interface 0 is missing";
        const std::optional<PipeMap> pipes =
            info->hasInterface0 ? MapPipes(info->interface0, why) : std::optional<PipeMap>();
        if (!pipes) {
            Log(label + ": not served: " + why);
            return;
        }
        std::unique_ptr<LibusbCamera> camera = OpenCamera(context_, device, error);
        if (camera == nullptr) {
            Log(label + ": not served: " + error);
            return;
        }
        if (service_.Add(Key(device), DeviceIdentity(*info), camera->Port(), *pipes, label) < 0) {
            CloseCamera(*camera);
            return;
        }
        libusb_ref_device(device);
        cameras_[device] = std::move(camera);
    }

    void Leave(libusb_device* device)
    {
        const auto found = cameras_.find(device);
        if (found == cameras_.end())
            return;
        service_.Remove(Key(device));
        CloseCamera(*found->second);
        cameras_.erase(found);
        libusb_unref_device(device);
    }

    libusb_context* const context_;
    const DaemonSettings settings_;
    CameraService service_;                                            // worker thread only
    std::map<libusb_device*, std::unique_ptr<LibusbCamera>> cameras_;  // worker thread only
    std::mutex mutex_;                                                 // guards events_
    std::condition_variable changed_;
    std::deque<HotplugEvent> events_;
};

int LIBUSB_CALL OnHotplug(libusb_context*, libusb_device* device, libusb_hotplug_event event, void* daemon)
{
    // The callback runs inside libusb's event handling: the worker does the rest.
    libusb_ref_device(device);
    static_cast<Daemon*>(daemon)->Push({device, event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED, false});
    return 0;
}

}  // namespace

int RunDaemon(const DaemonSettings& settings, const sigset_t& stopSignals)
{
    std::string error;
    if (!PrepareDirectory(settings.directory, settings.group, error)) {
        Log(error);
        return 1;
    }
    libusb_context* context = nullptr;
    if (const int status = libusb_init(&context); status != 0) {
        Log(std::string("cannot start libusb: ") + libusb_strerror(status));
        return 1;
    }
    if (libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) == 0) {
        Log("this libusb has no hotplug support");
        libusb_exit(context);
        return 1;
    }
    int exitStatus = 0;
    {
        Daemon daemon(context, settings);
        std::thread worker([&daemon] { daemon.Work(); });
        libusb_hotplug_callback_handle callback;
        const int registered = libusb_hotplug_register_callback(
            context,
            libusb_hotplug_event(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT),
            LIBUSB_HOTPLUG_ENUMERATE, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY,
            LIBUSB_HOTPLUG_MATCH_ANY, OnHotplug, &daemon, &callback);
        std::atomic<bool> stopping{false};
        std::thread events;
        if (registered != 0) {
            Log(std::string("cannot follow hotplug: ") + libusb_strerror(registered));
            exitStatus = 1;
        } else {
            events = std::thread([&] {
                while (!stopping) {
                    timeval wait{0, 200000};
                    libusb_handle_events_timeout_completed(context, &wait, nullptr);
                }
            });
            Log("serving cameras in " + settings.directory);
            int received = 0;
            sigwait(&stopSignals, &received);
            Log("stopping");
            libusb_hotplug_deregister_callback(context, callback);
        }
        daemon.Push({nullptr, false, true});
        worker.join();  // the nodes go while events are still handled for transfers in flight
        stopping = true;
        if (events.joinable())
            events.join();
    }
    libusb_exit(context);
    return exitStatus;
}

int ListDevices(const std::vector<UsbId>& ids)
{
    libusb_context* context = nullptr;
    if (const int status = libusb_init(&context); status != 0) {
        Log(std::string("cannot start libusb: ") + libusb_strerror(status));
        return 1;
    }
    libusb_device** devices = nullptr;
    const ssize_t count = libusb_get_device_list(context, &devices);
    if (count < 0) {
        Log(std::string("cannot list USB devices: ") + libusb_strerror(int(count)));
        libusb_exit(context);
        return 1;
    }
    int shown = 0;
    for (ssize_t i = 0; i < count; ++i) {
        std::string error;
        const std::optional<UsbDeviceInfo> info = DescribeDevice(devices[i], error);
        std::string why;
        if (!info || !info->hasInterface0 || !MapPipes(info->interface0, why))
            continue;
        const auto shown_or_unknown = [](const std::string& text) { return text.empty() ? "?" : text; };
        std::printf("%s  %s  manufacturer \"%s\"  product \"%s\"  serial \"%s\"%s\n", info->busPath.c_str(),
                    FormatUsbId(info->id).c_str(), shown_or_unknown(info->manufacturer).c_str(),
                    shown_or_unknown(info->product).c_str(), shown_or_unknown(info->serial).c_str(),
                    IsCamera(ids, info->id, info->product) ? "  (served)" : "");
        ++shown;
    }
    libusb_free_device_list(devices, 1);
    libusb_exit(context);
    if (shown == 0)
        Log("no attached USB device has the camera's three bulk pipes on interface 0");
    return 0;
}

}  // namespace quelix::usbd
