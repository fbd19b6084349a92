// SPDX-License-Identifier: MIT
#include "usbd/camera_link.h"

#include <algorithm>

#include "usbd/log.h"

namespace quelix::usbd {

namespace {

// Command packets and their replies are small: they must not wait for the
// camera's frame time-out, and the library gives a control response one second.
constexpr uint32_t kControlTimeoutMs = 500;

constexpr uint8_t kSensorRead = 0x0C;
constexpr uint8_t kLogicDeviceRead = 0x26;
constexpr uint8_t kIdMemoryRead = 0x41;

}  // namespace

bool IsQueryCommand(uint8_t command)
{
    return command == kSensorRead || command == kLogicDeviceRead || command == kIdMemoryRead;
}

const char* TransferStatusName(TransferStatus status)
{
    switch (status) {
        case TransferStatus::Completed:
            return "completed";
        case TransferStatus::Stalled:
            return "stalled";
        case TransferStatus::TimedOut:
            return "timed out";
        case TransferStatus::Gone:
            return "device gone";
        case TransferStatus::Cancelled:
            return "client gone";
        case TransferStatus::Failed:
            break;
    }
    return "failed";
}

CameraLink::CameraLink(UsbPort port, PipeMap pipes, std::string label)
    : port_(port), pipes_(pipes), label_(std::move(label))
{
}

Reply CameraLink::Serve(HandleState& handle, const Request& request, std::vector<uint8_t>& data,
                        const AbandonCheck& abandoned)
{
    if (gone_)
        return {};
    if (request.code == kSetTimeout)
        return SetTimeout(request.input);
    if (!IsPipeRequest(request.code) || request.input.size() < 4)
        return {};
    switch (ReadLe32(request.input.data())) {
        case kCommandPipe:
            return WriteCommand(handle, request, abandoned);
        case kReplyPipe: {
            // The handle's own reply, taken from the camera when its query went out.
            if (!handle.hasReply)
                return {};
            const uint32_t moved = std::min(request.outputLength, kPacketSize);
            data.assign(handle.reply.begin(), handle.reply.begin() + moved);
            return {request.outputLength == kPacketSize, moved, moved};
        }
        case kImagePipe:
            return ReadFrame(request.outputLength, data, abandoned);
        default:
            return {};
    }
}

Reply CameraLink::SetTimeout(std::span<const uint8_t> input)
{
    if (input.size() != kTimeoutBlockSize || ReadLe32(input.data()) != 1)
        return {};
    timeoutMs_ = ReadLe32(input.data() + 4);
    return {true, 0, 0};
}

TransferResult CameraLink::Transfer(uint32_t pipe, uint8_t* data, uint32_t length, uint32_t timeoutMs,
                                    const AbandonCheck& abandoned)
{
    const uint8_t endpoint = pipes_.endpoints[pipe];
    if (halted_[pipe]) {
        if (!port_.clearHalt(port_.context, endpoint)) {
            Log(label_ + ": cannot clear the halt of pipe " + std::to_string(pipe));
            return {TransferStatus::Stalled, 0};
        }
        halted_[pipe] = false;
    }
    const TransferResult result = port_.bulk(port_.context, endpoint, data, length, timeoutMs, abandoned);
    if (result.status == TransferStatus::Stalled)
        halted_[pipe] = true;
    if (result.status == TransferStatus::Gone)
        gone_ = true;
    if (result.status != TransferStatus::Completed && result.status != TransferStatus::Cancelled)
        Log(label_ + ": pipe " + std::to_string(pipe) + " " + TransferStatusName(result.status) + " after " +
            std::to_string(result.moved) + " of " + std::to_string(length) + " bytes");
    return result;
}

Reply CameraLink::WriteCommand(HandleState& handle, const Request& request, const AbandonCheck& abandoned)
{
    // The command pipe takes whole 64-byte packets.
    if (request.outputLength != kPacketSize || request.carried.size() != kPacketSize)
        return {};
    std::array<uint8_t, kPacketSize> packet;
    std::copy(request.carried.begin(), request.carried.end(), packet.begin());

    std::lock_guard lock(controlMutex_);
    const TransferResult written =
        Transfer(kCommandPipe, packet.data(), kPacketSize, kControlTimeoutMs, abandoned);
    if (written.status != TransferStatus::Completed || written.moved != kPacketSize)
        return {false, written.moved, 0};
    if (IsQueryCommand(packet[0])) {
        // The camera answers a query once; the answer is the handle's until its next query.
        handle.hasReply = false;
        std::array<uint8_t, kPacketSize> answer{};
        const TransferResult read =
            Transfer(kReplyPipe, answer.data(), kPacketSize, kControlTimeoutMs, abandoned);
        if (read.status == TransferStatus::Completed && read.moved == kPacketSize) {
            handle.reply = answer;
            handle.hasReply = true;
        }
    }
    return {true, kPacketSize, 0};
}

Reply CameraLink::ReadFrame(uint32_t length, std::vector<uint8_t>& data, const AbandonCheck& abandoned)
{
    if (length == 0)
        return {};
    data.resize(length);
    std::lock_guard lock(imageMutex_);
    const TransferResult read = Transfer(kImagePipe, data.data(), length, timeoutMs_, abandoned);
    const uint32_t moved = std::min(read.moved, length);
    // A frame that ends early is a failed read: the caller gets the bytes that came.
    return {read.status == TransferStatus::Completed && moved == length, moved, moved};
}

}  // namespace quelix::usbd
