// SPDX-License-Identifier: MIT
// Calibration quality on the simulated camera, and the cost of mask files.
//
// Quality: the spatial non-uniformity (standard deviation over mean, without
// the two-pixel border) of the average of 64 frames of the flat scene in
// colour mode 1, taken at half the exposure of the bright reference:
// uncorrected, and corrected (shading and defect repair) against references
// from one frame and averaged over 32 frames. The references are made as
// `quelix calibrate` makes them: frames through the public interface,
// averaged and written with the mask-file code. One simulated camera serves
// every frame, so the noise of no two frames repeats.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

#include "../tests/support/pipeline_camera.h"
#include "QuelixSdk_205KWMX.h"
#include "device/mask_file.h"
#include "device/reference_average.h"
#include "pipeline_frames.h"
#include "sim/camera_simulator.h"
#include "sim/simulated_camera.h"

namespace quelix {
namespace {

constexpr int32_t kBrightExposureUs = 10000;
constexpr int kMeasuredFrames = 64;
constexpr int kBorder = 2;

// A private device directory, registry and shared table while it lives.
class PrivateEnvironment {
public:
    PrivateEnvironment()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quelix-calibration-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        directory_ = pattern;
        shm_ = "quelix-calibration-" + std::to_string(getpid());
        for (const auto& [name, value] :
             {std::pair<const char*, std::string>{"QUELIX_DEVICE_DIR", directory_},
              {"QUELIX_REGISTRY", directory_ + "/registry.reg"},
              {"QUELIX_SHM_NAME", shm_}}) {
            const char* previous = getenv(name);
            saved_.emplace_back(name,
                                previous != nullptr ? std::optional<std::string>(previous) : std::nullopt);
            setenv(name, value.c_str(), 1);
        }
    }
    ~PrivateEnvironment()
    {
        std::error_code ignored;
        std::filesystem::remove("/dev/shm/" + shm_, ignored);
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        if (!directory_.empty())
            std::filesystem::remove_all(directory_, ignored);
    }
    PrivateEnvironment(const PrivateEnvironment&) = delete;
    PrivateEnvironment& operator=(const PrivateEnvironment&) = delete;

    const std::string& Directory() const { return directory_; }

private:
    std::string directory_;
    std::string shm_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A fast simulated camera with noise and a camera object on it, set up for
// uncorrected 16-bit snapshots.
class CalibrationRig {
public:
    CalibrationRig()
    {
        if (environment_.Directory().empty())
            return;
        sim::CameraOptions options;
        options.fast = true;
        options.scene = "dark";
        simulator_ = sim::CameraSimulator::Start({0}, options, environment_.Directory(), &error_);
        if (simulator_ == nullptr)
            return;
        camera = Quelix_Initialize(nullptr);
        ready_ = camera != 0 && Quelix_SetDeviceNumber(camera, 0) && Quelix_SetColorMode(camera, 16) &&
                 Quelix_SetGamma(camera, 100) && Quelix_SetContrast(camera, 0) &&
                 Quelix_SetSharpness(camera, 0) && Quelix_SetBrightness(camera, 0) && Quelix_Capture(camera);
    }
    ~CalibrationRig()
    {
        if (camera != 0) {
            Quelix_StopPreview(camera);
            Quelix_Release(camera);
        }
        simulator_.reset();
    }

    bool Ready() const { return ready_; }
    const std::string& Directory() const { return environment_.Directory(); }

    bool Look(const char* scene, int32_t exposureUs)
    {
        return simulator_->Camera(0)->SetScene(scene) && Quelix_SetRealExposureTime(camera, exposureUs);
    }
    bool Snap() { return Quelix_SnapShot(camera, frame.data(), static_cast<int32_t>(frame.size()), 1) == 1; }
    uint16_t Sample(size_t k) const { return static_cast<uint16_t>(frame[2 * k] | frame[2 * k + 1] << 8); }

    int32_t camera = 0;
    std::vector<uint8_t> frame = std::vector<uint8_t>(kMaskPixels * 2);

private:
    PrivateEnvironment environment_;
    std::string error_;
    std::unique_ptr<sim::CameraSimulator> simulator_;
    bool ready_ = false;
};

// Averages `frames` frames of the scene into the dark or bright reference.
bool TakeReference(CalibrationRig& rig, MaskReferences& references, bool bright, int frames)
{
    ReferenceAverage average;
    if (!rig.Look(bright ? "flat" : "dark", kBrightExposureUs) ||
        !average.Start(0, 0, kMaskWidth, kMaskHeight))
        return false;
    for (int n = 0; n < frames; ++n) {
        if (!rig.Snap() || !average.Add(rig.frame.data(), kMaskWidth * 2, false, false))
            return false;
    }
    return average.StoreInto(references, bright);
}

// Standard deviation over mean of the 64-frame average, inside the border.
double NonUniformity(CalibrationRig& rig)
{
    std::vector<double> sum(kMaskPixels, 0.0);
    for (int n = 0; n < kMeasuredFrames; ++n) {
        if (!rig.Snap())
            return NAN;
        for (size_t k = 0; k < kMaskPixels; ++k)
            sum[k] += rig.Sample(k);
    }
    double total = 0;
    double squares = 0;
    size_t count = 0;
    for (int i = kBorder; i < kMaskHeight - kBorder; ++i) {
        for (int j = kBorder; j < kMaskWidth - kBorder; ++j) {
            const double mean = sum[static_cast<size_t>(i) * kMaskWidth + j] / kMeasuredFrames;
            total += mean;
            squares += mean * mean;
            ++count;
        }
    }
    const double mean = total / static_cast<double>(count);
    return std::sqrt(std::max(0.0, squares / static_cast<double>(count) - mean * mean)) / mean;
}

// Arguments: frames per reference (0: no correction), defect repair on.
void BM_CalibrationNonUniformity(benchmark::State& state)
{
    const int referenceFrames = static_cast<int>(state.range(0));
    const bool repair = state.range(1) != 0;
    for (auto _ : state) {
        CalibrationRig rig;
        if (!rig.Ready()) {
            state.SkipWithError("the simulated camera did not start");
            return;
        }
        if (referenceFrames > 0) {
            MaskReferences references;
            const std::string path = rig.Directory() + "/camera.msk";
            if (!TakeReference(rig, references, false, referenceFrames) ||
                !TakeReference(rig, references, true, referenceFrames) || !WriteMaskFile(path, references) ||
                !Quelix_LoadMaskFile(rig.camera, path.c_str())) {
                state.SkipWithError("calibration failed");
                return;
            }
            Quelix_SetMaskFilter(rig.camera, 1);
            Quelix_SetDotFilter(rig.camera, repair ? 1 : 0);
        }
        if (!rig.Look("flat", kBrightExposureUs / 2)) {
            state.SkipWithError("the scene did not change");
            return;
        }
        state.counters["nonuniformity_pct"] = 100.0 * NonUniformity(rig);
    }
}
BENCHMARK(BM_CalibrationNonUniformity)
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({32, 1})
    ->Args({32, 0})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Mask files on an initialised camera object.
class MaskFileBench {
public:
    MaskFileBench() : path_(environment_.Directory() + "/camera.msk")
    {
        camera_ = Quelix_Initialize(nullptr);
        Quelix_SaveMaskFile(camera_, path_.c_str());
    }
    ~MaskFileBench() { Quelix_Release(camera_); }
    int32_t Camera() const { return camera_; }
    const char* Path() const { return path_.c_str(); }

private:
    PrivateEnvironment environment_;
    std::string path_;
    int32_t camera_ = 0;
};

void BM_LoadMaskFile(benchmark::State& state)
{
    MaskFileBench bench;
    for (auto _ : state) {
        if (!Quelix_LoadMaskFile(bench.Camera(), bench.Path()))
            state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_LoadMaskFile)->Unit(benchmark::kMicrosecond);

void BM_SaveMaskFile(benchmark::State& state)
{
    MaskFileBench bench;
    for (auto _ : state) {
        if (!Quelix_SaveMaskFile(bench.Camera(), bench.Path()))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveMaskFile)->Unit(benchmark::kMicrosecond);

// CorrectFrame in colour mode 1 with shading correction and defect repair
// (argument 1) or neither (0), against references with sparse defects.
void BM_CorrectFrameWithMask(benchmark::State& state)
{
    test::PipelineCamera p(1, bench::kWidth, bench::kHeight);
    std::mt19937 random(5);
    bench::FillScene(*p.camera.Image(ImageRole::rawFrame), random);
    for (int32_t i = 0; i < bench::kHeight; ++i) {
        for (int32_t j = 0; j < bench::kWidth; ++j) {
            const bool defect = (i * bench::kWidth + j) % 3001 == 0;
            bench::Put(*p.camera.Image(ImageRole::darkRef16), i, j, defect ? 0x3800 : 600);
            bench::Put(*p.camera.Image(ImageRole::brightRef16), i, j, 10000 - 10 * ((i + j) % 64));
        }
    }
    p.camera.BuildMask(1, 0);
    p.camera.BuildMask(1, 1);
    p.camera.maskFilter = static_cast<int32_t>(state.range(0));
    p.camera.dotFilter = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        p.camera.CorrectFrame();
        benchmark::DoNotOptimize(p.Output()->pBits);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CorrectFrameWithMask)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quelix
