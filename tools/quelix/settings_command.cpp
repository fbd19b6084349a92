// SPDX-License-Identifier: MIT
#include "quelix/settings_command.h"

#include <cstdio>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "quelix/camera_setup.h"
#include "quelix/session_options.h"

namespace quelix::tool {

namespace {

void PrintCameraSettings(int32_t camera, const char* when)
{
    int32_t ok = 0;
    const int32_t microseconds = Quelix_GetRealExposureTime(camera, &ok);
    int32_t autoOk = 0;
    const int32_t autoIris = Quelix_GetAutoIris(camera, &autoOk);
    std::printf("%s: exposure %.2f ms, mirror V %s, mirror H %s, automatic exposure %s\n", when,
                ok ? microseconds / 1000.0 : 0.0, Quelix_GetMirrorV(camera) == 1 ? "on" : "off",
                Quelix_GetMirrorH(camera) == 1 ? "on" : "off", autoOk && autoIris == 1 ? "on" : "off");
}

void PrintFilterSettings(int32_t camera, const char* when)
{
    const struct {
        const char* name;
        int32_t id;
    } values[] = {{"brightness", 1}, {"contrast", 2}, {"hue", 3},       {"saturation", 4},
                  {"sharpness", 5},  {"gamma", 11},   {"gray mode", 19}};
    std::printf("%s:", when);
    int32_t ok = 0;
    for (const auto& value : values)
        std::printf(" %s %d,", value.name, Quelix_GetFilterValue(camera, value.id, &ok));
    // Gray gains R, G1, G2, B and offsets.
    std::printf(" gray gains %d/%d/%d/%d, offsets %d/%d/%d/%d\n", Quelix_GetFilterValue(camera, 20, &ok),
                Quelix_GetFilterValue(camera, 21, &ok), Quelix_GetFilterValue(camera, 22, &ok),
                Quelix_GetFilterValue(camera, 23, &ok), Quelix_GetFilterValue(camera, 24, &ok),
                Quelix_GetFilterValue(camera, 25, &ok), Quelix_GetFilterValue(camera, 26, &ok),
                Quelix_GetFilterValue(camera, 27, &ok));
}

void PrintStreamSettings(int32_t camera, const char* when)
{
    std::printf("%s: %d x %d at %d bits per pixel\n", when, Quelix_Width(camera), Quelix_Height(camera),
                Quelix_GetColorMode(camera));
}

struct Dialog {
    const char* name;
    const char* what;
    int32_t (*open)(int32_t handle, QUELIX_HWND parent);
    void (*print)(int32_t handle, const char* when);
};

constexpr Dialog kDialogs[] = {
    {"camera", "exposure, mirrors and automatic exposure", Quelix_SetAnalogDlg, PrintCameraSettings},
    {"image", "brightness, contrast, gamma, sharpness; gray gains and offsets", Quelix_SetImageDlg,
     PrintFilterSettings},
    {"stream", "colour format, capture size presets, wait between frames", Quelix_SetCameraDlg,
     PrintStreamSettings},
};

const Dialog* FindDialog(const std::string& name)
{
    for (const Dialog& dialog : kDialogs) {
        if (name == dialog.name)
            return &dialog;
    }
    return nullptr;
}

}  // namespace

std::string SettingsUsage()
{
    std::string usage =
        "usage: quelix settings DIALOG [options]\n"
        "Opens a settings dialog of the library over a live preview; every change\n"
        "shows at once. OK keeps the changes, Cancel puts everything back. The\n"
        "settings are stored for the device number when the program ends.\n"
        "\n"
        "dialogs:\n";
    for (const Dialog& dialog : kDialogs)
        usage += std::string("  ") + dialog.name + std::string(10 - std::string(dialog.name).size(), ' ') +
                 dialog.what + "\n";
    usage +=
        "\n"
        "  --device N        device number 0 to 7 (default 0)\n"
        "  --bits B          output bits per pixel: 8, 16 (monochrome: the image dialog has\n"
        "                    its gray page), 24, 32, 48 or 64 (default: the stored choice)\n"
        "  --simulate        start a simulated camera in this process when none is attached\n"
        "  --scene NAME      the simulated camera's scene: dark, flat, chart (default), moving, counter\n"
        "  --help            this text\n"
        "\n"
        "The dialogs need a display ($DISPLAY). Japanese dialogs when LANG (or\n"
        "LC_MESSAGES, LC_ALL) begins with ja.\n";
    return usage;
}

std::optional<SettingsOptions> ParseSettingsOptions(const std::vector<std::string>& arguments,
                                                    std::string& error)
{
    SettingsOptions options;
    if (arguments.empty() || FindDialog(arguments[0]) == nullptr) {
        error = arguments.empty() ? "which dialog?" : "unknown dialog " + arguments[0];
        return std::nullopt;
    }
    options.dialog = arguments[0];
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if ((argument == "--device" || argument == "--scene" || argument == "--bits") &&
            i + 1 == arguments.size()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        long number = 0;
        if (argument == "--device") {
            if (!ParseLong(arguments[++i], 0, 7, number)) {
                error = "--device takes a number from 0 to 7";
                return std::nullopt;
            }
            options.device = static_cast<int>(number);
        } else if (argument == "--bits") {
            if (!ParseLong(arguments[++i], 8, 64, number) || !IsOutputBits(number)) {
                error = "--bits takes 8, 16, 24, 32, 48 or 64";
                return std::nullopt;
            }
            options.bits = static_cast<int>(number);
        } else if (argument == "--scene") {
            options.scene = arguments[++i];
        } else if (argument == "--simulate") {
            options.simulate = true;
        } else {
            error = "unknown option " + argument;
            return std::nullopt;
        }
    }
    return options;
}

int RunSettings(const SettingsOptions& options)
{
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "quelix: the settings dialogs need a display; none is set in DISPLAY\n");
        return 1;
    }
    InProcessSimulator simulated;
    if (!StartSimulatedIfAsked(simulated, options.simulate, options.device, options.scene))
        return 1;
    QUELIX_HWND messages = QuelixPlatform_CreateMessageWindow();
    const int32_t camera = messages != nullptr ? Quelix_Initialize(messages) : 0;
    if (camera == 0) {
        std::fprintf(stderr, "quelix: cannot create a camera object\n");
        return 1;
    }
    int exitCode = 1;
    QUELIX_HWND window = nullptr;
    if (!Quelix_SetDeviceNumber(camera, options.device)) {
        std::fprintf(stderr, "quelix: no camera at device number %d (error %d)%s\n", options.device,
                     Quelix_GetLastError(camera), options.simulate ? "" : "; try --simulate");
    } else if (options.bits != 0 && !Quelix_SetColorMode(camera, options.bits)) {
        std::fprintf(stderr, "quelix: cannot use %d bits per pixel\n", options.bits);
    } else {
        const int32_t width = Quelix_Width(camera);
        const int32_t height = Quelix_Height(camera);
        window = QuelixPlatform_CreateWindow("Quelix preview", width, height);
        if (window == nullptr || !Quelix_SetPreviewWindow(camera, window, 0, 0, width, height) ||
            !Quelix_StartPreview(camera)) {
            std::fprintf(stderr, "quelix: the preview did not start (error %d)\n",
                         Quelix_GetLastError(camera));
        } else {
            const Dialog* dialog = FindDialog(options.dialog);
            dialog->print(camera, "before");
            std::fflush(stdout);
            if (dialog->open(camera, window)) {
                dialog->print(camera, "after");
                exitCode = 0;
            } else {
                std::fprintf(stderr, "quelix: the dialog did not open (error %d)\n",
                             Quelix_GetLastError(camera));
            }
            Quelix_StopPreview(camera);
        }
    }
    Quelix_Release(camera);
    if (window != nullptr)
        QuelixPlatform_DestroyWindow(window);
    QuelixPlatform_DestroyWindow(messages);
    return exitCode;
}

}  // namespace quelix::tool
