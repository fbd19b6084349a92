// SPDX-License-Identifier: MIT
// Device nodes that answer badly or not at all: a late, short, malformed or
// oversized reply fails its request within the deadline; the device then
// counts as not answering, so every further request on any of its handles
// fails at once until a probe (at most one a second) is answered again; a
// node that takes no connection costs a connect deadline, not a hang.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "QuelixSdk_205KWMX.h"
#include "platform/driver/device_liveness.h"
#include "platform/driver/driver_connection.h"
#include "platform/driver/driver_wire.h"
#include "raw_driver_requests.h"
#include "sim/unix_socket.h"
#include "sim_fixture.h"
#include "test_environment.h"

namespace quelix::test {
namespace {

using Clock = std::chrono::steady_clock;
using platform::Admission;
using platform::DeviceLiveness;
using platform::Verdict;

constexpr int kExposureId = 18;
constexpr auto kCallBound = std::chrono::seconds(2);
// Less than one deadline: what a request that is refused at once takes.
constexpr auto kAtOnce = std::chrono::seconds(1);

std::string NodePath()
{
    return platform::DeviceDirectory() + "/" + driver_wire::kDeviceBaseName + "-0";
}

// A stand-in for device 0's node that reads every request and answers it
// with the bytes `reply` gives for it (none: it never answers), keeping the
// connection open.
class HostileNode {
public:
    using Reply = std::function<std::vector<uint8_t>(const driver_wire::RequestHeader&)>;

    explicit HostileNode(Reply reply) : reply_(std::move(reply))
    {
        std::filesystem::create_directories(platform::DeviceDirectory());
        std::string error;
        listenFd_ = sim::ListenAt(NodePath(), error);
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
    int Requests() const { return requests_; }

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
            for (size_t i = 1; i < watched.size(); ++i) {
                if ((watched[i].revents & (POLLIN | POLLHUP)) && !Answer(watched[i].fd)) {
                    close(watched[i].fd);
                    std::erase(clients_, watched[i].fd);
                }
            }
        }
    }

    // false when the library has dropped the connection.
    bool Answer(int fd)
    {
        driver_wire::RequestHeader request{};
        if (!sim::ReceiveExact(fd, &request, sizeof request))
            return false;
        std::vector<uint8_t> body(std::min<uint32_t>(request.inputLength + request.carriedLength, 1 << 20));
        if (!sim::ReceiveExact(fd, body.data(), body.size()))
            return false;
        ++requests_;
        std::vector<uint8_t> bytes = reply_(request);
        iovec part{bytes.data(), bytes.size()};
        sim::SendAll(fd, &part, 1);
        return true;
    }

    Reply reply_;
    int listenFd_ = -1;
    std::vector<int> clients_;
    std::atomic<int> connections_{0};
    std::atomic<int> requests_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A node whose server has stopped taking connections: its queue of waiting
// connections is full, so a blocking connect to it would wait forever.
class FullBacklogNode {
public:
    FullBacklogNode()
    {
        std::filesystem::create_directories(platform::DeviceDirectory());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, NodePath().c_str(), sizeof address.sun_path - 1);
        listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        EXPECT_EQ(bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(listenFd_, 0), 0);
        for (;;) {
            const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
                full_ = errno == EAGAIN;
                close(fd);
                break;
            }
            waiting_.push_back(fd);
        }
    }
    ~FullBacklogNode()
    {
        for (int fd : waiting_)
            close(fd);
        close(listenFd_);
        unlink(NodePath().c_str());
    }

    // Whether a further connect is held back (a non-blocking one fails with EAGAIN).
    bool Full() const { return full_; }

private:
    int listenFd_ = -1;
    std::vector<int> waiting_;
    bool full_ = false;
};

std::vector<uint8_t> Bytes(const driver_wire::ResponseHeader& header, size_t extra = 0)
{
    std::vector<uint8_t> bytes(sizeof header + extra, 0x5A);
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

std::vector<uint8_t> GoodWriteReply()
{
    return Bytes({driver_wire::kResponseMagic, 1, 64, 0});
}

bool ReadReplyPipe(DriverHandle handle, uint32_t& moved)
{
    const uint32_t pipe = driver_wire::kReplyPipe;
    uint8_t packet[64];
    return platform::DeviceIoControl(handle, driver_wire::kPipeTransferIn, &pipe, 4, packet, sizeof packet,
                                     &moved);
}

// How long a call took, for the liveness bound of a call on a dead device.
template <class Call>
auto Timed(Clock::duration& took, Call&& call)
{
    const auto start = Clock::now();
    const auto result = call();
    took = Clock::now() - start;
    return result;
}

TEST(DeviceLivenessRecord, ANodeThatStopsAnsweringIsProbedAtMostOnceASecondUntilItAnswers)
{
    DeviceLiveness liveness;
    const Clock::time_point t0{};
    const auto at = [t0](int milliseconds) { return t0 + std::chrono::milliseconds(milliseconds); };
    EXPECT_EQ(liveness.Admit("a", true, at(0)), Admission::Send);
    EXPECT_EQ(liveness.Admit("a", false, at(0)), Admission::Send) << "a frame read goes out while it answers";

    liveness.Report("a", Admission::Send, Verdict::NotAnswering, at(0));
    EXPECT_FALSE(liveness.Answering("a"));
    EXPECT_TRUE(liveness.Answering("b")) << "each device on its own";
    EXPECT_EQ(liveness.Admit("b", true, at(1)), Admission::Send);
    EXPECT_EQ(liveness.Admit("a", true, at(1)), Admission::Refuse);
    EXPECT_EQ(liveness.Admit("a", true, at(999)), Admission::Refuse);
    EXPECT_EQ(liveness.Admit("a", false, at(5000)), Admission::Refuse) << "a frame read never probes";

    EXPECT_EQ(liveness.Admit("a", true, at(1000)), Admission::Probe);
    EXPECT_EQ(liveness.Admit("a", true, at(3000)), Admission::Refuse) << "one probe at a time";
    // A request let through before the device went quiet ends meanwhile:
    // the probe is still the one in flight.
    liveness.Report("a", Admission::Send, Verdict::Undecided, at(1500));
    EXPECT_EQ(liveness.Admit("a", true, at(3000)), Admission::Refuse);
    liveness.Report("a", Admission::Probe, Verdict::NotAnswering, at(2000));
    EXPECT_EQ(liveness.Admit("a", true, at(2999)), Admission::Refuse)
        << "a second after the failed probe ended";
    EXPECT_EQ(liveness.Admit("a", true, at(3000)), Admission::Probe);
    liveness.Report("a", Admission::Probe, Verdict::Undecided, at(3100));
    EXPECT_EQ(liveness.Admit("a", true, at(3500)), Admission::Refuse) << "a probe that told nothing is spent";
    EXPECT_EQ(liveness.Admit("a", true, at(4100)), Admission::Probe);
    liveness.Report("a", Admission::Probe, Verdict::Answered, at(4150));
    EXPECT_TRUE(liveness.Answering("a"));
    EXPECT_EQ(liveness.Admit("a", false, at(4151)), Admission::Send);
    EXPECT_EQ(liveness.Admit("a", true, at(4151)), Admission::Send);
}

TEST(HostileNode, AMalformedReplyFailsTheRequestAndEveryHandleOfTheDeviceFailsAtOnce)
{
    const std::vector<std::vector<uint8_t>> replies = {
        Bytes({0xDEADBEEF, 1, 0, 0}),                        // wrong magic
        Bytes({driver_wire::kResponseMagic, 1, 0, 65}, 65),  // more data than asked for
        Bytes({driver_wire::kResponseMagic, 1, 65, 0}),      // more moved than the buffer holds
        Bytes({driver_wire::kResponseMagic, 1, 64, 8}, 8),   // a read claims more than it sent
        Bytes({driver_wire::kResponseMagic, 7, 0, 0}),       // a success flag that is neither
    };
    for (const std::vector<uint8_t>& reply : replies) {
        ScopedTestEnvironment environment;  // a device of its own, answering until now
        HostileNode node([&reply](const auto&) { return reply; });
        OpenDevice first;
        OpenDevice second;
        ASSERT_TRUE(first.Valid());
        ASSERT_TRUE(second.Valid());
        uint32_t moved = 99;
        EXPECT_FALSE(ReadReplyPipe(first.Handle(), moved));
        EXPECT_EQ(moved, 0u);
        moved = 99;
        EXPECT_FALSE(ReadReplyPipe(second.Handle(), moved));
        EXPECT_FALSE(ReadReplyPipe(first.Handle(), moved));
        EXPECT_EQ(moved, 0u);
        EXPECT_EQ(node.Requests(), 1) << "the device counts as not answering: nothing more is sent";
    }
}

TEST(HostileNode, AShortReplyFailsWithinTheDeadline)
{
    ScopedTestEnvironment environment;
    HostileNode node([](const auto&) { return std::vector<uint8_t>{1, 2, 3, 4, 5}; });
    OpenDevice device;
    ASSERT_TRUE(device.Valid());
    uint32_t moved = 99;
    Clock::duration took{};
    EXPECT_FALSE(Timed(took, [&] { return ReadReplyPipe(device.Handle(), moved); }));
    EXPECT_LT(took, kCallBound) << "a control reply is awaited one second";
    EXPECT_EQ(moved, 0u);
}

TEST(HostileNode, ADeviceThatAnswersAgainIsFoundByAProbeAndItsHandlesConnectAfresh)
{
    ScopedTestEnvironment environment;
    std::atomic<bool> answering{false};
    HostileNode node([&answering](const auto&) {
        return answering ? GoodWriteReply() : Bytes({0xDEADBEEF, 1, 0, 0});
    });
    OpenDevice device;
    const uint32_t pipe = driver_wire::kCommandPipe;
    uint8_t packet[64] = {0x25, 7, 1};
    const auto write = [&] {
        return platform::DeviceIoControl(device.Handle(), driver_wire::kPipeTransferIn, &pipe, 4, packet,
                                         sizeof packet, nullptr);
    };
    EXPECT_FALSE(write());
    answering = true;
    EXPECT_FALSE(write()) << "not probed yet";
    EXPECT_EQ(node.Requests(), 1);
    const auto limit = Clock::now() + std::chrono::seconds(10);
    while (!write() && Clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(node.Requests(), 2) << "one probe, answered";
    EXPECT_EQ(node.Connections(), 2) << "the probe connected afresh";
    EXPECT_TRUE(write());
    OpenDevice other;
    uint32_t moved = 0;
    EXPECT_TRUE(platform::DeviceIoControl(other.Handle(), driver_wire::kPipeTransferIn, &pipe, 4, packet,
                                          sizeof packet, &moved));
    EXPECT_EQ(moved, 64u);
}

TEST(HostileNode, ANodeThatTakesNoConnectionCostsOneConnectDeadline)
{
    ScopedTestEnvironment environment;
    FullBacklogNode node;
    ASSERT_TRUE(node.Full());
    Clock::duration took{};
    const DriverHandle handle = Timed(took, [] { return platform::OpenDriver(DriverPath(0).c_str()); });
    EXPECT_LT(took, kCallBound);
    ASSERT_NE(handle, platform::kInvalidDriverHandle) << "the node is there: its handle fails its requests";
    uint32_t moved = 99;
    EXPECT_FALSE(Timed(took, [&] { return ReadReplyPipe(handle, moved); }));
    EXPECT_LT(took, kAtOnce) << "refused at once, no second connect deadline";
    EXPECT_EQ(moved, 0u);
    const DriverHandle again = Timed(took, [] { return platform::OpenDriver(DriverPath(0).c_str()); });
    EXPECT_LT(took, kAtOnce) << "one try while the device does not answer";
    EXPECT_TRUE(platform::CloseDriver(handle));
    EXPECT_TRUE(platform::CloseDriver(again));
}

enum class NodeKind { TakesNoConnection, NeverAnswers, AnswersRandomBytes };

std::string KindName(const ::testing::TestParamInfo<NodeKind>& info)
{
    switch (info.param) {
        case NodeKind::TakesNoConnection:
            return "TakesNoConnection";
        case NodeKind::NeverAnswers:
            return "NeverAnswers";
        case NodeKind::AnswersRandomBytes:
            return "AnswersRandomBytes";
    }
    return "Unknown";
}

class DeadDevice : public ::testing::TestWithParam<NodeKind> {
protected:
    void SetUp() override
    {
        switch (GetParam()) {
            case NodeKind::TakesNoConnection:
                backlog_ = std::make_unique<FullBacklogNode>();
                ASSERT_TRUE(backlog_->Full());
                break;
            case NodeKind::NeverAnswers:
                node_ = std::make_unique<HostileNode>([](const auto&) { return std::vector<uint8_t>{}; });
                break;
            case NodeKind::AnswersRandomBytes:
                node_ = std::make_unique<HostileNode>([random = std::mt19937(5)](const auto&) mutable {
                    std::vector<uint8_t> bytes(random() % 80);
                    for (uint8_t& byte : bytes)
                        byte = static_cast<uint8_t>(random());
                    return bytes;
                });
                break;
        }
    }

    ScopedTestEnvironment environment_;
    std::unique_ptr<FullBacklogNode> backlog_;
    std::unique_ptr<HostileNode> node_;
};

// Each export makes dozens of requests; however many, it returns within
// about one deadline, with its failure.
TEST_P(DeadDevice, EveryExportReturnsWithinTwoSeconds)
{
    Clock::duration took{};
    const int32_t camera = Timed(took, [] { return Quelix_Initialize(nullptr); });
    EXPECT_LT(took, kCallBound) << "Initialize";
    ASSERT_NE(camera, 0);

    std::vector<uint8_t> buffer(320 * 256 * 8);
    const auto size = static_cast<int32_t>(buffer.size());
    EXPECT_EQ(Timed(took, [&] { return Quelix_SnapShot(camera, buffer.data(), size, 1); }), 0);
    EXPECT_LT(took, kCallBound) << "SnapShot";

    Timed(took, [&] { return Quelix_StartPreview(camera); });
    EXPECT_LT(took, kCallBound) << "StartPreview";
    EXPECT_EQ(Timed(took, [&] { return Quelix_StopPreview(camera); }), 1);
    EXPECT_LT(took, kCallBound) << "StopPreview";

    EXPECT_EQ(Timed(took, [&] { return Quelix_SetRealExposureTime(camera, 3889); }), 0);
    EXPECT_LT(took, kCallBound) << "SetRealExposureTime";
    EXPECT_EQ(Timed(took, [&] { return Quelix_SetFilterValue(camera, kExposureId, 100); }), 0);
    EXPECT_LT(took, kCallBound) << "SetFilterValue";

    EXPECT_EQ(Timed(took, [&] { return Quelix_Release(camera); }), 1);
    EXPECT_LT(took, kCallBound) << "Release";
}

INSTANTIATE_TEST_SUITE_P(Nodes, DeadDevice,
                         ::testing::Values(NodeKind::TakesNoConnection, NodeKind::NeverAnswers,
                                           NodeKind::AnswersRandomBytes),
                         KindName);

class QuietCamera : public SimulatedCameraTest {};

TEST_F(QuietCamera, ACameraThatStallsFailsAtOnceAndWorksAgainAfterTheProbe)
{
    StartCameras();
    const int32_t camera = Quelix_Initialize(nullptr);
    ASSERT_NE(camera, 0);
    ASSERT_EQ(Quelix_SetFilterValue(camera, kExposureId, 200), 1);
    const auto stallEnds = Clock::now() + std::chrono::milliseconds(2500);
    Camera().Stall(2500);

    Clock::duration took{};
    EXPECT_EQ(Timed(took, [&] { return Quelix_SetFilterValue(camera, kExposureId, 300); }), 0);
    EXPECT_LT(took, kCallBound) << "the first request waits out its deadline";
    EXPECT_EQ(Timed(took, [&] { return Quelix_SetRealExposureTime(camera, 3889); }), 0);
    EXPECT_LT(took, kAtOnce) << "refused at once";
    std::vector<uint8_t> buffer(320 * 256 * 8);
    const auto size = static_cast<int32_t>(buffer.size());
    EXPECT_EQ(Timed(took, [&] { return Quelix_SnapShot(camera, buffer.data(), size, 1); }), 0);
    EXPECT_LT(took, kCallBound);

    // The request that ran late is carried out when the stall ends; the
    // writes below come after it.
    std::this_thread::sleep_until(stallEnds + std::chrono::milliseconds(300));
    int set = 0;
    const auto limit = Clock::now() + std::chrono::seconds(10);
    while ((set = Quelix_SetFilterValue(camera, kExposureId, 500)) != 1 && Clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(set, 1) << "a probe found the camera answering again";
    EXPECT_EQ(Camera().Status().exposureLines, 500);
    EXPECT_EQ(Quelix_SnapShot(camera, buffer.data(), size, 1), 1);
    EXPECT_EQ(Quelix_Release(camera), 1);
}

TEST_F(QuietCamera, AFrameReadThatTimesOutWaitingForATriggerLeavesTheCameraAnswering)
{
    StartCameras();
    OpenDevice stream;
    ASSERT_TRUE(ConfigureCapture(stream.Handle(), 0, 0, 32, 8, false));
    ASSERT_TRUE(WriteFpga(stream.Handle(), 20, 0x01));  // trigger input enabled
    ASSERT_TRUE(WriteFpga(stream.Handle(), 11, 1));     // trigger mode
    ASSERT_TRUE(SetDriverTimeout(stream.Handle(), 200));
    std::vector<uint8_t> frame;
    const PipeResult timedOut = ReadFrame(stream.Handle(), 2048, frame);
    EXPECT_FALSE(timedOut.success) << "no trigger pulse came";
    EXPECT_EQ(timedOut.bytes, 0u);

    OpenDevice control;
    EXPECT_TRUE(WriteFpga(control.Handle(), 7, 0x42)) << "the camera still counts as answering";
    EXPECT_EQ(Camera().FpgaRegister(7), 0x42);
    Camera().Trigger();
    EXPECT_TRUE(ReadFrame(stream.Handle(), 2048, frame).success);
}

}  // namespace
}  // namespace quelix::test
