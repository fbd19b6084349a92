// SPDX-License-Identifier: MIT
#include "quelix/calibrate_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "QuelixSdk_205KWMX.h"
#include "device/defect_masks.h"
#include "device/mask_file.h"
#include "device/reference_average.h"
#include "quelix/camera_session.h"
#include "quelix/stream_options.h"

namespace quelix::tool {

namespace {

constexpr long kDefaultFrames = 32;
constexpr long kMaxFrames = 100000;
// Automatic exposure runs until the exposure holds for this many frames, at
// most kSettleFrames frames, before the average starts.
constexpr int kSettleFrames = 200;
constexpr int kStableFrames = 5;

bool Given(const std::vector<std::string>& arguments, const char* option)
{
    return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
}

}  // namespace

std::string CalibrateUsage()
{
    return "usage: quelix calibrate dark|bright -o FILE [options]\n"
           "Takes raw frames at the current exposure and capture window, averages them, and\n"
           "stores the average as the dark reference (shutter closed) or the bright\n"
           "reference (uniform light) of the mask file FILE. The other reference of an\n"
           "existing FILE is kept. Use the file with quelix stream --mask FILE.\n"
           "Averaging N frames cuts the noise a reference carries into every corrected\n"
           "frame by the square root of N.\n"
           "\n"
           "  -o FILE           the mask file to write (required)\n"
           "  --frames N        frames to average (default 32)\n" +
           CameraOptionsUsage() +
           "  --help            this text\n"
           "\n"
           "With --simulate the scene is dark or flat, as the reference asks, unless --scene\n"
           "names another. Both the 8-bit and the 16-bit reference are taken, from the\n"
           "14-bit samples.\n"
           "References are kept in the camera's own orientation, so mirroring does not\n"
           "change them; with --auto-exposure the exposure settles before the average.\n";
}

std::optional<CalibrateOptions> ParseCalibrateOptions(const std::vector<std::string>& arguments,
                                                      std::string& error)
{
    CalibrateOptions options;
    std::optional<bool> bright;
    std::vector<std::string> cameraArguments;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-o" || argument == "--output") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
                error = argument + " takes a file name";
                return std::nullopt;
            }
            options.output = arguments[++i];
        } else if ((argument == "dark" || argument == "bright") && !bright) {
            bright = argument == "bright";
        } else if (argument == "--bits" || argument == "--mask" || argument == "--show") {
            error = argument + " does not apply to calibrate";
            return std::nullopt;
        } else {
            cameraArguments.push_back(argument);
        }
    }
    if (!bright) {
        error = "say which reference to take: dark or bright";
        return std::nullopt;
    }
    if (options.output.empty()) {
        error = "name the mask file with -o FILE";
        return std::nullopt;
    }
    const auto camera = ParseStreamOptions(cameraArguments, error);
    if (!camera)
        return std::nullopt;
    options.bright = *bright;
    options.camera = *camera;
    if (options.camera.showWindow) {
        error = "calibrate shows no preview window";
        return std::nullopt;
    }
    if (options.camera.frames == 0)
        options.camera.frames = kDefaultFrames;
    if (options.camera.frames > kMaxFrames) {
        error = "--frames takes at most " + std::to_string(kMaxFrames) + " for calibrate";
        return std::nullopt;
    }
    if (!Given(cameraArguments, "--scene"))
        options.camera.scene = options.bright ? "flat" : "dark";
    return options;
}

namespace {

// Sets the tone stages to neutral while it lives, so that the 16-bit output
// is the raw samples, and puts the caller's values back at the end (they
// are stored settings).
class NeutralTones {
public:
    explicit NeutralTones(int32_t camera)
        : camera_(camera),
          gamma_(Quelix_GetGamma(camera, nullptr)),
          contrast_(Quelix_GetContrast(camera, nullptr)),
          sharpness_(Quelix_GetSharpness(camera, nullptr)),
          brightness_(Quelix_GetBrightness(camera, nullptr))
    {
        Quelix_SetGamma(camera, 100);
        Quelix_SetContrast(camera, 0);
        Quelix_SetSharpness(camera, 0);
        Quelix_SetBrightness(camera, 0);
    }
    ~NeutralTones()
    {
        Quelix_SetGamma(camera_, gamma_);
        Quelix_SetContrast(camera_, contrast_);
        Quelix_SetSharpness(camera_, sharpness_);
        Quelix_SetBrightness(camera_, brightness_);
    }
    NeutralTones(const NeutralTones&) = delete;
    NeutralTones& operator=(const NeutralTones&) = delete;

private:
    int32_t camera_;
    int32_t gamma_;
    int32_t contrast_;
    int32_t sharpness_;
    int32_t brightness_;
};

// Takes one uncorrected 16-bit frame into the buffer; false with a message.
bool TakeFrame(int32_t camera, std::vector<uint8_t>& buffer)
{
    if (Quelix_SnapShot(camera, buffer.data(), static_cast<int32_t>(buffer.size()), 1))
        return true;
    std::fprintf(stderr, "quelix: the camera gave no frame (error %d)\n", Quelix_GetLastError(camera));
    return false;
}

// Lets automatic exposure find the scene's exposure, then holds it.
bool SettleExposure(int32_t camera, std::vector<uint8_t>& buffer)
{
    int32_t last = -1;
    int stable = 0;
    for (int k = 0; k < kSettleFrames && stable < kStableFrames && !Interrupted(); ++k) {
        if (!TakeFrame(camera, buffer))
            return false;
        const int32_t lines = Quelix_GetExposureTime(camera, nullptr);
        stable = lines == last ? stable + 1 : 0;
        last = lines;
    }
    return Quelix_SetAutoIris(camera, 0) != 0;
}

// Averages the frames of the camera's capture window.
bool AverageFrames(int32_t camera, const CalibrateOptions& options, ReferenceAverage& average)
{
    const NeutralTones neutral(camera);
    if (!Quelix_SetMaskFilter(camera, 0) || !Quelix_SetDotFilter(camera, 0))
        return false;
    int32_t totalWidth = 0, x = 0, width = 0, totalHeight = 0, y = 0, height = 0;
    Quelix_GetCaptureWindowEx(camera, &totalWidth, &x, &width, &totalHeight, &y, &height);
    if (!average.Start(x, y, width, height)) {
        std::fprintf(stderr, "quelix: the capture window %d x %d at (%d, %d) is not on the sensor\n", width,
                     height, x, y);
        return false;
    }
    const int32_t stride = (width * 2 + 3) & ~3;
    std::vector<uint8_t> buffer(static_cast<size_t>(stride) * static_cast<size_t>(height));
    if (!Quelix_Capture(camera)) {
        std::fprintf(stderr, "quelix: the camera did not start (error %d)\n", Quelix_GetLastError(camera));
        return false;
    }
    CatchInterrupts();
    bool complete = !options.camera.autoExposure || SettleExposure(camera, buffer);
    std::printf("averaging %ld frames of %d x %d at (%d, %d), exposure %d us\n", options.camera.frames, width,
                height, x, y, Quelix_GetRealExposureTime(camera, nullptr));
    std::fflush(stdout);
    for (long n = 0; complete && n < options.camera.frames; ++n) {
        complete = !Interrupted() && TakeFrame(camera, buffer) &&
                   average.Add(buffer.data(), stride, options.camera.mirrorH, options.camera.mirrorV);
    }
    Quelix_StopPreview(camera);
    if (options.camera.autoExposure)
        Quelix_SetAutoIris(camera, 1);
    if (Interrupted())
        std::fprintf(stderr, "quelix: interrupted; nothing written\n");
    return complete;
}

// What the new reference looks like: its level and the defects it names.
void PrintReference(const MaskReferences& references, const CalibrateOptions& options)
{
    const std::vector<uint16_t>& samples = options.bright ? references.bright16 : references.dark16;
    const DefectMasks masks = DeriveDefectMasks(references);
    const std::vector<uint16_t>& mask = options.bright ? masks.dead16 : masks.hot16;
    double sum = 0;
    for (uint16_t sample : samples)
        sum += sample;
    const auto [minimum, maximum] = std::minmax_element(samples.begin(), samples.end());
    const auto defects = std::count(mask.begin(), mask.end(), uint16_t{1});
    std::printf("%s reference: mean %.1f, min %u, max %u; %ld %s pixels\n",
                options.bright ? "bright" : "dark", sum / static_cast<double>(samples.size()), *minimum,
                *maximum, static_cast<long>(defects), options.bright ? "dead" : "hot");
    // A bright reference below a quarter of full scale names its pixels dead.
    if (options.bright && defects * 100 > static_cast<long>(samples.size()))
        std::printf(
            "note: many pixels of the bright reference lie below 4096 and count as dead;\n"
            "      take it with more light or a longer exposure (--exposure-us)\n");
    std::printf("written to %s\n", options.output.c_str());
}

}  // namespace

int RunCalibrate(const CalibrateOptions& options)
{
    // The other reference of an existing file is kept; a file that is not a
    // mask file is not replaced.
    MaskReferences references;
    std::error_code ignored;
    if (std::filesystem::exists(options.output, ignored) && !ReadMaskFile(options.output, references)) {
        std::fprintf(stderr, "quelix: %s exists and is not a mask file; it is left as it is\n",
                     options.output.c_str());
        return 1;
    }
    CalibrateOptions taken = options;
    taken.camera.bits = 16;
    ReferenceAverage average;
    bool averaged = false;
    {
        CameraSession session;
        averaged = session.Open(taken.camera, true) && AverageFrames(session.Camera(), taken, average);
    }
    if (!averaged)
        return 1;
    average.StoreInto(references, options.bright);
    if (!WriteMaskFile(options.output, references)) {
        std::fprintf(stderr, "quelix: cannot write %s; an existing file is left as it was\n",
                     options.output.c_str());
        return 1;
    }
    PrintReference(references, options);
    return 0;
}

}  // namespace quelix::tool
