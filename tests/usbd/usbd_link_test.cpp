// SPDX-License-Identifier: MIT
// How one camera's requests become bulk transfers, against a USB port
// whose every transfer the test decides: lengths, stalls, short transfers,
// time-outs, a vanished device and every malformed request.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "usbd/camera_link.h"

namespace quelix::usbd {
namespace {

constexpr PipeMap kPipes{{0x02, 0x84, 0x86}};

struct Call {
    uint8_t endpoint = 0;
    uint32_t length = 0;
    uint32_t timeoutMs = 0;
};

// Answers each transfer with the next scripted result (completed in full
// when the script is empty); IN transfers fill their bytes with `fill`.
struct ScriptedPort {
    std::deque<TransferResult> script;
    std::vector<Call> calls;
    std::vector<uint8_t> cleared;
    uint8_t fill = 0x5A;
    bool clearWorks = true;

    UsbPort Port() { return {this, Bulk, ClearHalt}; }
    static TransferResult Bulk(void* context, uint8_t endpoint, uint8_t* data, uint32_t length,
                               uint32_t timeoutMs, const AbandonCheck&)
    {
        auto* port = static_cast<ScriptedPort*>(context);
        port->calls.push_back({endpoint, length, timeoutMs});
        TransferResult result{TransferStatus::Completed, length};
        if (!port->script.empty()) {
            result = port->script.front();
            port->script.pop_front();
        }
        if ((endpoint & 0x80) != 0)
            std::fill(data, data + std::min(result.moved, length), port->fill);
        return result;
    }
    static bool ClearHalt(void* context, uint8_t endpoint)
    {
        auto* port = static_cast<ScriptedPort*>(context);
        port->cleared.push_back(endpoint);
        return port->clearWorks;
    }
};

std::vector<uint8_t> PipeInput(uint32_t pipe)
{
    return {uint8_t(pipe), uint8_t(pipe >> 8), uint8_t(pipe >> 16), uint8_t(pipe >> 24)};
}

std::vector<uint8_t> TimeoutBlock(uint32_t setting, uint32_t milliseconds, size_t size = kTimeoutBlockSize)
{
    std::vector<uint8_t> block(size, 0);
    for (int i = 0; i < 4 && size_t(i + 4) <= size; ++i) {
        block[size_t(i)] = uint8_t(setting >> (8 * i));
        block[size_t(i + 4)] = uint8_t(milliseconds >> (8 * i));
    }
    return block;
}

class UsbdLink : public ::testing::Test {
protected:
    Reply Pipe(uint32_t code, uint32_t pipe, uint32_t length, std::vector<uint8_t> packet = {})
    {
        const std::vector<uint8_t> input = PipeInput(pipe);
        return link.Serve(handle, {code, input, packet, length}, data, nullptr);
    }
    Reply Command(uint8_t command)
    {
        std::vector<uint8_t> packet(kPacketSize, 0);
        packet[0] = command;
        return Pipe(kPipeTransferOut, 0, kPacketSize, packet);
    }

    ScriptedPort port;
    CameraLink link{port.Port(), kPipes, "test camera"};
    HandleState handle;
    std::vector<uint8_t> data;
};

TEST_F(UsbdLink, CommandsQueriesAndFramesGoToTheirEndpoints)
{
    // A plain command: one 64-byte OUT transfer and no reply read.
    Reply reply = Command(0x06);
    EXPECT_TRUE(reply.success);
    EXPECT_EQ(reply.bytesReturned, kPacketSize);
    ASSERT_EQ(port.calls.size(), 1u);
    EXPECT_EQ(port.calls[0].endpoint, 0x02);
    EXPECT_EQ(port.calls[0].length, kPacketSize);
    // No query yet: the reply pipe has nothing to give.
    EXPECT_FALSE(Pipe(kPipeTransferIn, 1, kPacketSize).success);

    // A query reads its reply at once, and the handle keeps it.
    for (uint8_t query : {0x0C, 0x26, 0x41}) {
        port.calls.clear();
        port.fill = query;
        ASSERT_TRUE(Command(query).success);
        ASSERT_EQ(port.calls.size(), 2u);
        EXPECT_EQ(port.calls[1].endpoint, 0x84);
        for (int read = 0; read < 2; ++read) {
            reply = Pipe(kPipeTransferIn, 1, kPacketSize);
            EXPECT_TRUE(reply.success);
            ASSERT_EQ(reply.dataLength, kPacketSize);
            EXPECT_EQ(data[0], query);
        }
    }
    EXPECT_EQ(port.calls.size(), 2u);  // the reply pipe is served from the handle
    // A reply read of another length fails and reports what it moved.
    reply = Pipe(kPipeTransferIn, 1, 10);
    EXPECT_FALSE(reply.success);
    EXPECT_EQ(reply.bytesReturned, 10u);
    reply = Pipe(kPipeTransferIn, 1, 100);
    EXPECT_FALSE(reply.success);
    EXPECT_EQ(reply.bytesReturned, kPacketSize);

    // A frame read: one IN transfer of the whole length, with the power-on time-out.
    port.calls.clear();
    reply = Pipe(kPipeTransferLarge, 2, 1 << 20);
    EXPECT_TRUE(reply.success);
    EXPECT_EQ(reply.bytesReturned, 1u << 20);
    EXPECT_EQ(reply.dataLength, 1u << 20);
    ASSERT_EQ(port.calls.size(), 1u);
    EXPECT_EQ(port.calls[0].endpoint, 0x86);
    EXPECT_EQ(port.calls[0].timeoutMs, kPowerOnTimeoutMs);
}

TEST_F(UsbdLink, TheTimeoutRequestSetsTheFrameTransferTimeout)
{
    std::vector<uint8_t> block = TimeoutBlock(1, 250);
    EXPECT_TRUE(link.Serve(handle, {kSetTimeout, block, {}, 0}, data, nullptr).success);
    Pipe(kPipeTransferIn, 2, 4096);
    EXPECT_EQ(port.calls.back().timeoutMs, 250u);
    block = TimeoutBlock(1, 0);
    EXPECT_TRUE(link.Serve(handle, {kSetTimeout, block, {}, 0}, data, nullptr).success);
    Pipe(kPipeTransferIn, 2, 4096);
    EXPECT_EQ(port.calls.back().timeoutMs, 0u);
    // Control transfers keep their own short limit.
    Command(0x06);
    EXPECT_GT(port.calls.back().timeoutMs, 0u);

    for (const auto& bad : {TimeoutBlock(2, 100), TimeoutBlock(1, 100, 43), TimeoutBlock(1, 100, 45),
                            TimeoutBlock(1, 100, 0), TimeoutBlock(1, 100, 4096)})
        EXPECT_FALSE(link.Serve(handle, {kSetTimeout, bad, {}, 0}, data, nullptr).success);
    EXPECT_EQ(link.TimeoutMs(), 0u);
}

TEST_F(UsbdLink, ShortStalledAndTimedOutTransfersFailWithTheBytesMoved)
{
    port.script = {{TransferStatus::Completed, 1000}};
    Reply reply = Pipe(kPipeTransferLarge, 2, 4096);
    EXPECT_FALSE(reply.success);
    EXPECT_EQ(reply.bytesReturned, 1000u);
    EXPECT_EQ(reply.dataLength, 1000u);

    port.script = {{TransferStatus::TimedOut, 512}};
    reply = Pipe(kPipeTransferLarge, 2, 4096);
    EXPECT_FALSE(reply.success);
    EXPECT_EQ(reply.bytesReturned, 512u);

    // A device that reports more than asked is held to the length.
    port.script = {{TransferStatus::Completed, 9000}};
    reply = Pipe(kPipeTransferLarge, 2, 4096);
    EXPECT_TRUE(reply.success);
    EXPECT_EQ(reply.bytesReturned, 4096u);

    // A stall: the request fails, and the halt is cleared before the pipe's next transfer only.
    port.script = {{TransferStatus::Stalled, 100}};
    reply = Pipe(kPipeTransferLarge, 2, 4096);
    EXPECT_FALSE(reply.success);
    EXPECT_EQ(reply.bytesReturned, 100u);
    EXPECT_TRUE(port.cleared.empty());
    EXPECT_TRUE(Command(0x06).success);
    EXPECT_TRUE(port.cleared.empty());
    EXPECT_TRUE(Pipe(kPipeTransferLarge, 2, 4096).success);
    EXPECT_EQ(port.cleared, (std::vector<uint8_t>{0x86}));
    EXPECT_TRUE(Pipe(kPipeTransferLarge, 2, 4096).success);
    EXPECT_EQ(port.cleared.size(), 1u);

    // A stalled command packet; a halt that cannot be cleared fails the next request without a transfer.
    port.script = {{TransferStatus::Stalled, 0}};
    EXPECT_FALSE(Command(0x06).success);
    port.clearWorks = false;
    const size_t calls = port.calls.size();
    EXPECT_FALSE(Command(0x06).success);
    EXPECT_EQ(port.calls.size(), calls);
    port.clearWorks = true;
    EXPECT_TRUE(Command(0x06).success);

    // A query whose reply does not come: the write stands, the reply pipe has nothing.
    port.script = {{TransferStatus::Completed, kPacketSize}, {TransferStatus::TimedOut, 0}};
    EXPECT_TRUE(Command(0x0C).success);
    EXPECT_FALSE(Pipe(kPipeTransferIn, 1, kPacketSize).success);

    // The device leaves: this request and every later one fail.
    port.script = {{TransferStatus::Gone, 0}};
    EXPECT_FALSE(Pipe(kPipeTransferLarge, 2, 4096).success);
    const size_t before = port.calls.size();
    EXPECT_FALSE(Command(0x06).success);
    EXPECT_EQ(port.calls.size(), before);
}

TEST_F(UsbdLink, MalformedRequestsFailWithoutATransfer)
{
    std::vector<uint8_t> packet(kPacketSize, 0);
    std::vector<uint8_t> shortPacket(63, 0);
    EXPECT_FALSE(Pipe(kPipeTransferOut, 0, 63, shortPacket).success);
    EXPECT_FALSE(Pipe(kPipeTransferOut, 0, 65, std::vector<uint8_t>(65, 0)).success);
    EXPECT_FALSE(Pipe(kPipeTransferOut, 0, 0).success);
    for (uint32_t pipe : {3u, 4u, 0xFFFFFFFFu})
        EXPECT_FALSE(Pipe(kPipeTransferIn, pipe, kPacketSize).success);
    EXPECT_FALSE(Pipe(kPipeTransferLarge, 2, 0).success);
    for (size_t size : {0, 1, 3}) {
        const std::vector<uint8_t> input(size, 0);
        EXPECT_FALSE(
            link.Serve(handle, {kPipeTransferOut, input, packet, kPacketSize}, data, nullptr).success);
    }
    for (uint32_t code : {0u, 0x222050u, 0x2220A8u, 0xFFFFFFFFu}) {
        const std::vector<uint8_t> input = PipeInput(0);
        EXPECT_FALSE(link.Serve(handle, {code, input, packet, kPacketSize}, data, nullptr).success);
    }
    EXPECT_TRUE(port.calls.empty());
}

}  // namespace
}  // namespace quelix::usbd
