// SPDX-License-Identifier: MIT
// Frame transfer: the streaming path (a transfer thread filling a ring of
// frame buffers, the consumer taking the newest complete frame) and the
// single-shot path (one frame read on the caller's thread).
#include <cstring>

#include "device/command_codes.h"
#include "device/device_status.h"
#include "device/qlx_sdk_lib.h"
#include "platform/os/clock.h"

namespace quelix {

namespace {

constexpr int kFrameWaitMs = 6000;

int Wrap(int index, int count)
{
    return index >= count ? index - count : (index < 0 ? index + count : index);
}

}  // namespace

DeviceStatus CQLXSdkLib::ReadFrameInto(DriverHandle handle, uint8_t* target, uint32_t bytes) const
{
    uint32_t done = 0;
    const PipeResult result = largeTransfer != 0 ? PipeTransferLarge(handle, kImagePipe, bytes, target, done)
                                                 : PipeTransfer(handle, kImagePipe, bytes, target, done, 1);
    return result == PipeResult::Ok && done == bytes ? DeviceStatus::Ok : DeviceStatus::ReadFailed;
}

DeviceStatus CQLXSdkLib::StartTransferThread()
{
    if (transfer.stopFlag.load() == 0)
        return DeviceStatus::TransferRunning;
    if (ringCount < 2)
        return DeviceStatus::ThreadNotStarted;
    // A stream that ended on a failed read still holds its finished thread.
    transfer.thread.Join();
    SendPacket({CmdResetTransfer});

    // Everything the new stream starts from is set before the start is
    // published: a consumer already polling (the capture thread starts
    // first) sees stopFlag 0 only together with an empty ring of the new
    // geometry, never the indices of the stream before.
    transfer.transferBytes = static_cast<uint32_t>(wordMode != 0 ? transferSamples * 2 : transferSamples);
    transfer.frameEvent.Reset();
    try {
        transfer.ring.clear();
        for (const auto& slot : ring)
            transfer.ring.push_back(slot.get());
        transfer.arrivalNs.assign(transfer.ring.size(), 0);
        platform::CriticalSectionGuard guard(registerLock);
        transfer.devicePath = devicePath.data();
    } catch (const std::bad_alloc&) {
        return DeviceStatus::ThreadNotStarted;
    }
    transfer.errorFlag = 0;
    transfer.resultCode = 0;
    transfer.largeTransfer = largeTransfer;
    {
        std::lock_guard lock(transfer.ringLock);
        transfer.ringCount = ringCount;
        transfer.writeIndex = 0;
        transfer.readIndex = 0;
    }
    transfer.stopFlag = 0;
    if (!transfer.thread.Start([this] { TransferThreadMain(); }, platform::ThreadPriority::Highest)) {
        transfer.stopFlag = 1;
        transfer.frameEvent.Set();  // a consumer waiting for the first frame sees the stop at once
        return DeviceStatus::ThreadNotStarted;
    }
    return DeviceStatus::Ok;
}

void CQLXSdkLib::TransferThreadMain()
{
    TransferBlock& block = transfer;
    DriverHandle handle = platform::kNoDriverHandle;
    DeviceStatus result = DeviceStatus::Ok;
    if (!DeviceOpen(block.devicePath.c_str(), handle)) {
        result = DeviceStatus::NotOpened;
    } else {
        Packet startFrame{CmdStartFrame};
        while (block.stopFlag.load() != 1) {
            uint8_t* target = block.ring[static_cast<size_t>(block.writeIndex.load())];
            uint32_t ignored = 0;
            PipeTransfer(handle, kCommandPipe, kPacketSize, startFrame.data(), ignored, 0);
            if (ReadFrameInto(handle, target, block.transferBytes) != DeviceStatus::Ok) {
                // The slot holds no whole frame: it is not published. The
                // failure is recorded before the frame event fires, so the
                // woken consumer sees it at once.
                result = DeviceStatus::ReadFailed;
                break;
            }
            block.arrivalNs[static_cast<size_t>(block.writeIndex.load())] = platform::MonotonicNs();
            {
                std::lock_guard lock(block.ringLock);
                block.writeIndex =
                    AdvanceWriteIndex(block.writeIndex.load(), block.readIndex.load(), block.ringCount);
            }
            block.frameEvent.Set();
        }
        DeviceClose(handle);
    }
    block.resultCode = static_cast<int>(result);
    block.errorFlag = result == DeviceStatus::ReadFailed ? 1 : 0;
    block.stopFlag = 1;
    block.frameEvent.Set();
}

DeviceStatus CQLXSdkLib::StopTransferThread()
{
    const bool wasStopped = transfer.stopFlag.load() == 1 && transfer.errorFlag.load() == 0;
    // The thread finishes the frame read in progress first; the driver's
    // time-out bounds how long that read can block.
    transfer.stopFlag = 1;
    transfer.thread.Join();
    const auto result = static_cast<DeviceStatus>(transfer.resultCode.load());
    transfer.errorFlag = 0;
    transfer.resultCode = 0;
    return wasStopped ? DeviceStatus::Ok : result;
}

RingWait CQLXSdkLib::WaitRingFrame()
{
    if (transfer.errorFlag.load() == 1)
        return RingWait::Failed;
    if (transfer.stopFlag.load() == 1)
        return RingWait::Stopped;
    {
        std::lock_guard lock(transfer.ringLock);
        const int write = transfer.writeIndex.load();
        const int read = transfer.readIndex.load();
        const int count = transfer.ringCount.load();
        const int available = write - read + (write < read ? count : 0);
        if (available >= 1) {
            transfer.readIndex = Wrap(write - 1, count);
            return RingWait::FrameReady;
        }
    }
    return transfer.frameEvent.Wait(kFrameWaitMs) ? RingWait::Woken : RingWait::Failed;
}

DeviceStatus CQLXSdkLib::ReadRingFrame(uint8_t* destination, size_t capacity)
{
    if (destination == nullptr)
        return DeviceStatus::NullDestination;
    const int slot = transfer.readIndex.load();
    if (slot < 0 || slot >= static_cast<int>(transfer.ring.size()))
        return DeviceStatus::ReadFailed;
    const DeviceStatus copied = CopyRawFrame(destination, capacity, transfer.ring[static_cast<size_t>(slot)]);
    frameArrivalNs = transfer.arrivalNs[static_cast<size_t>(slot)];
    std::lock_guard lock(transfer.ringLock);
    transfer.readIndex = Wrap(slot + 1, transfer.ringCount);
    return copied;
}

DeviceStatus CQLXSdkLib::CaptureSingleFrame()
{
    const auto bytes = static_cast<uint32_t>(wordMode == 1 ? transferSamples * 2 : transferSamples);
    if (captureHandle == platform::kNoDriverHandle || captureHandle == platform::kInvalidDriverHandle) {
        platform::CriticalSectionGuard guard(registerLock);
        // A camera that is away gives the invalid handle.
        if (!DeviceOpen(devicePath.data(), captureHandle) ||
            captureHandle == platform::kInvalidDriverHandle) {
            DeviceClose(captureHandle);
            return DeviceStatus::NotOpened;
        }
    }
    SendPacket({CmdResetTransfer});
    Packet startFrame{CmdStartFrame};
    uint32_t ignored = 0;
    PipeTransfer(captureHandle, kCommandPipe, kPacketSize, startFrame.data(), ignored, 1);
    if (ReadFrameInto(captureHandle, snapshotBuffer.get(), bytes) != DeviceStatus::Ok) {
        DeviceClose(captureHandle);
        return DeviceStatus::ReadFailed;
    }
    snapshotArrivalNs = platform::MonotonicNs();
    return DeviceStatus::Ok;
}

DeviceStatus CQLXSdkLib::ReadSingleFrame(uint8_t* destination, size_t capacity)
{
    if (destination == nullptr)
        return DeviceStatus::NullDestination;
    if (snapshotBuffer == nullptr)
        return DeviceStatus::ReadFailed;
    frameArrivalNs = snapshotArrivalNs;
    return CopyRawFrame(destination, capacity, snapshotBuffer.get());
}

void CQLXSdkLib::CloseCaptureHandle()
{
    if (captureHandle != platform::kNoDriverHandle)
        DeviceClose(captureHandle);
}

size_t CQLXSdkLib::FramePixelBytes() const
{
    if (effLines <= 0 || effWidth <= 0)
        return 0;
    return static_cast<size_t>(effLines) * static_cast<size_t>(effWidth) * (wordMode == 0 ? 1 : 2);
}

DeviceStatus CQLXSdkLib::CopyRawFrame(uint8_t* destination, size_t capacity, const uint8_t* source)
{
    const size_t bytes = FramePixelBytes();
    // The pixels and the trailer word must lie inside the frame buffer, and
    // the pixels inside the destination.
    if (destination == nullptr || source == nullptr || bytes == 0 || bytes + 2 > SlotBytes() ||
        bytes > capacity)
        return DeviceStatus::ReadFailed;
    std::memcpy(destination, source, bytes);
    const uint8_t* trailer = source + bytes;
    frameTrailer = trailer[0] | (trailer[1] << 8);
    return DeviceStatus::Ok;
}

}  // namespace quelix
