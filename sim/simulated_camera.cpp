// SPDX-License-Identifier: MIT
#include "sim/simulated_camera.h"

#include <algorithm>

#include "platform/driver/driver_wire.h"
#include "sim/device_node.h"
#include "sim/random.h"
#include "sim/thermal_model.h"

namespace quelix::sim {

namespace {

// Each camera's sensor follows from the seed and its device number.
uint64_t SensorSeed(uint64_t seed, int deviceNumber)
{
    return Mix64(seed ^ Mix64(uint64_t(deviceNumber) + 1));
}

}  // namespace

SimulatedCamera::SimulatedCamera(const std::string& directory, int deviceNumber, const CameraOptions& options,
                                 std::shared_ptr<const Scene> scene)
    : nodePath_(directory + "/" + driver_wire::kDeviceBaseName + "-" + std::to_string(deviceNumber)),
      options_(options),
      temperature_(kAmbientCelsius),
      temperatureAt_(Clock::now()),
      scene_(std::move(scene)),
      renderer_(SensorSeed(options.seed, deviceNumber))
{
    registers_.idMemory = FactoryIdMemory(uint32_t(Mix64(SensorSeed(options.seed, deviceNumber) + 2)));
    PowerOn();
    node_ = std::make_unique<DeviceNode>(
        nodePath_,
        [this](HandleState& handle, const DriverRequest& request, std::vector<uint8_t>& data) {
            return Serve(handle, request, data);
        },
        options.tcpPort > 0 ? options.tcpPort + deviceNumber : 0);
    if (options.triggerEveryMs > 0)
        triggerClock_ = std::thread([this] { RunTriggerClock(); });
}

SimulatedCamera::~SimulatedCamera()
{
    Unplug();
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    if (triggerClock_.joinable())
        triggerClock_.join();
}

void SimulatedCamera::PowerOn()
{
    const Clock::time_point now = Clock::now();
    temperature_ = TemperatureAt(now);  // the sensor keeps its temperature; the Peltier level resets
    temperatureAt_ = now;
    PowerOnRegisters(registers_);
    LatchTemperature(now);
    driverTimeoutMs_ = kPowerOnDriverTimeoutMs;
    frameArmed_ = false;
    triggerPending_ = false;
    frameCounter_ = 0;
    lastFrameReady_ = now;
}

double SimulatedCamera::TemperatureAt(Clock::time_point when) const
{
    const double seconds = std::chrono::duration<double>(when - temperatureAt_).count();
    return ApproachTemperature(temperature_, CoolingTarget(registers_.fpga[fpga::kPeltier]), seconds);
}

void SimulatedCamera::LatchTemperature(Clock::time_point when)
{
    // Reading the high register latches the whole reading, so a read of the
    // high then the low register gives one consistent value.
    const uint16_t reading = TemperatureReading(TemperatureAt(when));
    registers_.fpga[fpga::kTemperatureHigh] = uint8_t(reading >> 4);
    registers_.fpga[fpga::kTemperatureLow] = uint8_t(reading & 0x0F);
}

bool SimulatedCamera::Plug(std::string* error)
{
    std::lock_guard cable(cableMutex_);
    {
        std::lock_guard lock(mutex_);
        if (plugged_)
            return true;
        PowerOn();
        plugged_ = true;
    }
    std::string message;
    if (node_->Open(message))
        return true;
    {
        std::lock_guard lock(mutex_);
        plugged_ = false;
        ++generation_;
    }
    if (error != nullptr)
        *error = message;
    return false;
}

void SimulatedCamera::Unplug()
{
    std::lock_guard cable(cableMutex_);
    {
        std::lock_guard lock(mutex_);
        if (!plugged_)
            return;
        plugged_ = false;
        ++generation_;
    }
    changed_.notify_all();
    node_->Close();
}

uint8_t SimulatedCamera::FpgaRegister(uint8_t reg) const
{
    std::lock_guard lock(mutex_);
    return registers_.fpga[reg];
}

uint16_t SimulatedCamera::SensorRegister(uint8_t reg) const
{
    std::lock_guard lock(mutex_);
    return registers_.sensor[reg];
}

std::array<uint8_t, 256> SimulatedCamera::IdMemory() const
{
    std::lock_guard lock(mutex_);
    return registers_.idMemory;
}

CameraStatus SimulatedCamera::Status() const
{
    std::lock_guard lock(mutex_);
    CameraStatus status;
    status.plugged = plugged_;
    status.sixteenBit = SixteenBitSamples(registers_);
    status.transferSamples = TransferSamples(registers_);
    status.window = CaptureWindow(registers_);
    status.exposureLines = ExposureLines(registers_);
    status.triggerMode = TriggerMode(registers_);
    status.driverTimeoutMs = driverTimeoutMs_;
    status.temperatureCelsius = TemperatureAt(Clock::now());
    status.framesDelivered = framesDelivered_;
    return status;
}

std::vector<FpgaWriteRecord> SimulatedCamera::FpgaWrites() const
{
    std::lock_guard lock(mutex_);
    return {fpgaWrites_.begin(), fpgaWrites_.end()};
}

std::vector<Packet> SimulatedCamera::Commands() const
{
    std::lock_guard lock(mutex_);
    return {commands_.begin(), commands_.end()};
}

void SimulatedCamera::ClearLogs()
{
    std::lock_guard lock(mutex_);
    fpgaWrites_.clear();
    commands_.clear();
}

uint64_t SimulatedCamera::FramesDelivered() const
{
    std::lock_guard lock(mutex_);
    return framesDelivered_;
}

bool SimulatedCamera::WaitForFrames(uint64_t count, int timeoutMs) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return framesDelivered_ >= count; });
}

std::optional<uint64_t> SimulatedCamera::FrameCompletedNs(uint16_t trailer) const
{
    std::lock_guard lock(completionMutex_);
    const Completion& completion = completions_[trailer % kCompletionsKept];
    if (!completion.known || completion.trailer != trailer)
        return std::nullopt;
    return completion.ns;
}

void SimulatedCamera::PulseTrigger()
{
    if (!plugged_ || !TriggerInputEnabled(registers_))
        return;
    triggerPending_ = true;
    triggeredAt_ = Clock::now();
    changed_.notify_all();
}

void SimulatedCamera::Trigger()
{
    std::lock_guard lock(mutex_);
    PulseTrigger();
}

bool SimulatedCamera::WaitForTriggerWait(int timeoutMs) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return readsAwaitingTrigger_ > 0; });
}

void SimulatedCamera::RunTriggerClock()
{
    const auto period = std::chrono::milliseconds(options_.triggerEveryMs);
    Clock::time_point next = Clock::now() + period;
    std::unique_lock lock(mutex_);
    while (!changed_.wait_until(lock, next, [&] { return ending_; })) {
        PulseTrigger();
        next += period;
        if (next < Clock::now())  // fell behind: keep the beat from now on
            next = Clock::now() + period;
    }
}

void SimulatedCamera::Stall(int milliseconds)
{
    std::lock_guard lock(mutex_);
    stallUntil_ = std::max(stallUntil_, Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0)));
}

void SimulatedCamera::ShortNextFrame()
{
    std::lock_guard lock(mutex_);
    shortNext_ = true;
}

void SimulatedCamera::FailNextRequests(int count)
{
    std::lock_guard lock(mutex_);
    failRemaining_ = std::max(count, 0);
}

bool SimulatedCamera::SetScene(const std::string& name, std::string* error)
{
    std::string message;
    std::shared_ptr<const Scene> scene = LoadScene(name, message);
    if (scene == nullptr) {
        if (error != nullptr)
            *error = message;
        return false;
    }
    std::lock_guard lock(mutex_);
    scene_ = std::move(scene);
    return true;
}

}  // namespace quelix::sim
