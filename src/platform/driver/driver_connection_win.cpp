// SPDX-License-Identifier: MIT
// The driver on Windows: the camera's kernel driver opened by its path and
// driven with DeviceIoControl, or the TCP test back end when
// $QUELIX_DRIVER_TCP_PORT is set. Handles are the library's own numbers,
// never reused, so that a stale handle is refused instead of reaching
// another device.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "platform/driver/driver_connection.h"
#include "platform/driver/driver_system_calls_win.h"
#include "platform/driver/driver_tcp_win.h"
#include "platform/driver/driver_wire.h"

namespace quelix::platform {

namespace {

constexpr std::string_view kPathPrefix = "\\\\.\\";

// A handle of the kernel driver or a TCP connection, never both.
struct Channel {
    HANDLE device = INVALID_HANDLE_VALUE;
    std::unique_ptr<TcpDriverConnection> tcp;
    ~Channel()
    {
        if (device != INVALID_HANDLE_VALUE)
            SystemCalls().closeHandle(device);
    }
};

struct ChannelTable {
    std::mutex mutex;
    std::unordered_map<DriverHandle, std::shared_ptr<Channel>> channels;
    DriverHandle lastHandle = 0x1000;  // handles count up in fours and are never reused
};

ChannelTable& Table()
{
    static ChannelTable table;
    return table;
}

// The device name of "\\.\NAME", or empty for another path.
std::string_view DeviceName(const char* path)
{
    const std::string_view text = path != nullptr ? path : "";
    if (!text.starts_with(kPathPrefix))
        return {};
    const std::string_view name = text.substr(kPathPrefix.size());
    if (name.empty() || name.size() > 200 || name.find_first_of("\\/") != std::string_view::npos)
        return {};
    return name;
}

}  // namespace

DriverSystemCalls& SystemCalls()
{
    static DriverSystemCalls calls;
    return calls;
}

DriverHandle OpenDriver(const char* path)
{
    try {
        const std::string_view name = DeviceName(path);
        if (name.empty())
            return kInvalidDriverHandle;
        auto channel = std::make_shared<Channel>();
        if (const uint16_t port = TcpDriverBasePort(); port != 0) {
            channel->tcp = ConnectTcpDriver(name, port);
            if (channel->tcp == nullptr)
                return kInvalidDriverHandle;
        } else {
            // As the driver is opened by its own software: write access, shared with other writers.
            channel->device = SystemCalls().createFile(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (channel->device == INVALID_HANDLE_VALUE)
                return kInvalidDriverHandle;
        }
        ChannelTable& table = Table();
        std::lock_guard lock(table.mutex);
        table.lastHandle += 4;
        table.channels.emplace(table.lastHandle, std::move(channel));
        return table.lastHandle;
    } catch (...) {
        return kInvalidDriverHandle;
    }
}

bool CloseDriver(DriverHandle handle)
{
    std::shared_ptr<Channel> channel;
    {
        ChannelTable& table = Table();
        std::lock_guard lock(table.mutex);
        const auto found = table.channels.find(handle);
        if (found == table.channels.end())
            return false;
        channel = std::move(found->second);
        table.channels.erase(found);
    }
    // A request still blocked on the handle fails; the handle itself is
    // closed when its last request has let go of it.
    if (channel->tcp != nullptr)
        channel->tcp->Shut();
    else
        CancelIoEx(channel->device, nullptr);
    return true;
}

bool DeviceIoControl(DriverHandle handle, uint32_t code, const void* input, uint32_t inputSize, void* output,
                     uint32_t outputSize, uint32_t* bytesReturned)
{
    uint32_t moved = 0;
    bool succeeded = false;
    if ((input != nullptr || inputSize == 0) && (output != nullptr || outputSize == 0) &&
        inputSize <= driver_wire::kMaxInput && outputSize <= driver_wire::kMaxOutput) {
        std::shared_ptr<Channel> channel;
        {
            ChannelTable& table = Table();
            std::lock_guard lock(table.mutex);
            if (const auto found = table.channels.find(handle); found != table.channels.end())
                channel = found->second;
        }
        if (channel != nullptr && channel->tcp != nullptr) {
            succeeded = channel->tcp->Request(code, input, inputSize, output, outputSize, moved);
        } else if (channel != nullptr) {
            DWORD returned = 0;
            succeeded = SystemCalls().deviceIoControl(channel->device, code, const_cast<void*>(input),
                                                      inputSize, output, outputSize, &returned, nullptr) != 0;
            // A driver never reports more than the buffer held.
            moved = returned <= outputSize ? returned : 0;
            succeeded = succeeded && returned <= outputSize;
        }
    }
    if (bytesReturned != nullptr)
        *bytesReturned = moved;
    return succeeded;
}

}  // namespace quelix::platform
