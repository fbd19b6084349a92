// SPDX-License-Identifier: MIT
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>

#include "platform/driver/driver_tcp_win.h"
#include "platform/driver/driver_wire.h"

namespace quelix::platform {

namespace {

namespace wire = driver_wire;
using Clock = std::chrono::steady_clock;
using Deadline = std::optional<Clock::time_point>;

constexpr uint32_t kPowerOnTimeoutMs = 3000;
constexpr uint32_t kReplyGraceMs = 2000;
constexpr uint32_t kControlReplyMs = 1000;
constexpr int kHighestDevice = 8;

bool StartWinsock()
{
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

bool SendAll(SOCKET socket, const void* data, size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const int sent = send(socket, bytes, static_cast<int>(size < (1u << 30) ? size : (1u << 30)), 0);
        if (sent <= 0)
            return false;
        bytes += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

bool WaitReadable(SOCKET socket, const Deadline& deadline)
{
    if (!deadline)
        return true;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    if (left <= 0)
        return false;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval wait{static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
    return select(0, &readable, nullptr, nullptr, &wait) > 0;
}

bool ReceiveExact(SOCKET socket, void* data, size_t size, const Deadline& deadline)
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        if (!WaitReadable(socket, deadline))
            return false;
        const int got = recv(socket, bytes, static_cast<int>(size < (1u << 30) ? size : (1u << 30)), 0);
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

SOCKET ConnectLoopback(uint16_t port)
{
    if (!StartWinsock())
        return INVALID_SOCKET;
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET)
        return INVALID_SOCKET;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closesocket(socket);
        return INVALID_SOCKET;
    }
    const BOOL noDelay = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    return socket;
}

// One driver handle's connection. The frame-read deadline follows the
// transfer time-out this connection last set (3000 ms until then).
class Connection final : public TcpDriverConnection {
public:
    Connection(SOCKET socket, uint16_t port) : socket_(socket), port_(port) {}
    ~Connection() override
    {
        if (socket_ != INVALID_SOCKET)
            closesocket(socket_);
    }

    bool Request(uint32_t code, const void* input, uint32_t inputSize, void* output, uint32_t outputSize,
                 uint32_t& bytesReturned) override
    {
        std::lock_guard lock(mutex_);
        bytesReturned = 0;
        if (shut_)
            return false;
        if (socket_ == INVALID_SOCKET)
            socket_ = ConnectLoopback(port_);
        const SOCKET socket = socket_;
        if (socket == INVALID_SOCKET)
            return false;
        const auto* inputBytes = static_cast<const uint8_t*>(input);
        wire::RequestHeader request{wire::kRequestMagic, code, inputSize, outputSize, 0};
        if (wire::CarriesOutput(code, inputBytes, inputSize))
            request.carriedLength = outputSize;
        Deadline deadline;
        if (!wire::IsFrameRead(code, inputBytes, inputSize))
            deadline = Clock::now() + std::chrono::milliseconds(kControlReplyMs);
        else if (timeoutMs_ != 0)
            deadline = Clock::now() + std::chrono::milliseconds(uint64_t{timeoutMs_} + kReplyGraceMs);
        wire::ResponseHeader response{};
        const bool exchanged = SendAll(socket, &request, sizeof request) &&
                               SendAll(socket, input, inputSize) &&
                               SendAll(socket, output, request.carriedLength) &&
                               ReceiveExact(socket, &response, sizeof response, deadline);
        const bool carried = request.carriedLength != 0;
        const bool wellFormed =
            exchanged && response.magic == wire::kResponseMagic && response.success <= 1 &&
            response.dataLength <= outputSize && response.bytesReturned <= outputSize &&
            (carried ? response.dataLength == 0 : response.bytesReturned <= response.dataLength);
        if (!wellFormed || !ReceiveExact(socket, output, response.dataLength, deadline)) {
            // The stream cannot be trusted again: the next request connects afresh.
            socket_ = INVALID_SOCKET;
            closesocket(socket);
            return false;
        }
        bytesReturned = response.bytesReturned;
        if (response.success != 0 && code == wire::kSetTimeout && inputSize == wire::kTimeoutBlockSize)
            timeoutMs_ = wire::ReadLe32(inputBytes + 4);
        return response.success != 0;
    }

    void Shut() override
    {
        shut_ = true;
        // Wakes a blocked receive without closing the socket under it.
        shutdown(socket_, SD_BOTH);
    }

private:
    std::mutex mutex_;  // serialises the requests; guards the fields below but shut_
    std::atomic<SOCKET> socket_;
    const uint16_t port_;
    uint32_t timeoutMs_ = kPowerOnTimeoutMs;
    std::atomic<bool> shut_{false};
};

}  // namespace

uint16_t TcpDriverBasePort()
{
    const char* text = std::getenv("QUELIX_DRIVER_TCP_PORT");
    if (text == nullptr || *text == '\0')
        return 0;
    char* end = nullptr;
    const long port = std::strtol(text, &end, 10);
    return *end == '\0' && port > 0 && port + kHighestDevice <= 65535 ? static_cast<uint16_t>(port) : 0;
}

std::unique_ptr<TcpDriverConnection> ConnectTcpDriver(std::string_view deviceName, uint16_t basePort)
{
    const std::string prefix = std::string(wire::kDeviceBaseName) + "-";
    if (basePort == 0 || deviceName.size() != prefix.size() + 1 || !deviceName.starts_with(prefix))
        return nullptr;
    const char digit = deviceName.back();
    if (digit < '0' || digit > '0' + kHighestDevice)
        return nullptr;
    const uint16_t port = static_cast<uint16_t>(basePort + (digit - '0'));
    const SOCKET socket = ConnectLoopback(port);
    if (socket == INVALID_SOCKET)
        return nullptr;
    return std::make_unique<Connection>(socket, port);
}

}  // namespace quelix::platform
