// A device node that answers with a short, malformed or oversized reply: the
// request fails within the driver's time-out, the connection is dropped, and
// the next request on the handle connects afresh.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "QuelixSdk_205KWMX.h"
#include "platform/driver_connection.h"
#include "platform/driver_wire.h"
#include "raw_driver_requests.h"
#include "sim/unix_socket.h"
#include "test_environment.h"

namespace quelix::test {
namespace {

using Clock = std::chrono::steady_clock;

// A stand-in for device 0's node that answers every request it reads with
// the bytes `reply` gives for it, then keeps the connection open and silent.
class HostileNode {
public:
    using Reply = std::function<std::vector<uint8_t>(const driver_wire::RequestHeader&)>;

    explicit HostileNode(Reply reply) : reply_(std::move(reply))
    {
        const std::string directory = platform::DeviceDirectory();
        std::filesystem::create_directories(directory);
        std::string error;
        listenFd_ = sim::ListenAt(directory + "/" + driver_wire::kDeviceBaseName + "-0", error);
        EXPECT_GE(listenFd_, 0) << error;
        thread_ = std::thread([this] { Serve(); });
    }
    ~HostileNode()
    {
        stop_ = true;
        thread_.join();
        for (int fd : clients_)
            close(fd);
        close(listenFd_);
    }

    int Connections() const { return connections_; }

private:
    void Serve()
    {
        while (!stop_) {
            std::vector<pollfd> watched{{listenFd_, POLLIN, 0}};
            for (int fd : clients_)
                watched.push_back({fd, POLLIN, 0});
            if (poll(watched.data(), watched.size(), 20) <= 0)
                continue;
            if (watched[0].revents & POLLIN) {
                clients_.push_back(accept(listenFd_, nullptr, nullptr));
                ++connections_;
            }
            for (size_t i = 1; i < watched.size(); ++i)
                if (watched[i].revents & POLLIN)
                    Answer(watched[i].fd);
        }
    }

    void Answer(int fd)
    {
        driver_wire::RequestHeader request{};
        if (!sim::ReceiveExact(fd, &request, sizeof request))
            return;
        std::vector<uint8_t> body(std::min<uint32_t>(request.inputLength + request.carriedLength, 1 << 20));
        if (!sim::ReceiveExact(fd, body.data(), body.size()))
            return;
        std::vector<uint8_t> bytes = reply_(request);
        iovec part{bytes.data(), bytes.size()};
        sim::SendAll(fd, &part, 1);
    }

    Reply reply_;
    int listenFd_ = -1;
    std::vector<int> clients_;
    std::atomic<int> connections_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::vector<uint8_t> Bytes(const driver_wire::ResponseHeader& header, size_t extra = 0)
{
    std::vector<uint8_t> bytes(sizeof header + extra, 0x5A);
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

bool ReadReplyPipe(DriverHandle handle, uint32_t& moved)
{
    const uint32_t pipe = driver_wire::kReplyPipe;
    uint8_t packet[64];
    return platform::DeviceIoControl(handle, driver_wire::kPipeTransferIn, &pipe, 4, packet, sizeof packet,
                                     &moved);
}

TEST(HostileNode, MalformedRepliesFailTheRequestAndTheNextOneConnectsAfresh)
{
    ScopedTestEnvironment environment;
    const std::vector<std::vector<uint8_t>> replies = {
        Bytes({0xDEADBEEF, 1, 0, 0}),                        // wrong magic
        Bytes({driver_wire::kResponseMagic, 1, 0, 65}, 65),  // more data than asked for
        Bytes({driver_wire::kResponseMagic, 1, 65, 0}),      // more moved than the buffer holds
        Bytes({driver_wire::kResponseMagic, 1, 64, 8}, 8),   // a read claims more than it sent
        Bytes({driver_wire::kResponseMagic, 7, 0, 0}),       // a success flag that is neither
    };
    for (const std::vector<uint8_t>& reply : replies) {
        HostileNode node([&reply](const auto&) { return reply; });
        OpenDevice device;
        ASSERT_TRUE(device.Valid());
        uint32_t moved = 99;
        EXPECT_FALSE(ReadReplyPipe(device.Handle(), moved));
        EXPECT_EQ(moved, 0u);
        EXPECT_FALSE(ReadReplyPipe(device.Handle(), moved));
        EXPECT_EQ(node.Connections(), 2) << "the broken connection was opened afresh";
    }
}

TEST(HostileNode, AShortReplyFailsWithinTheDriverTimeout)
{
    ScopedTestEnvironment environment;
    HostileNode node([](const auto&) { return std::vector<uint8_t>{1, 2, 3, 4, 5}; });
    OpenDevice device;
    ASSERT_TRUE(device.Valid());
    const auto start = Clock::now();
    uint32_t moved = 99;
    EXPECT_FALSE(ReadReplyPipe(device.Handle(), moved));
    const auto waited = Clock::now() - start;
    EXPECT_LT(waited, std::chrono::seconds(10)) << "the wait has a deadline";
    EXPECT_EQ(moved, 0u);
}

TEST(HostileNode, ACameraOnANodeThatAnswersGarbageInitialisesAndStops)
{
    ScopedTestEnvironment environment;
    HostileNode node([](const auto&) { return Bytes({0x51585251, 1, 0, 0}); });
    const int32_t camera = Quelix_Initialize(nullptr);
    ASSERT_NE(camera, 0);
    Quelix_StartPreview(camera);
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
    EXPECT_EQ(Quelix_Release(camera), 1);
}

}  // namespace
}  // namespace quelix::test
