// SPDX-License-Identifier: MIT
// The viewer's texts in English and Japanese, chosen as the library's
// settings dialogs choose: Japanese when the first of LC_ALL, LC_MESSAGES
// and LANG that is set begins with "ja".
#pragma once

#include <string>

namespace quelix::viewer {

enum class Text {
    Title,
    MenuFile,
    MenuSnap,
    MenuRecord,
    MenuLoadMask,
    MenuSaveMask,
    MenuQuit,
    MenuCamera,
    MenuCameraDialog,
    MenuImageDialog,
    MenuStreamDialog,
    MenuCalibrate,
    MenuDevice,
    MenuNoDevice,
    MenuView,
    MenuFit,
    MenuFullSensor,
    Snap,
    Record,
    StopRecording,
    Calibrate,
    Exposure,
    ExposureActual,
    Gain,
    AutoExposure,
    ColourMode,
    MirrorH,
    MirrorV,
    Filters,
    Brightness,
    Contrast,
    Gamma,
    Sharpness,
    DefectRepair,
    ShadingCorrection,
    Cooler,
    Histogram,
    LogScale,
    Saturated,
    Profile,
    ProfileHint,
    Temperature,
    Rate,
    HostFps,
    CameraFps,
    Dropped,
    NoTemperature,
    Waiting,
    Streaming,
    Starting,
    NoError,
    Recording,
    RecordingDone,
    Saved,
    SaveFailed,
    Cursor,
    Zoom,
    ZoomFit,
    Cancel,
    Save,
    Open,
    Close,
    CalibrateIntro,
    TakeDark,
    TakeBright,
    DarkTaken,
    BrightTaken,
    NonUniformity,
    Before,
    After,
    MaskLoaded,
    MaskFailed,
    Gray8,
    Gray16,
    Colour24,
    Colour32,
    Colour48,
    Colour64,
    Lines,
    Sensor,
    Sample,
    Output,
    Count  // the number of texts
};

// True when the texts are Japanese.
bool JapaneseChosen();
// The text in the language chosen at the first call.
const char* T(Text text);
// The text in English or Japanese.
const char* TextIn(Text text, bool japanese);

// An error code of the library in words; "" for 0.
std::string ErrorInWords(int code, bool japanese);

}  // namespace quelix::viewer
