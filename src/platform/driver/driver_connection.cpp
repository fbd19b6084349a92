// SPDX-License-Identifier: MIT
#include "platform/driver/driver_connection.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "platform/driver/device_liveness.h"
#include "platform/driver/driver_exchange.h"
#include "platform/driver/driver_wire.h"
#include "platform/driver/socket_io.h"

namespace quelix::platform {

namespace {

constexpr std::string_view kPathPrefix = "\\\\.\\";

// The node of `name`: in $QUELIX_DEVICE_DIR when it is set; else in the
// user's directory (DefaultDeviceDirectory) when the node is there, else in
// the system directory when it is there; else where the user's directory
// would hold it.
std::string FindNode(const std::string& name)
{
    const std::string own = driver_wire::DefaultDeviceDirectory() + "/" + name;
    const char* chosen = std::getenv("QUELIX_DEVICE_DIR");
    if (chosen != nullptr && chosen[0] != '\0')
        return own;
    const std::string system = std::string(driver_wire::kSystemDeviceDirectory) + "/" + name;
    struct stat status;
    if (lstat(own.c_str(), &status) != 0 && lstat(system.c_str(), &status) == 0)
        return system;
    return own;
}

using Clock = std::chrono::steady_clock;

// One driver handle: a connection to a device node. Its mutex serialises the
// requests on the handle. The socket is closed only when the last user lets
// go, so a request still running on another thread never sees its descriptor
// reused by an unrelated open. A connection whose byte stream broke is
// connected afresh onto the same descriptor number by its next request; so is
// the handle of a node that did not take the connection when it was opened,
// whose socket is not connected yet.
struct Connection {
    Connection(int socketFd, const sockaddr_un& nodeAddress, bool connected)
        : fd(socketFd), address(nodeAddress), node(nodeAddress.sun_path), broken(!connected)
    {
    }
    ~Connection() { close(fd); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const int fd;
    const sockaddr_un address;
    const std::string node;  // the device's node path: the key of its liveness
    std::mutex mutex;
    bool broken;        // guarded by mutex: the byte stream can no longer be trusted, or there is none yet
    bool gone = false;  // guarded by mutex: the node ended the connection; never connected again
    std::atomic<bool> closed{false};  // the handle was closed: never connected again
};

// The camera's transfer time-out when it powers on.
constexpr uint32_t kPowerOnTimeoutMs = 3000;
// How long past its own time-out a node may take to send a frame read's reply.
constexpr uint32_t kReplyGraceMs = 2000;
// Every other request (command and reply packets, the time-out setting) is
// answered at once by the camera; its reply may take this long.
constexpr uint32_t kControlReplyMs = 1000;
// A node takes a connection at once; a connect waits this long for it.
constexpr auto kConnectDeadline = std::chrono::milliseconds(1000);
// How often a connect tries again while the node's queue of waiting
// connections is full.
constexpr auto kConnectRetry = std::chrono::milliseconds(5);

struct ConnectionTable {
    std::mutex mutex;
    std::unordered_map<DriverHandle, std::shared_ptr<Connection>> connections;
    // The transfer time-out last set on each device node; it belongs to the
    // device, not to one handle.
    std::unordered_map<std::string, uint32_t> deviceTimeouts;
    DriverHandle lastHandle = 0x1000;  // handles count up in fours and are never reused
};

ConnectionTable& Table()
{
    static ConnectionTable table;
    return table;
}

uint32_t DeviceTimeout(const Connection& connection)
{
    ConnectionTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto found = table.deviceTimeouts.find(connection.address.sun_path);
    return found == table.deviceTimeouts.end() ? kPowerOnTimeoutMs : found->second;
}

void RecordDeviceTimeout(const Connection& connection, const void* input, uint32_t inputSize)
{
    if (inputSize != driver_wire::kTimeoutBlockSize)
        return;
    const uint32_t milliseconds = driver_wire::ReadLe32(static_cast<const uint8_t*>(input) + 4);
    ConnectionTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.deviceTimeouts[connection.address.sun_path] = milliseconds;
}

enum class ConnectResult { Connected, Refused, TimedOut };

// Connects `fd` to the node. The socket is non-blocking for the connect: a
// Unix socket whose node does not take connections (its queue of waiting
// ones is full) fails with EAGAIN, and the connect tries again until the
// deadline; a deadline already past makes it one try. Then the socket blocks
// again, as the exchanges expect. Anything else but success is a refusal:
// no node, nobody listening.
ConnectResult ConnectWithDeadline(int fd, const sockaddr_un& address, Clock::time_point deadline)
{
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)
        return ConnectResult::Refused;
    ConnectResult result = ConnectResult::Connected;
    while (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == EINTR)
            continue;
        const auto now = Clock::now();
        if (errno != EAGAIN || now >= deadline) {
            result = errno == EAGAIN ? ConnectResult::TimedOut : ConnectResult::Refused;
            break;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(kConnectRetry, deadline - now));
    }
    if (fcntl(fd, F_SETFL, flags) != 0)
        return ConnectResult::Refused;
    return result;
}

int NewSocket()
{
    return socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

// Replaces a broken connection's socket by a new connection to its node,
// under the same descriptor number. The caller holds the connection's mutex.
// A connect the node does not take in time tells that the device does not
// answer.
bool Reconnect(Connection& connection, Verdict& verdict)
{
    if (connection.closed || connection.gone)
        return false;
    const int fresh = NewSocket();
    if (fresh < 0)
        return false;
    const ConnectResult connected =
        ConnectWithDeadline(fresh, connection.address, Clock::now() + kConnectDeadline);
    if (connected == ConnectResult::TimedOut)
        verdict = Verdict::NotAnswering;
    const bool moved =
        connected == ConnectResult::Connected && dup3(fresh, connection.fd, O_CLOEXEC) == connection.fd;
    close(fresh);
    connection.broken = !moved;
    return moved;
}

std::shared_ptr<Connection> FindConnection(DriverHandle handle)
{
    ConnectionTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto found = table.connections.find(handle);
    return found == table.connections.end() ? nullptr : found->second;
}

// The socket address of the node a driver path names, or false when the
// path is not "\\.\NAME" with a plain file name that fits a socket address.
bool NodeAddress(const char* path, sockaddr_un& address)
{
    const std::string node = NodePath(path);
    if (node.empty() || node.size() >= sizeof(address.sun_path))
        return false;
    address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, node.c_str(), node.size() + 1);
    return true;
}

// Whether the peer has ended the connection (nothing more will come),
// rather than being late or sending what it should not.
bool PeerClosed(int fd)
{
    char byte;
    const ssize_t got = recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

}  // namespace

ExchangeResult ExchangeOnSocket(int fd, uint32_t code, const void* input, uint32_t inputSize, void* output,
                                uint32_t outputSize, uint32_t& bytesReturned, uint32_t timeoutMs)
{
    const auto* inputBytes = static_cast<const uint8_t*>(input);
    driver_wire::RequestHeader request{driver_wire::kRequestMagic, code, inputSize, outputSize, 0};
    if (driver_wire::CarriesOutput(code, inputBytes, inputSize))
        request.carriedLength = outputSize;
    iovec parts[] = {
        {&request, sizeof request}, {const_cast<void*>(input), inputSize}, {output, request.carriedLength}};
    // A frame read waits up to the driver's time-out (0: without limit);
    // every other request is answered at once.
    const bool frameRead = driver_wire::IsFrameRead(code, inputBytes, inputSize);
    SocketDeadline deadline;
    if (!frameRead)
        deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kControlReplyMs);
    else if (timeoutMs != 0)
        deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(uint64_t{timeoutMs} + kReplyGraceMs);
    driver_wire::ResponseHeader response{};
    if (!SendAll(fd, parts, 3) || !ReceiveExact(fd, &response, sizeof response, deadline))
        return PeerClosed(fd) ? ExchangeResult::Closed : ExchangeResult::Late;
    // A request that carried its buffer to the driver gets no data back; a
    // read cannot report more bytes moved than it delivered.
    const bool carried = request.carriedLength != 0;
    const bool wellFormed =
        response.magic == driver_wire::kResponseMagic && response.success <= 1 &&
        response.dataLength <= outputSize && response.bytesReturned <= outputSize &&
        (carried ? response.dataLength == 0 : response.bytesReturned <= response.dataLength);
    if (!wellFormed)
        return ExchangeResult::Malformed;
    if (!ReceiveExact(fd, output, response.dataLength, deadline))
        return PeerClosed(fd) ? ExchangeResult::Closed : ExchangeResult::Late;
    bytesReturned = response.bytesReturned;
    return response.success != 0 ? ExchangeResult::Succeeded : ExchangeResult::Failed;
}

std::string NodePath(const char* path)
{
    const std::string_view text = path != nullptr ? path : "";
    if (!text.starts_with(kPathPrefix))
        return {};
    const std::string_view name = text.substr(kPathPrefix.size());
    if (name.empty() || name.find('/') != std::string_view::npos)
        return {};
    return FindNode(std::string(name));
}

std::string DeviceDirectory()
{
    return driver_wire::DefaultDeviceDirectory();
}

DriverHandle OpenDriver(const char* path)
{
    try {
        sockaddr_un address;
        if (!NodeAddress(path, address))
            return kInvalidDriverHandle;
        const std::string node = address.sun_path;
        const int fd = NewSocket();
        if (fd < 0)
            return kInvalidDriverHandle;
        // A device that does not answer gets one try: a node that does not
        // take the connection at once gives a handle whose requests fail
        // until the device answers a probe again.
        DeviceLiveness& liveness = Liveness();
        const bool answering = liveness.Answering(node);
        const auto now = Clock::now();
        const ConnectResult connected =
            ConnectWithDeadline(fd, address, answering ? now + kConnectDeadline : now);
        if (connected == ConnectResult::Refused) {
            close(fd);
            return kInvalidDriverHandle;
        }
        if (connected == ConnectResult::TimedOut && answering)
            liveness.Report(node, Admission::Send, Verdict::NotAnswering, Clock::now());
        std::shared_ptr<Connection> connection;
        try {
            connection = std::make_shared<Connection>(fd, address, connected == ConnectResult::Connected);
        } catch (...) {
            close(fd);  // the connection owns the socket only once it exists
            throw;
        }
        ConnectionTable& table = Table();
        std::lock_guard lock(table.mutex);
        table.lastHandle += 4;
        table.connections.emplace(table.lastHandle, std::move(connection));
        return table.lastHandle;
    } catch (...) {
        return kInvalidDriverHandle;
    }
}

bool CloseDriver(DriverHandle handle)
{
    std::shared_ptr<Connection> connection;
    {
        ConnectionTable& table = Table();
        std::lock_guard lock(table.mutex);
        const auto found = table.connections.find(handle);
        if (found == table.connections.end())
            return false;
        connection = std::move(found->second);
        table.connections.erase(found);
    }
    // Wakes a request still blocked on the connection; it then fails.
    connection->closed = true;
    shutdown(connection->fd, SHUT_RDWR);
    return true;
}

namespace {

// What a request's end says about its device. A frame read that ran past
// the driver's time-out and its grace says nothing: the time-out it was
// given may be one another process has since changed on the device.
Verdict VerdictOf(ExchangeResult result, bool frameRead)
{
    switch (result) {
        case ExchangeResult::Succeeded:
        case ExchangeResult::Failed:
            return Verdict::Answered;
        case ExchangeResult::Malformed:
            return Verdict::NotAnswering;
        case ExchangeResult::Late:
            return frameRead ? Verdict::Undecided : Verdict::NotAnswering;
        case ExchangeResult::Closed:
            return Verdict::Undecided;
    }
    return Verdict::Undecided;
}

// One request on a connection whose mutex the caller holds: refused at once
// while its device does not answer, but for a probe.
bool RequestOnConnection(Connection& connection, uint32_t code, const void* input, uint32_t inputSize,
                         void* output, uint32_t outputSize, uint32_t& moved)
{
    const bool frameRead = driver_wire::IsFrameRead(code, static_cast<const uint8_t*>(input), inputSize);
    DeviceLiveness& liveness = Liveness();
    const Admission admitted = liveness.Admit(connection.node, !frameRead, Clock::now());
    if (admitted == Admission::Refuse)
        return false;
    Verdict verdict = Verdict::Undecided;
    bool succeeded = false;
    if (!connection.broken || Reconnect(connection, verdict)) {
        const ExchangeResult result = ExchangeOnSocket(connection.fd, code, input, inputSize, output,
                                                       outputSize, moved, DeviceTimeout(connection));
        if (result == ExchangeResult::Late || result == ExchangeResult::Malformed ||
            result == ExchangeResult::Closed) {
            // Whatever the node sends late belongs to this request: the
            // stream is dropped, and the next request connects afresh,
            // unless the node itself ended the connection (the device went
            // away: the handle stays dead, as a driver's handle would).
            connection.broken = true;
            connection.gone = result == ExchangeResult::Closed;
            shutdown(connection.fd, SHUT_RDWR);
            moved = 0;
        }
        succeeded = result == ExchangeResult::Succeeded;
        if (succeeded && code == driver_wire::kSetTimeout)
            RecordDeviceTimeout(connection, input, inputSize);
        verdict = VerdictOf(result, frameRead);
    }
    liveness.Report(connection.node, admitted, verdict, Clock::now());
    return succeeded;
}

}  // namespace

bool DeviceIoControl(DriverHandle handle, uint32_t code, const void* input, uint32_t inputSize, void* output,
                     uint32_t outputSize, uint32_t* bytesReturned)
{
    uint32_t moved = 0;
    bool succeeded = false;
    if ((input != nullptr || inputSize == 0) && (output != nullptr || outputSize == 0) &&
        inputSize <= driver_wire::kMaxInput && outputSize <= driver_wire::kMaxOutput) {
        try {
            if (const std::shared_ptr<Connection> connection = FindConnection(handle)) {
                std::lock_guard lock(connection->mutex);
                succeeded =
                    RequestOnConnection(*connection, code, input, inputSize, output, outputSize, moved);
            }
        } catch (...) {
            succeeded = false;
        }
    }
    if (bytesReturned != nullptr)
        *bytesReturned = moved;
    return succeeded;
}

}  // namespace quelix::platform
