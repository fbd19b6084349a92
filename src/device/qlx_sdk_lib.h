// SPDX-License-Identifier: MIT
// The device object: the host-side model of one camera. It knows the driver
// path of the selected camera, the capture window and frame geometry and the
// frame buffers, and offers every camera control as a method that turns into
// command exchanges on a fresh driver handle.
//
// Control methods return whether the exchange succeeded; geometry,
// selection and transfer methods return a DeviceStatus, the ring wait a
// RingWait.
//
// Parameter calls, the camera dialog and automatic exposure (on the capture
// thread) call the controls at the same time, with no lock of the camera
// object around them. registerLock makes each register update whole: every
// exchange on the control pipes, and every update made of several (a value
// written as two bytes, a read-modify-write of a shared register, the window
// sequence, a device selection), runs under it, as do the device path and the
// mode fields those updates set. It is never held across a frame read.
// Geometry changes happen only while no transfer thread runs (they are
// refused while one does).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/device_status.h"
#include "device/driver_transport.h"
#include "device/transfer_block.h"
#include "platform/os/sync.h"

namespace quelix {

class CQLXSdkLib {
public:
    CQLXSdkLib();
    virtual ~CQLXSdkLib();
    CQLXSdkLib(const CQLXSdkLib&) = delete;
    CQLXSdkLib& operator=(const CQLXSdkLib&) = delete;

    // Selects 16-bit (on) or 8-bit samples.
    virtual void SetWordMode(int on);

    // Register access, each one command exchange on a fresh handle.
    [[nodiscard]] bool FpgaRead(uint8_t reg, uint8_t& value);
    bool FpgaWrite(uint8_t reg, uint8_t value);
    [[nodiscard]] bool SensorRead(uint8_t reg, uint16_t& value);
    bool SensorWrite(uint8_t reg, uint16_t value);
    [[nodiscard]] bool ReadSromID(int address, uint8_t& value);
    bool WriteSromID(uint8_t address, uint8_t value);

    // Camera controls. A read that fails leaves its value 0.
    bool GetExposureLines(uint16_t& value);
    bool SetExposureLines(uint16_t value);
    static constexpr int MaxExposureLines() { return 0x7fff; }
    static constexpr int DefaultExposure() { return 100; }
    int GetGlobalGain();
    bool SetGlobalGain(int on);
    static constexpr int GlobalGainLimit() { return 1; }
    bool GetColorGain(int reg, int& value);
    bool SetColorGain(int reg, int value);
    static bool GetColorGainMin(int reg, int& value);
    int GetPeltier();
    bool SetPeltier(int value);
    int GetTemperatureMilliVolts();
    // Millivolts of a 12-bit temperature sensor reading.
    static int TemperatureMilliVolts(int reading);
    bool GetClockMode(int& value);
    // The camera's clock mode is fixed by the camera: nothing changes.
    static bool SetClockMode(int) { return false; }
    int GetMirrorH() const { return mirrorH; }
    void SetMirrorH(int flag);
    int GetMirrorV() const { return mirrorV; }
    void SetMirrorV(int flag);
    bool SetTriggerMode(int on);
    bool SetTimeout(int milliseconds);

    // Geometry. The camera takes its window in steps of two pixels (its
    // registers hold half the offsets and sizes), so the window recorded and
    // the frame geometry are the requested one with x, y, width and height
    // rounded down to even values: exactly what the camera delivers.
    [[nodiscard]] DeviceStatus SetCaptureWindow(int x, int y, int width, int height, int subsample);
    [[nodiscard]] DeviceStatus SetFrameGeometry(int pitch, int hStart, int width, int totalLines, int vStart,
                                                int lines, int ringCount);
    void FreeBuffers();

    // Device selection. A probe refreshes the presence flags and leaves the
    // selected device as it is.
    void ProbeDevices();
    bool IsDevicePresent(int n) const;
    static constexpr int MaxDevices() { return 8; }
    int GetDeviceNumber() const { return deviceNumber; }
    [[nodiscard]] DeviceStatus SetDeviceNumber(int n);
    [[nodiscard]] DeviceStatus SelectDevice(int n);
    DeviceStatus InitDevice(int n);
    // Makes device n this object's device without a word to the camera: for
    // a camera that another process streams, whose registers are that
    // process's to set. The host geometry goes back to its defaults.
    DeviceStatus AttachDevice(int n);
    // The driver path of device n: "\\.\BASE-n".
    std::string DriverPath(int n) const;

    // Frame transfer.
    [[nodiscard]] DeviceStatus StartTransferThread();
    DeviceStatus StopTransferThread();
    // Waits up to 6000 ms for the next frame of the ring.
    [[nodiscard]] RingWait WaitRingFrame();
    // The frame copies write effLines x effWidth packed samples into
    // `destination`, which holds `capacity` bytes; a frame that does not fit
    // is refused (DeviceStatus::ReadFailed) and nothing is written.
    [[nodiscard]] DeviceStatus ReadRingFrame(uint8_t* destination, size_t capacity);
    [[nodiscard]] DeviceStatus CaptureSingleFrame();
    [[nodiscard]] DeviceStatus ReadSingleFrame(uint8_t* destination, size_t capacity);
    void CloseCaptureHandle();
    [[nodiscard]] DeviceStatus CopyRawFrame(uint8_t* destination, size_t capacity, const uint8_t* source);
    // Bytes of one frame's pixels as CopyRawFrame writes them.
    size_t FramePixelBytes() const;
    bool TransferRunning() const { return transfer.stopFlag.load() == 0; }

    int wordMode = 0;
    int winX = 0;
    int winY = 0;
    int winWidth = 0;
    int winHeight = 0;
    int linePitch = 1339;
    int hStart = 50;
    int effWidth = 1280;
    int totalLines = 1040;
    int vStart = 10;
    int effLines = 1028;
    int frameSamples = 0;
    int transferSamples = 0;
    int usedSamples = 0;
    std::unique_ptr<uint8_t[]> snapshotBuffer;  // transferSamples x 2 bytes
    int driverTimeoutMs = 3000;                 // guarded by registerLock
    int frameTrailer = 0;                       // the 16-bit word after the pixels of the last frame copied
    uint64_t frameArrivalNs = 0;                // when the host held that frame whole (monotonic ns)
    uint64_t snapshotArrivalNs = 0;             // when the last single frame was read
    int ringCount = 0;
    int dataFormat = 1;  // raw samples
    std::array<char, 12> baseName{};
    int subsampleMode = 0;
    // Set by the parameter calls while a capture start copies the camera
    // block into them on another thread.
    std::atomic<int> mirrorH{0};
    std::atomic<int> mirrorV{0};
    std::array<int, 8> devicePresent{};
    int deviceNumber = 0;
    int triggerMode = 0;  // guarded by registerLock
    TransferBlock transfer;
    int largeTransfer = 0;
    std::vector<std::unique_ptr<uint8_t[]>> ring;  // ringCount blocks of transferSamples x 2 bytes
    std::array<char, 128> devicePath{};            // guarded by registerLock
    DriverHandle captureHandle = platform::kNoDriverHandle;
    // Re-entrant: an update holds it across the single exchanges it is made
    // of. The innermost lock: nothing else is taken while it is held.
    platform::CriticalSection registerLock;

protected:
    TransferStatus SendPacket(Packet packet);
    void ResetGeometry();
    void TransferThreadMain();

private:
    size_t SlotBytes() const { return static_cast<size_t>(transferSamples) * 2; }
    [[nodiscard]] DeviceStatus ReadFrameInto(DriverHandle handle, uint8_t* target, uint32_t bytes) const;
};

}  // namespace quelix
