// SPDX-License-Identifier: MIT
// Frames of the simulated camera through the driver connection: the raw
// frame format, the trailer, read lengths, and the sensor model.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "device/command_codes.h"
#include "platform/driver/driver_wire.h"
#include "raw_driver_requests.h"
#include "sim/frame_renderer.h"
#include "sim_fixture.h"

namespace quelix::test {
namespace {

constexpr uint32_t kFullFrameSamples = 82944;
constexpr int kPixels = 320 * 256;

uint16_t RawValue(size_t i)
{
    return uint16_t(i * 40503u + 7u);
}  // every bit pattern, above 14 bits too

std::vector<uint16_t> Pixels(const std::vector<uint8_t>& frame, int count)
{
    std::vector<uint16_t> pixels(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        pixels[size_t(i)] = Sample16(frame, size_t(i));
    return pixels;
}

double Median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + ptrdiff_t(values.size() / 2), values.end());
    return values[values.size() / 2];
}

class SimulatedCameraFrames : public SimulatedCameraTest {
protected:
    void Start(const sim::CameraOptions& options = FastCameras())
    {
        StartCameras({0}, options);
        device_ = std::make_unique<OpenDevice>();
        ASSERT_TRUE(device_->Valid());
    }
    DriverHandle Handle() const { return device_->Handle(); }

    // Reads one whole frame of `bytes`.
    std::vector<uint8_t> Frame(uint32_t bytes)
    {
        std::vector<uint8_t> frame;
        const PipeResult result = ReadFrame(Handle(), bytes, frame);
        EXPECT_TRUE(result.success);
        EXPECT_EQ(result.bytes, bytes);
        return frame;
    }
    // The full window's pixels in 16-bit samples at an exposure.
    std::vector<uint16_t> FullFrame(uint16_t exposureLines = 100)
    {
        EXPECT_TRUE(ConfigureCapture(Handle(), 0, 0, 320, 256, true, exposureLines));
        return Pixels(Frame(kFullFrameSamples * 2), kPixels);
    }
    std::string WriteRawScene()
    {
        const std::string path = environment_.Directory() + "/scene.raw";
        std::ofstream file(path, std::ios::binary);
        for (size_t i = 0; i < size_t(kPixels); ++i) {
            const uint16_t value = RawValue(i);
            const char bytes[2] = {char(value & 0xFF), char(value >> 8)};
            file.write(bytes, 2);
        }
        return path;
    }

    std::unique_ptr<OpenDevice> device_;
};

TEST_F(SimulatedCameraFrames, ARawSceneArrivesExactlyWithTrailerAndPaddingInBothWidthsAndCropped)
{
    sim::CameraOptions options = FastCameras();
    options.scene = "raw:" + WriteRawScene();
    Start(options);

    ASSERT_TRUE(ConfigureCapture(Handle(), 0, 0, 320, 256, true));
    std::vector<uint8_t> frame = Frame(kFullFrameSamples * 2);
    for (size_t i = 0; i < size_t(kPixels); ++i)
        ASSERT_EQ(Sample16(frame, i), RawValue(i)) << i;
    EXPECT_EQ(Sample16(frame, kPixels), 1) << "trailer";
    EXPECT_TRUE(std::all_of(frame.begin() + 2 * kPixels + 2, frame.end(), [](uint8_t b) { return b == 0; }));

    ASSERT_TRUE(ConfigureCapture(Handle(), 0, 0, 320, 256, false));
    frame = Frame(kFullFrameSamples);
    for (size_t i = 0; i < size_t(kPixels); ++i)
        ASSERT_EQ(frame[i], uint8_t(RawValue(i) >> 6)) << i;
    EXPECT_EQ(frame[kPixels] | frame[kPixels + 1] << 8, 2) << "trailer after the last pixel byte";
    EXPECT_TRUE(std::all_of(frame.begin() + kPixels + 2, frame.end(), [](uint8_t b) { return b == 0; }));

    ASSERT_TRUE(ConfigureCapture(Handle(), 10, 6, 100, 50, true));
    const uint32_t samples = TransferSamplesFor(100, 50);
    ASSERT_EQ(samples, 6144u);
    frame = Frame(samples * 2);
    for (size_t row = 0; row < 50; ++row)
        for (size_t column = 0; column < 100; ++column)
            ASSERT_EQ(Sample16(frame, row * 100 + column), RawValue((6 + row) * 320 + 10 + column));
    EXPECT_EQ(Sample16(frame, 5000), 3);
    EXPECT_TRUE(std::all_of(frame.begin() + 10002, frame.end(), [](uint8_t b) { return b == 0; }));

    // Only a regular file of exactly 320 x 256 samples makes a raw scene.
    const std::string shortFile = environment_.Directory() + "/short.raw";
    WriteTextFile(shortFile, std::string(1000, '\0'));
    std::string error;
    for (const std::string& name :
         {"raw:" + shortFile, std::string("raw:/dev/zero"), "raw:" + environment_.Directory()}) {
        EXPECT_FALSE(Camera().SetScene(name, &error)) << name;
        EXPECT_NE(error.find("raw scene file"), std::string::npos) << error;
    }
    EXPECT_EQ(Sample16(Frame(samples * 2), 0), RawValue(6 * 320 + 10)) << "the scene stays";
}

TEST_F(SimulatedCameraFrames, TheTrailerCountsFramesUntilInit)
{
    Start();
    ASSERT_TRUE(ConfigureCapture(Handle(), 0, 0, 64, 8, true));
    const uint32_t bytes = TransferSamplesFor(64, 8) * 2;
    for (uint16_t expected = 1; expected <= 3; ++expected)
        EXPECT_EQ(Sample16(Frame(bytes), 64 * 8), expected);
    ASSERT_TRUE(SendCommand(Handle(), {CmdResetTransfer}));
    EXPECT_EQ(Sample16(Frame(bytes), 64 * 8), 4) << "a reset keeps counting";
    ASSERT_TRUE(SendCommand(Handle(), {CmdInit}));
    EXPECT_EQ(Sample16(Frame(bytes), 64 * 8), 1);
    EXPECT_EQ(Camera().FramesDelivered(), 5u);
}

TEST_F(SimulatedCameraFrames, AReadOfAnotherLengthFailsAndReportsTheBytesMoved)
{
    Start();
    ASSERT_TRUE(ConfigureCapture(Handle(), 0, 0, 64, 8, true));
    const uint32_t bytes = TransferSamplesFor(64, 8) * 2;
    std::vector<uint8_t> frame;
    PipeResult result = ReadFrame(Handle(), bytes - 1, frame);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.bytes, bytes - 1);
    result = ReadFrame(Handle(), bytes + 10, frame);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.bytes, bytes);
    EXPECT_EQ(Sample16(frame, 64 * 8), 2) << "the whole frame was moved";

    // A read with no start-frame command waits for the driver's time-out.
    ASSERT_TRUE(SetDriverTimeout(Handle(), 50));
    frame.assign(bytes, 0);
    result = PipeRequest(Handle(), driver_wire::kPipeTransferLarge, 2, frame);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.bytes, 0u);
}

TEST_F(SimulatedCameraFrames, AShortFrameEndsAfterHalfItsBytesAndTheNextIsWhole)
{
    Start();
    ASSERT_TRUE(ConfigureCapture(Handle(), 0, 0, 64, 8, true));
    const uint32_t bytes = TransferSamplesFor(64, 8) * 2;
    Camera().ShortNextFrame();
    std::vector<uint8_t> frame;
    const PipeResult result = ReadFrame(Handle(), bytes, frame);
    EXPECT_TRUE(result.success) << "the driver reports a short transfer as done";
    EXPECT_EQ(result.bytes, bytes / 2);
    EXPECT_EQ(Sample16(Frame(bytes), 64 * 8), 2);
}

TEST_F(SimulatedCameraFrames, FramesFollowFromTheSeedAndNoiseChangesEveryFrame)
{
    sim::CameraOptions options = FastCameras();
    options.seed = 5;
    Start(options);
    const std::vector<uint16_t> first = FullFrame();
    const std::vector<uint16_t> second = FullFrame();
    EXPECT_NE(first, second) << "noise";

    simulator_.reset();
    Start(options);
    EXPECT_EQ(FullFrame(), first);
    EXPECT_EQ(FullFrame(), second);

    simulator_.reset();
    options.seed = 6;
    Start(options);
    EXPECT_NE(FullFrame(), first);

    simulator_.reset();
    options.noise = false;
    Start(options);
    EXPECT_EQ(FullFrame(), FullFrame()) << "without noise";
}

TEST_F(SimulatedCameraFrames, HotAndDeadPixelsAreFewAndFullScaleIsTheCeiling)
{
    sim::CameraOptions options = FastCameras();
    options.noise = false;
    options.scene = "dark";
    Start(options);
    const std::vector<uint16_t> dark = FullFrame();
    ASSERT_TRUE(Camera().SetScene("flat"));
    const std::vector<uint16_t> flat = FullFrame();

    int hot = 0;
    int dead = 0;
    std::vector<double> darkLevels;
    std::vector<double> signals;
    for (size_t i = 0; i < dark.size(); ++i) {
        if (dark[i] > 12288) {
            ++hot;
            continue;
        }
        darkLevels.push_back(dark[i]);
        signals.push_back(double(flat[i]) - dark[i]);
    }
    const double medianSignal = Median(signals);
    for (double signal : signals)
        dead += signal < 0.1 * medianSignal;
    // A few per ten thousand of 81920 pixels.
    EXPECT_GE(hot, 8);
    EXPECT_LE(hot, 60);
    EXPECT_GE(dead, 4);
    EXPECT_LE(dead, 50);
    EXPECT_NEAR(Median(darkLevels), 600, 30);
    EXPECT_GT(medianSignal, 1000);

    const std::vector<uint16_t> bright = FullFrame(0x7FFF);
    EXPECT_EQ(*std::max_element(bright.begin(), bright.end()), 0x3FFF);
    EXPECT_GT(std::count(bright.begin(), bright.end(), 0x3FFF), kPixels * 99 / 100);
}

TEST_F(SimulatedCameraFrames, SignalFollowsGainsExposureAndVignetting)
{
    sim::CameraOptions options = FastCameras();
    options.noise = false;
    options.scene = "dark";
    Start(options);
    const std::vector<uint16_t> dark = FullFrame(100);
    const std::vector<uint16_t> longDark = FullFrame(20000);
    ASSERT_TRUE(Camera().SetScene("flat"));
    const std::vector<uint16_t> plain = FullFrame(100);
    const std::vector<uint16_t> longer = FullFrame(200);
    ASSERT_TRUE(WriteFpga(Handle(), 20, 0x02));  // global gain
    const std::vector<uint16_t> global = FullFrame(100);
    ASSERT_TRUE(WriteSensor(Handle(), 45, 32));  // x2 more on even rows, odd columns
    const std::vector<uint16_t> phased = FullFrame(100);

    auto medianRatio = [&](const std::vector<uint16_t>& top, const std::vector<uint16_t>& base,
                           const std::vector<uint16_t>& topDark, auto select) {
        std::vector<double> ratios;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 320; ++x) {
                const size_t i = size_t(y * 320 + x);
                if (select(x, y) && dark[i] < 12288)
                    ratios.push_back((double(top[i]) - topDark[i]) / (double(base[i]) - dark[i]));
            }
        return Median(ratios);
    };
    auto all = [](int, int) { return true; };
    EXPECT_NEAR(medianRatio(longer, plain, dark, all), 2.0, 0.02) << "exposure";
    EXPECT_NEAR(medianRatio(global, plain, dark, all), 2.0, 0.02) << "global gain";
    EXPECT_NEAR(medianRatio(phased, global, dark, [](int x, int y) { return y % 2 == 0 && x % 2 == 1; }), 2.0,
                0.02);
    EXPECT_NEAR(medianRatio(phased, global, dark, [](int x, int y) { return !(y % 2 == 0 && x % 2 == 1); }),
                1.0, 0.01);

    std::vector<double> darkGrowth;
    for (size_t i = 0; i < dark.size(); ++i)
        if (dark[i] < 12288)
            darkGrowth.push_back(double(longDark[i]) - dark[i]);
    EXPECT_GT(Median(darkGrowth), 200) << "dark current gathers with exposure";

    auto blockSignal = [&](int left, int top) {
        double sum = 0;
        for (int y = top; y < top + 16; ++y)
            for (int x = left; x < left + 16; ++x)
                sum += double(plain[size_t(y * 320 + x)]) - dark[size_t(y * 320 + x)];
        return sum;
    };
    const double corner = blockSignal(0, 0);
    EXPECT_LT(corner, 0.85 * blockSignal(152, 120)) << "vignetting";
}

TEST_F(SimulatedCameraFrames, TheChartHasItsRampAndTheMovingTargetMoves)
{
    sim::CameraOptions options = FastCameras();
    options.noise = false;
    options.scene = "chart";
    Start(options);
    const std::vector<uint16_t> chart = FullFrame();
    auto rampMean = [&](int left) {
        double sum = 0;
        for (int x = left; x < left + 32; ++x)
            sum += chart[size_t(20 * 320 + x)];
        return sum / 32;
    };
    EXPECT_LT(rampMean(0) + 1000, rampMean(144));
    EXPECT_LT(rampMean(144) + 1000, rampMean(288));

    ASSERT_TRUE(Camera().SetScene("moving"));
    auto targetCentreX = [&](const std::vector<uint16_t>& frame) {
        double sum = 0;
        double count = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 320; ++x)
                if (uint16_t value = frame[size_t(y * 320 + x)]; value > 3000 && value < 12288) {
                    sum += x;
                    ++count;
                }
        return count > 0 ? sum / count : -1.0;
    };
    std::vector<uint16_t> frame;
    while (Camera().FramesDelivered() < 21)  // the target's centre is at x = 3 x frame index - 16
        frame = FullFrame();
    const double before = targetCentreX(frame);
    const double after = targetCentreX(FullFrame());
    EXPECT_NEAR(before, 3 * 20 - 16, 1.0);
    EXPECT_NEAR(after - before, 3.0, 0.5);
}

TEST_F(SimulatedCameraFrames, InRealTimeFramesStillArriveWhole)
{
    sim::CameraOptions options = FastCameras();
    options.fast = false;
    Start(options);
    ASSERT_TRUE(ConfigureCapture(Handle(), 0, 0, 64, 16, false, 16));
    const uint32_t bytes = TransferSamplesFor(64, 16);
    for (uint16_t expected = 1; expected <= 3; ++expected) {
        const std::vector<uint8_t> frame = Frame(bytes);
        EXPECT_EQ(frame[64 * 16] | frame[64 * 16 + 1] << 8, expected);
    }
}

TEST(FrameRenderer, DarkCurrentGrowsWithSensorTemperature)
{
    std::string error;
    const auto dark = sim::LoadScene("dark", error);
    ASSERT_NE(dark, nullptr);
    sim::FrameRenderer renderer(1);
    sim::FrameSettings settings;
    settings.window = {0, 0, 320, 256};
    settings.exposureLines = 20000;
    settings.noise = false;
    auto meanLevel = [&](double celsius) {
        settings.temperatureCelsius = celsius;
        std::vector<uint8_t> frame(size_t(kFullFrameSamples) * 2);
        renderer.Render(settings, dark, frame);
        std::vector<double> levels;
        for (size_t i = 0; i < size_t(kPixels); ++i)
            levels.push_back(Sample16(frame, i));
        return Median(levels);
    };
    const double ambient = meanLevel(25.0);
    const double warm = meanLevel(37.0);  // two doublings
    const double cold = meanLevel(5.0);
    EXPECT_NEAR(warm - 600, 4 * (ambient - 600), 0.15 * (warm - 600));
    EXPECT_LT(cold, ambient);
}

}  // namespace
}  // namespace quelix::test
