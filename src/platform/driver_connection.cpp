#include "platform/driver_connection.h"

#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "platform/driver_wire.h"
#include "platform/socket_io.h"

namespace quelix::platform {

namespace {

constexpr std::string_view kPathPrefix = "\\\\.\\";

// One driver handle: a connection to a device node. Its mutex serialises the
// requests on the handle. The socket is closed only when the last user lets
// go, so a request still running on another thread never sees its descriptor
// reused by an unrelated open.
struct Connection {
    explicit Connection(int socketFd) : fd(socketFd) {}
    ~Connection() { close(fd); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const int fd;
    std::mutex mutex;
    bool broken = false;  // guarded by mutex: the byte stream can no longer be trusted
};

struct ConnectionTable {
    std::mutex mutex;
    std::unordered_map<DriverHandle, std::shared_ptr<Connection>> connections;
    DriverHandle lastHandle = 0x1000;  // handles count up in fours and are never reused
};

ConnectionTable& Table()
{
    static ConnectionTable table;
    return table;
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
    if (path == nullptr)
        return false;
    const std::string_view text(path);
    if (!text.starts_with(kPathPrefix))
        return false;
    const std::string_view name = text.substr(kPathPrefix.size());
    if (name.empty() || name.find('/') != std::string_view::npos)
        return false;
    const std::string node = DeviceDirectory() + "/" + std::string(name);
    if (node.size() >= sizeof(address.sun_path))
        return false;
    address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, node.c_str(), node.size() + 1);
    return true;
}



// One request and its response on a connection whose mutex the caller holds.
bool Exchange(Connection& connection, uint32_t code, const void* input, uint32_t inputSize, void* output,
              uint32_t outputSize, uint32_t& bytesReturned)
{
    const auto* inputBytes = static_cast<const uint8_t*>(input);
    driver_wire::RequestHeader request{driver_wire::kRequestMagic, code, inputSize, outputSize, 0};
    if (driver_wire::CarriesOutput(code, inputBytes, inputSize))
        request.carriedLength = outputSize;
    iovec parts[] = {
        {&request, sizeof request}, {const_cast<void*>(input), inputSize}, {output, request.carriedLength}};
    driver_wire::ResponseHeader response{};
    if (!SendAll(connection.fd, parts, 3) || !ReceiveExact(connection.fd, &response, sizeof response) ||
        response.magic != driver_wire::kResponseMagic || response.dataLength > outputSize ||
        response.bytesReturned > outputSize || !ReceiveExact(connection.fd, output, response.dataLength)) {
        // A connection that failed mid-message, or a reply that claims more
        // than the request's buffer holds, cannot be trusted again.
        connection.broken = true;
        shutdown(connection.fd, SHUT_RDWR);
        return false;
    }
    bytesReturned = response.bytesReturned;
    return response.success != 0;
}

}  // namespace

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
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return kInvalidDriverHandle;
        auto connection = std::make_shared<Connection>(fd);
        int connected;
        do
            connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        while (connected != 0 && errno == EINTR);
        if (connected != 0)
            return kInvalidDriverHandle;
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
    shutdown(connection->fd, SHUT_RDWR);
    return true;
}

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
                if (!connection->broken)
                    succeeded = Exchange(*connection, code, input, inputSize, output, outputSize, moved);
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
