// SPDX-License-Identifier: MIT
// The kernel driver's transport on Windows with CreateFileA, DeviceIoControl
// and CloseHandle replaced: the path, access and sharing of the open, and
// for every request its control code, input bytes, output buffer and
// lengths, as the device layer issues them. Runs under Wine; exits 0 when
// every check holds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "device/driver_transport.h"
#include "platform/driver/driver_system_calls_win.h"

namespace {

int failures = 0;

void Check(bool condition, const char* what, int line)
{
    if (!condition) {
        std::fprintf(stderr, "FAIL line %d: %s\n", line, what);
        ++failures;
    }
}
#define CHECK(condition) Check((condition), #condition, __LINE__)

HANDLE const kFakeDevice = reinterpret_cast<HANDLE>(intptr_t{0x4242});

struct Call {
    DWORD code = 0;
    std::vector<uint8_t> input;
    void* output = nullptr;
    DWORD outputSize = 0;
};

struct Fake {
    std::string openedPath;
    DWORD access = 0;
    DWORD share = 0;
    DWORD disposition = 0;
    bool openFails = false;
    int closed = 0;
    std::vector<Call> calls;
    DWORD reportBytes = 0;  // what the driver says it moved
    BOOL succeed = TRUE;
} fake;

HANDLE WINAPI FakeCreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                             DWORD, HANDLE)
{
    fake.openedPath = path;
    fake.access = access;
    fake.share = share;
    fake.disposition = disposition;
    return fake.openFails ? INVALID_HANDLE_VALUE : kFakeDevice;
}

BOOL WINAPI FakeDeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                                DWORD outputSize, LPDWORD returned, LPOVERLAPPED overlapped)
{
    if (device != kFakeDevice || overlapped != nullptr || returned == nullptr)
        return FALSE;
    Call call;
    call.code = code;
    call.input.assign(static_cast<uint8_t*>(input), static_cast<uint8_t*>(input) + inputSize);
    call.output = output;
    call.outputSize = outputSize;
    fake.calls.push_back(call);
    *returned = fake.reportBytes;
    return fake.succeed;
}

BOOL WINAPI FakeCloseHandle(HANDLE device)
{
    if (device == kFakeDevice)
        ++fake.closed;
    return TRUE;
}

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

void OpensForWritingSharedWithWriters()
{
    quelix::DriverHandle handle = 0;
    CHECK(quelix::DeviceOpen("\\\\.\\Qlix205KWMX-3", handle));
    CHECK(handle > 0);
    CHECK(fake.openedPath == "\\\\.\\Qlix205KWMX-3");
    CHECK(fake.access == GENERIC_WRITE);
    CHECK(fake.share == FILE_SHARE_WRITE);
    CHECK(fake.disposition == OPEN_EXISTING);
    CHECK(quelix::DeviceClose(handle));
    CHECK(fake.closed == 1);
    // A path that is not "\\.\NAME" never reaches the system.
    fake.openedPath.clear();
    quelix::DriverHandle other = 0;
    quelix::DeviceOpen("C:\\Qlix205KWMX-0", other);
    CHECK(fake.openedPath.empty());
    CHECK(other == quelix::platform::kInvalidDriverHandle);
    // A driver that is not there gives the invalid handle.
    fake.openFails = true;
    quelix::DeviceOpen("\\\\.\\Qlix205KWMX-0", other);
    CHECK(other == quelix::platform::kInvalidDriverHandle);
    fake.openFails = false;
}

void PipeRequestsCarryCodePipeAndBuffer()
{
    quelix::DriverHandle handle = 0;
    quelix::DeviceOpen("\\\\.\\Qlix205KWMX-0", handle);
    fake.calls.clear();
    uint8_t frame[640] = {};
    uint32_t done = 0;
    fake.reportBytes = sizeof frame;
    CHECK(quelix::PipeTransfer(handle, 2, sizeof frame, frame, done, 1) == quelix::PipeResult::Ok);
    CHECK(done == sizeof frame);
    fake.reportBytes = 64;
    CHECK(quelix::PipeTransfer(handle, 0, 64, frame, done, 0) == quelix::PipeResult::Ok);
    fake.reportBytes = sizeof frame;
    CHECK(quelix::PipeTransferLarge(handle, 2, sizeof frame, frame, done) == quelix::PipeResult::Ok);
    CHECK(fake.calls.size() == 3);
    if (fake.calls.size() == 3) {
        const uint32_t codes[] = {0x222051, 0x22204E, 0x2220A9};
        const uint32_t pipes[] = {2, 0, 2};
        const uint32_t lengths[] = {sizeof frame, 64, sizeof frame};
        for (int i = 0; i < 3; ++i) {
            CHECK(fake.calls[i].code == codes[i]);
            CHECK(fake.calls[i].input.size() == 4 && Le32(fake.calls[i].input, 0) == pipes[i]);
            CHECK(fake.calls[i].output == frame);
            CHECK(fake.calls[i].outputSize == lengths[i]);
        }
    }
    // A driver that reports more bytes than the buffer holds is not believed.
    fake.reportBytes = sizeof frame + 1;
    CHECK(quelix::PipeTransfer(handle, 2, sizeof frame, frame, done, 1) != quelix::PipeResult::Ok);
    CHECK(done == 0);
    // A failed request reports failure, whatever it says it moved.
    fake.reportBytes = 64;
    fake.succeed = FALSE;
    CHECK(quelix::ReadPipe(handle, 1, 64, frame) == quelix::TransferStatus::Failed);
    fake.succeed = TRUE;
    quelix::DeviceClose(handle);
}

void TimeoutIsTheFortyFourByteBlock()
{
    quelix::DriverHandle handle = 0;
    quelix::DeviceOpen("\\\\.\\Qlix205KWMX-0", handle);
    fake.calls.clear();
    fake.reportBytes = 0;
    CHECK(quelix::SetDriverTimeout(handle, 1234));
    CHECK(fake.calls.size() == 1);
    if (fake.calls.size() == 1) {
        const Call& call = fake.calls[0];
        CHECK(call.code == 0x2220A0);
        CHECK(call.input.size() == 44);
        CHECK(Le32(call.input, 0) == 1 && Le32(call.input, 4) == 1234);
        bool restZero = call.input.size() == 44;
        for (size_t i = 8; restZero && i < 44; ++i)
            restZero = call.input[i] == 0;
        CHECK(restZero);
        CHECK(call.outputSize == 0);
    }
    quelix::DeviceClose(handle);
}

void ClosedAndUnknownHandlesAreRefused()
{
    quelix::DriverHandle handle = 0;
    quelix::DeviceOpen("\\\\.\\Qlix205KWMX-0", handle);
    const quelix::DriverHandle stale = handle;
    quelix::DeviceClose(handle);
    fake.calls.clear();
    uint8_t packet[64] = {};
    CHECK(quelix::ReadPipe(stale, 1, 64, packet) != quelix::TransferStatus::Ok);
    CHECK(quelix::ReadPipe(0x7777, 1, 64, packet) != quelix::TransferStatus::Ok);
    CHECK(fake.calls.empty());
    // Sizes past the protocol's limits never reach the driver.
    quelix::DeviceOpen("\\\\.\\Qlix205KWMX-0", handle);
    uint32_t moved = 7;
    std::vector<uint8_t> big(5000);
    CHECK(!quelix::platform::DeviceIoControl(handle, 0x222051, big.data(), 5000, packet, 64, &moved));
    CHECK(moved == 0);
    CHECK(!quelix::platform::DeviceIoControl(handle, 0x222051, nullptr, 4, packet, 64, &moved));
    CHECK(fake.calls.empty());
    quelix::DeviceClose(handle);
}

}  // namespace

int main()
{
    // The kernel driver's transport, not the TCP test back end.
    SetEnvironmentVariableA("QUELIX_DRIVER_TCP_PORT", nullptr);
    _putenv("QUELIX_DRIVER_TCP_PORT=");
    quelix::platform::DriverSystemCalls& calls = quelix::platform::SystemCalls();
    calls.createFile = FakeCreateFile;
    calls.deviceIoControl = FakeDeviceIoControl;
    calls.closeHandle = FakeCloseHandle;
    OpensForWritingSharedWithWriters();
    PipeRequestsCarryCodePipeAndBuffer();
    TimeoutIsTheFortyFourByteBlock();
    ClosedAndUnknownHandlesAreRefused();
    if (failures == 0)
        std::printf("ok\n");
    return failures == 0 ? 0 : 1;
}
