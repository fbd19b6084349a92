// SPDX-License-Identifier: MIT
// How the simulated camera and its driver serve the control requests of one
// driver handle: the time-out request, command packets on pipe 0, replies on
// pipe 1 and frames on pipe 2 (docs/driver-protocol.md).
#include <algorithm>
#include <utility>

#include "device/command_codes.h"
#include "platform/driver/driver_wire.h"
#include "sim/frame_timing.h"
#include "sim/simulated_camera.h"

namespace quelix::sim {

namespace wire = driver_wire;

namespace {

template <typename Entry>
void AddToLog(std::deque<Entry>& log, const Entry& entry)
{
    if (log.size() == kLogLimit)
        log.pop_front();
    log.push_back(entry);
}

}  // namespace

template <typename Predicate>
SimulatedCamera::WaitResult SimulatedCamera::WaitUntil(std::unique_lock<std::mutex>& lock,
                                                       uint64_t generation,
                                                       std::optional<Clock::time_point> deadline,
                                                       Predicate ready)
{
    for (;;) {
        if (generation_ != generation)
            return WaitResult::Unplugged;
        if (ready())
            return WaitResult::Ready;
        if (!deadline) {
            changed_.wait(lock);
        } else if (changed_.wait_until(lock, *deadline) == std::cv_status::timeout) {
            if (generation_ != generation)
                return WaitResult::Unplugged;
            return ready() ? WaitResult::Ready : WaitResult::TimedOut;
        }
    }
}

RequestResult SimulatedCamera::Serve(HandleState& handle, const DriverRequest& request,
                                     std::vector<uint8_t>& data)
{
    std::unique_lock lock(mutex_);
    const uint64_t generation = generation_;
    if (!plugged_)
        return {};
    while (Clock::now() < stallUntil_)
        if (WaitUntil(lock, generation, stallUntil_, [] { return false; }) == WaitResult::Unplugged)
            return {};
    if (failRemaining_ > 0) {
        --failRemaining_;
        return {};
    }
    if (request.code == wire::kSetTimeout)
        return SetTimeout(request.input);
    if (!wire::IsPipeRequest(request.code) || request.input.size() < 4)
        return {};
    switch (wire::ReadLe32(request.input.data())) {
        case wire::kCommandPipe:
            return WriteCommand(handle, request.carried, request.outputLength);
        case wire::kReplyPipe:
            return ReadReply(handle, request.outputLength, data);
        case wire::kImagePipe:
            return ReadFrame(lock, generation, request.outputLength, data);
        default:
            return {};
    }
}

RequestResult SimulatedCamera::SetTimeout(std::span<const uint8_t> input)
{
    // The block's first word names the setting; 1 is the transfer time-out.
    if (input.size() != wire::kTimeoutBlockSize || wire::ReadLe32(input.data()) != 1)
        return {};
    driverTimeoutMs_ = wire::ReadLe32(input.data() + 4);
    return {true, 0, 0};
}

RequestResult SimulatedCamera::WriteCommand(HandleState& handle, std::span<const uint8_t> packet,
                                            uint32_t length)
{
    if (length != kPacketBytes || packet.size() != kPacketBytes)
        return {};  // the command pipe takes whole 64-byte packets
    const std::span<const uint8_t, kPacketBytes> p(packet.data(), kPacketBytes);
    Packet received;
    std::copy(p.begin(), p.end(), received.begin());
    AddToLog(commands_, received);

    const Clock::time_point now = Clock::now();
    temperature_ = TemperatureAt(now);  // from here on the Peltier level may change
    temperatureAt_ = now;
    if (p[0] == CmdFpgaRead && p[1] == fpga::kTemperatureHigh)
        LatchTemperature(now);

    const CommandOutcome outcome = ApplyCommand(registers_, p);
    if (!outcome.accepted)
        return {};
    if (p[0] == CmdFpgaWrite) {
        AddToLog(fpgaWrites_, FpgaWriteRecord{p[1], p[2]});
        if (p[1] == fpga::kTriggerMode) {
            triggerPending_ = false;
            changed_.notify_all();  // reads waiting for a trigger see the mode change
        }
    }
    if (outcome.reply) {
        handle.reply = *outcome.reply;
        handle.hasReply = true;
    }
    switch (outcome.action) {
        case ReadoutAction::StartFrame:
            frameArmed_ = true;
            armedAt_ = now;
            changed_.notify_all();
            break;
        case ReadoutAction::Init:
            frameCounter_ = 0;
            [[fallthrough]];
        case ReadoutAction::ResetTransfer:
            frameArmed_ = false;
            triggerPending_ = false;
            break;
        case ReadoutAction::None:
            break;
    }
    return {true, kPacketBytes, 0};
}

RequestResult SimulatedCamera::ReadReply(const HandleState& handle, uint32_t length,
                                         std::vector<uint8_t>& data)
{
    if (!handle.hasReply)
        return {};
    const uint32_t moved = std::min<uint32_t>(length, kPacketBytes);
    data.assign(handle.reply.begin(), handle.reply.begin() + moved);
    return {length == kPacketBytes, moved, moved};
}

SimulatedCamera::Clock::time_point SimulatedCamera::NextFrameReady(const Window& window,
                                                                   Clock::time_point start)
{
    const Clock::duration period = FramePeriod(window, ExposureLines(registers_));
    Clock::time_point ready;
    if (TriggerMode(registers_)) {
        ready = start + period;  // the exposure starts at the trigger
    } else {
        // The sensor reads out freely; a frame requested at `start` is the
        // first to end after it.
        ready = lastFrameReady_ + period;
        if (ready < start)
            ready += ((start - ready) / period + 1) * period;
    }
    lastFrameReady_ = ready;
    return ready;
}

RequestResult SimulatedCamera::ReadFrame(std::unique_lock<std::mutex>& lock, uint64_t generation,
                                         uint32_t length, std::vector<uint8_t>& data)
{
    std::optional<Clock::time_point> deadline;
    if (driverTimeoutMs_ != 0)
        deadline = Clock::now() + std::chrono::milliseconds(driverTimeoutMs_);
    if (WaitUntil(lock, generation, deadline, [this] { return frameArmed_; }) != WaitResult::Ready)
        return {};
    Clock::time_point start = armedAt_;
    if (TriggerMode(registers_)) {
        ++readsAwaitingTrigger_;
        changed_.notify_all();
        // Leaving trigger mode ends a read that waits for a trigger: it fails.
        const WaitResult triggered = WaitUntil(
            lock, generation, deadline, [this] { return triggerPending_ || !TriggerMode(registers_); });
        --readsAwaitingTrigger_;
        if (triggered != WaitResult::Ready || !triggerPending_)
            return {};
        triggerPending_ = false;
        start = triggeredAt_;
    }
    frameArmed_ = false;

    const Window window = CaptureWindow(registers_);
    if (!options_.fast) {
        const Clock::time_point ready = NextFrameReady(window, start);
        const Clock::time_point until = deadline ? std::min(ready, *deadline) : ready;
        if (WaitUntil(lock, generation, until, [] { return false; }) == WaitResult::Unplugged ||
            until < ready)
            return {};  // unplugged, or the frame would end after the time-out
    }

    FrameSettings settings;
    settings.window = window;
    settings.sixteenBit = SixteenBitSamples(registers_);
    settings.exposureLines = ExposureLines(registers_);
    settings.globalGain = GlobalGain(registers_);
    settings.phaseGains = PhaseGains(registers_);
    settings.temperatureCelsius = TemperatureAt(Clock::now());
    settings.frameIndex = framesDelivered_;
    settings.trailer = ++frameCounter_;
    settings.noise = options_.noise;
    ++framesDelivered_;
    changed_.notify_all();

    const uint64_t frameBytes = FrameBytes(registers_);
    const bool shortFrame = std::exchange(shortNext_, false);
    const uint64_t available = shortFrame ? frameBytes / 2 : frameBytes;
    const uint32_t moved = uint32_t(std::min<uint64_t>(length, available));
    const std::shared_ptr<const Scene> scene = scene_;
    lock.unlock();

    std::lock_guard render(renderMutex_);
    data.resize(moved);
    renderer_.Render(settings, scene, data);
    {
        const auto now =
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch());
        std::lock_guard completion(completionMutex_);
        completions_[settings.trailer % kCompletionsKept] = {true, settings.trailer, uint64_t(now.count())};
    }
    // A read succeeds when it takes the whole frame; a short frame ends the
    // transfer early, which the driver reports as success with fewer bytes.
    return {shortFrame ? moved < length : length == frameBytes, moved, moved};
}

}  // namespace quelix::sim
