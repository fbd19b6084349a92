// SPDX-License-Identifier: MIT
// Every export under bad arguments: dead and random handles, null and too
// small buffers, integers at and beyond their range ends, and names that are
// empty, very long or not valid text. Each call must return its failure
// value with its error code, and nothing may crash or trip a sanitizer.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "capture_fixture.h"
#include "export_table.h"
#include "test_environment.h"

namespace quelix {
namespace {

using test::ExportEntry;
using test::ExportScratch;
using test::ExportTable;

constexpr int32_t kIntMin = INT32_MIN;
constexpr int32_t kIntMax = INT32_MAX;

// ---------------------------------------------------------------------------
// The table against the public header.

TEST(ExportSweep, TheTableHoldsEveryExportOfThePublicHeader)
{
    const std::vector<std::string> declared = test::HeaderExportNames(QUELIX_PUBLIC_HEADER);
    EXPECT_EQ(declared.size(), 147u);
    std::set<std::string> tabled;
    for (const ExportEntry& entry : ExportTable())
        tabled.insert(entry.name);
    EXPECT_EQ(tabled.size(), ExportTable().size()) << "an export is listed twice";
    EXPECT_EQ(std::set<std::string>(declared.begin(), declared.end()), tabled);
}

// ---------------------------------------------------------------------------
// Dead and random handles, one test per export.

class DeadHandles : public ::testing::TestWithParam<ExportEntry> {
protected:
    test::ScopedTestEnvironment environment_;
};

std::vector<int32_t> HandlesThatNameNoCamera(int32_t released)
{
    std::vector<int32_t> handles = {0, released, -1, 1, kIntMin, kIntMax};
    std::mt19937 random(0x5eed);
    for (int i = 0; i < 8; ++i)
        handles.push_back(static_cast<int32_t>(random()));
    return handles;
}

TEST_P(DeadHandles, GiveTheFailureValueAndTouchNoArgument)
{
    const ExportEntry& entry = GetParam();
    const int32_t released = Quelix_Initialize(nullptr);
    ASSERT_NE(released, 0);
    ASSERT_EQ(Quelix_Release(released), 1);

    ExportScratch scratch;
    for (int32_t handle : HandlesThatNameNoCamera(released)) {
        scratch.Fill();
        const double result = entry.call(handle, scratch);
        EXPECT_EQ(result, entry.failure) << entry.name << " with handle " << handle;
        EXPECT_TRUE(scratch.Untouched()) << entry.name << " wrote through an argument for handle " << handle;
    }
}

// The two exports without a handle have their own test below.
std::vector<ExportEntry> ExportsTakingAHandle()
{
    std::vector<ExportEntry> entries;
    for (const ExportEntry& entry : ExportTable()) {
        if (entry.takesHandle)
            entries.push_back(entry);
    }
    return entries;
}

INSTANTIATE_TEST_SUITE_P(EveryExport, DeadHandles, ::testing::ValuesIn(ExportsTakingAHandle()),
                         [](const ::testing::TestParamInfo<ExportEntry>& info) { return info.param.name; });

TEST(ExportSweep, ExportsWithoutAHandleWorkWithAnyWindow)
{
    test::ScopedTestEnvironment environment;
    EXPECT_EQ(Quelix_GetDllVersion(), 8258836);
    // An error window that names no window: notifications to it are dropped.
    const int32_t handle = Quelix_Initialize(reinterpret_cast<QUELIX_HWND>(uintptr_t{0xDEADBEEF}));
    ASSERT_NE(handle, 0);
    EXPECT_EQ(Quelix_SetColorMode(handle, 7), 0);
    EXPECT_EQ(Quelix_GetLastError(handle), QUELIX_ERR_ARGUMENT);
    EXPECT_EQ(Quelix_Release(handle), 1);
    EXPECT_EQ(Quelix_Release(handle), 0);
}

// ---------------------------------------------------------------------------
// Bad arguments on a live camera.

class BadArguments : public test::CaptureTest {
protected:
    void SetUp() override { StartCamera(); }

    // The error history must hold exactly these codes, newest first.
    void ExpectHistory(const std::vector<int32_t>& codes, const std::string& what)
    {
        EXPECT_EQ(ErrorHistory(), codes) << what;
    }
};

using Getter = int32_t (*)(int32_t, int32_t*);

const Getter kNamedGetters[] = {
    Quelix_GetBrightness,       Quelix_GetContrast,       Quelix_GetHue,
    Quelix_GetSaturation,       Quelix_GetSharpness,      Quelix_GetBayerGainRGB,
    Quelix_GetBayerGainRed,     Quelix_GetBayerGainGreen, Quelix_GetBayerGainBlue,
    Quelix_GetBayerGainAuto,    Quelix_GetGamma,          Quelix_GetBayerMode,
    Quelix_GetGlobalGain,       Quelix_GetColorGainRed,   Quelix_GetColorGainGreen1,
    Quelix_GetColorGainGreen2,  Quelix_GetColorGainBlue,  Quelix_GetExposureTime,
    Quelix_GetGrayMode,         Quelix_GetGrayGainR,      Quelix_GetGrayGainG1,
    Quelix_GetGrayGainG2,       Quelix_GetGrayGainB,      Quelix_GetGrayOffsetR,
    Quelix_GetGrayOffsetG1,     Quelix_GetGrayOffsetG2,   Quelix_GetGrayOffsetB,
    Quelix_GetDotFilter,        Quelix_GetMaskFilter,     Quelix_GetAutoIris,
    Quelix_GetRealExposureTime, Quelix_GetHalfClock,      Quelix_GetSamplingRate,
    Quelix_GetVideoFormat};

TEST_F(BadArguments, NullPointers)
{
    for (Getter getter : kNamedGetters)
        getter(camera, nullptr);  // a null success flag is allowed
    EXPECT_EQ(Quelix_GetPeltier(camera, nullptr), -1);
    EXPECT_EQ(Quelix_GetTemperature(camera, nullptr), -1);
    // A register read without a success flag gives what a read with one gives.
    using RegisterRead = int32_t (*)(int32_t, int32_t, int32_t*);
    const std::pair<const char*, RegisterRead> reads[] = {
        {"Fpga_ReadRegister",
         [](int32_t h, int32_t a, int32_t* ok) {
             return Quelix_Fpga_ReadRegister(h, static_cast<uint8_t>(a), ok);
         }},
        {"ReadRegister", [](int32_t h, int32_t a,
                            int32_t* ok) { return Quelix_ReadRegister(h, static_cast<uint8_t>(a), ok); }},
        {"ReadSromID", [](int32_t h, int32_t a, int32_t* ok) { return Quelix_ReadSromID(h, a, ok); }}};
    for (const auto& [name, read] : reads) {
        int32_t ok = 0;
        const int32_t withFlag = read(camera, 0, &ok);
        EXPECT_EQ(ok, 1) << name;
        EXPECT_EQ(read(camera, 0, nullptr), withFlag) << name;
    }
    EXPECT_EQ(Quelix_GetFilterValue(camera, 1, nullptr), 0);
    ExpectHistory({11, 11}, "peltier and temperature are not supported");

    EXPECT_EQ(Quelix_GetCaptureWindowEx(camera, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(Quelix_GetIOPort(camera, nullptr), 0);
    ExpectHistory({}, "GetIOPort only notifies");
    EXPECT_EQ(ErrorNotifications().back(), QUELIX_ERR_ARGUMENT);

    EXPECT_EQ(Quelix_GetCameraInfo(camera, nullptr), 0);
    EXPECT_EQ(Quelix_EnumDevice(camera, nullptr), 0);
    EXPECT_EQ(Quelix_EnumDeviceW(camera, nullptr), 0);
    EXPECT_EQ(Quelix_GetDeviceName(camera, 0, nullptr, 256), 0);
    EXPECT_EQ(Quelix_GetDeviceNameW(camera, 0, nullptr, 256), 0);
    ExpectHistory({9, 9, 9, 9, 9}, "null output pointers");

    EXPECT_EQ(Quelix_GetImage(camera, nullptr, 1 << 20, 0), 0) << "no frame yet";
    ExpectHistory({QUELIX_ERR_OBJECTS}, "GetImage before any frame");
    EXPECT_EQ(Quelix_SnapShot(camera, nullptr, 0, 0), 1) << "a snapshot without a buffer only publishes";
    EXPECT_EQ(Quelix_SnapShot(camera, nullptr, 1 << 20, 0), 1);
    EXPECT_EQ(Quelix_GetImage(camera, nullptr, 1 << 20, 0), 0);
    ExpectHistory({QUELIX_ERR_OBJECTS}, "GetImage into no buffer");

    // A preview with no buffer but a size, and no window: frames are made and dropped.
    EXPECT_EQ(Quelix_CallBackPreview(camera, nullptr, nullptr, 1 << 20, 0), 1);
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
    EXPECT_EQ(Quelix_Trigger(camera, nullptr, nullptr, 1 << 20, 0), 1);
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
    ExpectHistory({}, "previews without a buffer");
}

TEST_F(BadArguments, TooSmallBuffers)
{
    char name[256];
    uint16_t wideName[256];
    for (int32_t size : {16, 1, 0, -1, kIntMin}) {
        EXPECT_EQ(Quelix_GetDeviceName(camera, 0, name, size), 0) << size;
        EXPECT_EQ(Quelix_GetDeviceNameW(camera, 0, wideName, size), 0) << size;
        ExpectHistory({9, 9}, "name buffer of " + std::to_string(size));
    }
    EXPECT_EQ(Quelix_GetDeviceName(camera, 0, name, 17), 1);
    EXPECT_STREQ(name, "Quelix205KWMX_01");

    QUELIX_CAMERA_INFO info{};
    for (int32_t size : {35, 0, -1, kIntMin}) {
        info.size = size;
        EXPECT_EQ(Quelix_GetCameraInfo(camera, &info), 0) << size;
        ExpectHistory({QUELIX_ERR_OBJECTS}, "information record of " + std::to_string(size));
    }
    info.size = kIntMax;
    EXPECT_EQ(Quelix_GetCameraInfo(camera, &info), 1) << "a larger record is filled up to its 36 bytes";

    ASSERT_EQ(Quelix_SetColorMode(camera, 8), 1);
    std::vector<uint8_t> frame(320 * 256);
    for (int32_t size : {320 * 256 - 1, 1, -1, kIntMin}) {
        EXPECT_EQ(Quelix_SnapShot(camera, frame.data(), size, 0), 0) << size;
        ExpectHistory({QUELIX_ERR_OBJECTS, QUELIX_ERR_OBJECTS}, "snapshot into " + std::to_string(size));
        EXPECT_EQ(Quelix_GetImage(camera, frame.data(), size, 1), 0) << size;
        ExpectHistory({QUELIX_ERR_OBJECTS, QUELIX_ERR_OBJECTS}, "image into " + std::to_string(size));
    }
    EXPECT_EQ(Quelix_SnapShot(camera, frame.data(), 320 * 256, 0), 1);
    EXPECT_EQ(Quelix_GetImage(camera, frame.data(), 320 * 256, kIntMin), 1) << "any row option is one of two";

    // Too small a preview buffer is told per frame and the frame is skipped.
    EXPECT_EQ(Quelix_CallBackPreview(camera, window, frame.data(), kIntMin, kIntMax), 1);
    const auto told = WaitFor(QUELIX_WM_FRAME);
    ASSERT_TRUE(told.has_value());
    EXPECT_EQ(told->wParam, 0u);
    EXPECT_EQ(told->lParam, QUELIX_ERR_OBJECTS);
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
    ErrorHistory();
}

struct IdRange {
    int32_t id;
    int32_t low;
    int32_t high;
};

TEST_F(BadArguments, ParameterIdsAtAndBeyondTheirRangeEnds)
{
    QUELIX_CAMERA_INFO info{};
    info.size = sizeof info;
    ASSERT_EQ(Quelix_GetCameraInfo(camera, &info), 1);
    const IdRange ranges[] = {{1, -255, 255},
                              {2, -127, 127},
                              {3, -360, 360},
                              {4, -255, 255},
                              {5, 0, 30},
                              {7, 0, 400},
                              {8, 0, 400},
                              {9, 0, 400},
                              {11, 0, 200},
                              {12, 0, 3},
                              {13, 1, 1},
                              {14, info.colorGainMin, 255},
                              {15, info.colorGainMin, 255},
                              {16, info.colorGainMin, 255},
                              {17, info.colorGainMin, 255},
                              {18, 1, 32767},
                              {19, 0, 2},
                              {20, 0, 255},
                              {21, 0, 255},
                              {22, 0, 255},
                              {23, 0, 255},
                              {24, -255, 255},
                              {25, -255, 255},
                              {26, -255, 255},
                              {27, -255, 255},
                              {102, 0, 1},
                              {103, 0, 1}};
    for (const IdRange& range : ranges) {
        for (int32_t value : {range.low, range.high})
            EXPECT_EQ(Quelix_SetFilterValue(camera, range.id, value), 1) << range.id << " = " << value;
        int32_t ok = 0;
        const int32_t kept = Quelix_GetFilterValue(camera, range.id, &ok);
        EXPECT_EQ(ok, 1);
        std::vector<int32_t> beyond = {range.low - 1, range.high + 1, kIntMin, kIntMax};
        for (int32_t value : beyond)
            EXPECT_EQ(Quelix_SetFilterValue(camera, range.id, value), 0) << range.id << " = " << value;
        EXPECT_EQ(Quelix_GetFilterValue(camera, range.id, &ok), kept) << "a refused value changes nothing";
        ExpectHistory({9, 9, 9, 9}, "id " + std::to_string(range.id));
    }
    // Ids that take any value.
    for (int32_t id : {6, 10})
        for (int32_t value : {kIntMin, -1, kIntMax})
            EXPECT_EQ(Quelix_SetFilterValue(camera, id, value), 1) << id;
    int32_t ok = 0;
    EXPECT_EQ(Quelix_GetFilterValue(camera, 6, &ok), 0xFFFFFF);

    for (int32_t id : {kIntMin, -1, 0, 28, 99, 104, kIntMax}) {
        EXPECT_EQ(Quelix_SetFilterValue(camera, id, 0), 0) << id;
        ok = 1;
        EXPECT_EQ(Quelix_GetFilterValue(camera, id, &ok), 0) << id;
        EXPECT_EQ(ok, 0);
        ExpectHistory({9, 9}, "unknown id " + std::to_string(id));
    }
    EXPECT_EQ(Quelix_SetFilterValue(camera, 100, 0), 0);
    EXPECT_EQ(Quelix_SetFilterValue(camera, 101, 0), 0);
    ExpectHistory({9, 11}, "peltier and temperature");
}

TEST_F(BadArguments, ModesAndTimesAtAndBeyondTheirRangeEnds)
{
    for (int32_t bits : {kIntMin, -8, 0, 7, 9, 14, 15, 17, 23, 25, 31, 33, 46, 47, 49, 62, 63, 65, kIntMax})
        EXPECT_EQ(Quelix_SetColorMode(camera, bits), 0) << bits;
    ExpectHistory(std::vector<int32_t>(19, 9), "colour modes");
    EXPECT_EQ(Quelix_GetColorMode(camera), 24) << "the default stays";

    for (int32_t value : {kIntMin, -1, 3, kIntMax})
        EXPECT_EQ(Quelix_SetSubSample(camera, value), 0) << value;
    for (int32_t value : {kIntMin, -1})
        EXPECT_EQ(Quelix_SetWaitTime(camera, value), 0) << value;
    for (int32_t value : {kIntMin, -1, 3, kIntMax})
        EXPECT_EQ(Quelix_SetAutoIris(camera, value), 0) << value;
    ExpectHistory({}, "subsample and wait time are refused silently, auto iris only notifies");
    EXPECT_EQ(Quelix_GetSubSample(camera), 0);
    EXPECT_GE(Quelix_GetWaitTime(camera), 0);

    for (int32_t value : {kIntMin, -1, 1274637 + 40, kIntMax})
        EXPECT_EQ(Quelix_SetRealExposureTime(camera, value), 0) << value;
    ExpectHistory({9, 9, 9, 9}, "exposure times");
    EXPECT_EQ(Quelix_SetRealExposureTime(camera, 0), 1) << "0 lines are raised to 1";

    for (int32_t flag : {kIntMin, kIntMax}) {
        EXPECT_EQ(Quelix_SetMirrorH(camera, flag), 1);
        EXPECT_EQ(Quelix_GetMirrorH(camera), 1);
        EXPECT_EQ(Quelix_SetMirrorV(camera, flag), 1);
        EXPECT_EQ(Quelix_GetMirrorV(camera), 1);
        EXPECT_EQ(Quelix_SetHalfClock(camera, flag), 1);
    }
    ExpectHistory({}, "flags take any value");
}

TEST_F(BadArguments, CaptureWindowsAtAndBeyondTheirRangeEnds)
{
    const int32_t extremes[] = {kIntMin, -1, 0, 1, 256, 257, 320, 321, kIntMax};
    std::mt19937 random(7);
    for (int turn = 0; turn < 400; ++turn) {
        int32_t v[6];
        for (int32_t& value : v)
            value = extremes[random() % std::size(extremes)];
        const int32_t result = Quelix_SetCaptureWindowEx(camera, v[0], v[1], v[2], v[3], v[4], v[5]);
        const bool valid = v[1] >= 0 && v[2] >= 4 && v[4] >= 0 && v[5] >= 4 && int64_t{v[1]} + v[2] <= 320 &&
                           int64_t{v[4]} + v[5] <= 256;
        if (!valid) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_WINDOW_INVALID);
        }
        ErrorHistory();
    }
    for (auto [width, height] : {std::pair{kIntMax, kIntMax}, {kIntMin, -1}, {0, 0}}) {
        EXPECT_EQ(Quelix_SetCaptureWindow(camera, width, height), 0);
        EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_WINDOW) << "no preset of that size";
    }
    // A window left invalid is refused again when capture starts.
    ASSERT_EQ(Quelix_SetCaptureWindowEx(camera, kIntMax, kIntMax, kIntMax, kIntMax, kIntMax, kIntMax), 0);
    EXPECT_EQ(Quelix_StartPreview(camera), 0);
    EXPECT_EQ(Quelix_Capture(camera), 0);
    EXPECT_EQ(Quelix_SnapShot(camera, nullptr, 0, 0), 0);
    ErrorHistory();
    EXPECT_EQ(Quelix_SetCaptureWindowEx(camera, 320, 0, 320, 256, 0, 256), 1);
    EXPECT_EQ(Quelix_SnapShot(camera, nullptr, 0, 0), 1);
}

TEST_F(BadArguments, DeviceNumbersAndAddressesBeyondTheirRange)
{
    for (int32_t number : {kIntMin, -1, 8, kIntMax}) {
        EXPECT_EQ(Quelix_SetDeviceNumber(camera, number), 0) << number;
        EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_NO_DEVICE);
        char name[32];
        EXPECT_EQ(Quelix_GetDeviceName(camera, number, name, sizeof name), 0) << number;
        EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_ARGUMENT);
    }
    EXPECT_EQ(Quelix_SetDeviceNumber(camera, 1), 0) << "no camera 1 is attached";
    EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_NO_DEVICE);

    // The command packet carries the ID-memory address in one byte: any
    // other address reads the byte it names modulo 256.
    for (int32_t address : {kIntMin, -1, 256, kIntMax}) {
        int32_t ok = 0;
        const int32_t wrapped = Quelix_ReadSromID(camera, address & 0xFF, &ok);
        EXPECT_EQ(Quelix_ReadSromID(camera, address, &ok), wrapped) << address;
        EXPECT_EQ(ok, 1);
    }
    ExpectHistory({}, "every address names a byte");
    for (int address : {0, 255}) {
        int32_t ok = 0;
        Quelix_ReadSromID(camera, address, &ok);
        EXPECT_EQ(ok, 1) << address;
        EXPECT_EQ(Quelix_WriteRegister(camera, static_cast<uint8_t>(address), 0xFFFF) |
                      Quelix_Fpga_WriteRegister(camera, static_cast<uint8_t>(address), 0xFFFF) | 1,
                  1);
    }
    ErrorHistory();
}

TEST_F(BadArguments, PreviewWindowsWithBadParentsAndRectangles)
{
    const QUELIX_HWND stranger = reinterpret_cast<QUELIX_HWND>(uintptr_t{0x5A5A5A50});
    EXPECT_EQ(Quelix_SetPreviewWindow(camera, stranger, 0, 0, 320, 256), 1);
    EXPECT_EQ(Quelix_Preview(camera), 0);
    EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_WINDOW) << "a window that is not there";
    ErrorHistory();
    EXPECT_EQ(Quelix_Close(camera), 1);

    const std::array<int32_t, 4> rectangles[] = {{kIntMin, kIntMin, kIntMax, kIntMax},
                                                 {kIntMax, kIntMax, kIntMin, kIntMin},
                                                 {0, 0, kIntMax, 1},
                                                 {10, 10, 10, 10},
                                                 {-5, -5, 0, 0}};
    for (const auto& r : rectangles) {
        EXPECT_EQ(Quelix_SetPreviewWindow(camera, nullptr, r[0], r[1], r[2], r[3]), 1);
        const int32_t started = Quelix_Preview(camera);
        if (started == 0) {
            EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_WINDOW) << r[0] << "," << r[1];
        }
        ErrorHistory();
        EXPECT_EQ(Quelix_Close(camera), 1);
    }
    // Frames to a window that is not there are dropped.
    std::vector<uint8_t> frame(320 * 256 * 3);
    EXPECT_EQ(Quelix_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    EXPECT_EQ(Quelix_CallBackPreview(camera, stranger, frame.data(), static_cast<int32_t>(frame.size()), 0),
              1);
    EXPECT_EQ(Quelix_StopPreview(camera), 1);
}

// ---------------------------------------------------------------------------
// Names. Files are written into the test's own directory.

// The header's UTF-16 units are uint16_t.
const uint16_t* Units(const std::u16string& text)
{
    return reinterpret_cast<const uint16_t*>(text.c_str());
}

const std::u16string kUnpairedHigh =
    u"a\xD800"
    u"b";
const std::u16string kUnpairedLow =
    u"\xDC00"
    u"x.bmp";
const std::string kMalformedUtf8[] = {"\xff\xfe.bmp", "\xc3", "a\xe2\x82", "\xed\xa0\x80.bmp"};

class BadNames : public BadArguments {
protected:
    std::string InDirectory(const std::string& name) { return environment_.Directory() + "/" + name; }
    std::string LongName() { return InDirectory(std::string(4000, 'n')); }
    std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }
};

TEST_F(BadNames, ImageSaving)
{
    ASSERT_EQ(Quelix_SnapShot(camera, nullptr, 0, 0), 1);
    for (int32_t format : {kIntMin, -1, 7, kIntMax})
        EXPECT_EQ(Quelix_SaveImage(camera, InDirectory("f.bmp").c_str(), format), 0) << format;
    EXPECT_EQ(Quelix_SaveImage(camera, nullptr, 0), 0);
    EXPECT_EQ(Quelix_SaveImage(camera, "", 0), 0);
    EXPECT_EQ(Quelix_SaveImage(camera, LongName().c_str(), 0), 0);
    EXPECT_EQ(Quelix_SaveImageW(camera, nullptr, 0), 0);
    EXPECT_EQ(Quelix_SaveImageW(camera, Units(u""), 0), 0);
    EXPECT_EQ(Quelix_SaveImageW(camera, Units(Wide(LongName())), 0), 0);
    for (const std::u16string& name : {kUnpairedHigh, kUnpairedLow}) {
        EXPECT_EQ(Quelix_SaveImageW(camera, Units(Wide(InDirectory("")).append(name)), 0), 0);
        EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_NOT_INITIALIZED)
            << "a name that cannot be converted";
    }
    for (const std::string& name : kMalformedUtf8)
        Quelix_SaveImage(camera, InDirectory(name).c_str(), 0);  // bytes are a valid file name here
    ErrorHistory();
}

TEST_F(BadNames, MaskFiles)
{
    for (const char* name : {static_cast<const char*>(nullptr), ""}) {
        EXPECT_EQ(Quelix_LoadMaskFile(camera, name), 0);
        EXPECT_EQ(Quelix_SaveMaskFile(camera, name), 0);
        ExpectHistory({QUELIX_ERR_MASK_FILE, QUELIX_ERR_MASK_FILE}, "no mask file name");
    }
    EXPECT_EQ(Quelix_LoadMaskFile(camera, LongName().c_str()), 0);
    EXPECT_EQ(Quelix_SaveMaskFile(camera, LongName().c_str()), 0);
    ExpectHistory({QUELIX_ERR_MASK_FILE, QUELIX_ERR_MASK_FILE}, "a name too long for the system");
    for (const std::string& name : kMalformedUtf8) {
        EXPECT_EQ(Quelix_LoadMaskFile(camera, InDirectory(name).c_str()), 0) << "no such file";
        EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_MASK_FILE);
    }
    for (const std::u16string& name : {kUnpairedHigh, kUnpairedLow, Wide(LongName())}) {
        const std::u16string path = Wide(InDirectory("")) + name;
        EXPECT_EQ(Quelix_LoadMaskFileW(camera, Units(path)), 0);
        EXPECT_EQ(Quelix_SaveMaskFileW(camera, Units(path)), 0);
        ExpectHistory({QUELIX_ERR_FILE, QUELIX_ERR_FILE}, "a wide name that cannot be converted");
    }
    EXPECT_EQ(Quelix_LoadMaskFileW(camera, nullptr), 0);
    EXPECT_EQ(Quelix_SaveMaskFileW(camera, nullptr), 0);
    ErrorHistory();

    ASSERT_EQ(Quelix_SnapShot(camera, nullptr, 0, 0), 1);
    for (int32_t which : {kIntMin, -1, 2, kIntMax}) {
        EXPECT_EQ(Quelix_UpdateMaskData(camera, which), 0) << which;
        EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_FILE);
    }
}

TEST_F(BadNames, Recording)
{
    for (const char* name : {static_cast<const char*>(nullptr), ""}) {
        EXPECT_EQ(Quelix_Record(camera, name, 1000, 0), 0);
        EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_ARGUMENT);
    }
    EXPECT_EQ(Quelix_RecordW(camera, nullptr, 1000, 0), 0);
    for (const std::u16string& name : {kUnpairedHigh, kUnpairedLow, Wide(LongName())}) {
        EXPECT_EQ(Quelix_RecordW(camera, Units(Wide(InDirectory("")) + name), 1000, 0), 0);
        EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_FILE);
        Quelix_StopPreview(camera);
    }
    EXPECT_EQ(Quelix_Record(camera, LongName().c_str(), 1000, 0), 0);
    EXPECT_EQ(Quelix_GetLastError(camera), QUELIX_ERR_FILE);
    Quelix_StopPreview(camera);
    // Any time and window flag: a recording starts and stops.
    for (auto [time, show] : {std::pair{kIntMin, kIntMin}, {-1, 1}, {0, 0}, {kIntMax, kIntMax}}) {
        Quelix_Record(camera, InDirectory("r.avi").c_str(), time, show);
        EXPECT_EQ(Quelix_StopPreview(camera), 1);
        ErrorHistory();
    }
    for (const std::string& name : kMalformedUtf8) {
        Quelix_Record(camera, InDirectory(name).c_str(), 0, 0);
        EXPECT_EQ(Quelix_StopPreview(camera), 1);
    }
}

TEST_F(BadNames, DialogsWithBadParentsAndNoView)
{
    // With no display and no automation a dialog cannot be made: Cancel.
    unsetenv("DISPLAY");
    for (QUELIX_HWND parent :
         {static_cast<QUELIX_HWND>(nullptr), reinterpret_cast<QUELIX_HWND>(uintptr_t{0x77})}) {
        EXPECT_EQ(Quelix_SetAnalogDlg(camera, parent), 1);
        EXPECT_EQ(Quelix_SetImageDlg(camera, parent), 1);
        EXPECT_EQ(Quelix_SetCameraDlg(camera, parent), 1);
    }
}

}  // namespace
}  // namespace quelix
