// SPDX-License-Identifier: MIT
// CQuelix: the camera object behind one handle. It owns everything one open
// camera needs and carries the camera's settings, capture state and error
// history. The constructor only sets defaults; the device object and the
// images are made when the camera is initialised.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "QuelixSdk_205KWMX.h"
#include "camera/frame_times.h"
#include "camera/image_roles.h"
#include "device/quelix_205kwmx_sdk.h"
#include "device/shared_device_table.h"
#include "dialogs/dialog_hook.h"
#include "dialogs/settings_blocks.h"
#include "image/dib_image.h"
#include "output/avi_writer.h"
#include "output/record_queue.h"
#include "pipeline/correction_state.h"
#include "platform/driver/device_claim.h"
#include "platform/os/sync.h"
#include "platform/os/thread.h"
#include "platform/windowing/device_context.h"
#include "platform/windowing/geometry.h"
#include "platform/windowing/window_table.h"

namespace quelix {

inline constexpr int32_t kSensorWidth = QUELIX_SENSOR_WIDTH;
inline constexpr int32_t kSensorHeight = QUELIX_SENSOR_HEIGHT;
// The smallest capture window the camera streams.
inline constexpr int32_t kMinWindowWidth = 4;
inline constexpr int32_t kMinWindowHeight = 4;
inline constexpr size_t kErrorHistoryLength = 20;

// Error codes recorded by PostError (the public header names them too).
enum ErrorCode : int32_t {
    kErrNotInitialized = QUELIX_ERR_NOT_INITIALIZED,
    kErrNoDevice = QUELIX_ERR_NO_DEVICE,
    kErrThread = QUELIX_ERR_THREAD,
    kErrWindow = QUELIX_ERR_WINDOW,
    kErrObjects = QUELIX_ERR_OBJECTS,
    kErrRegister = QUELIX_ERR_REGISTER,
    kErrWindowInvalid = QUELIX_ERR_WINDOW_INVALID,
    kErrReadFrame = QUELIX_ERR_READ_FRAME,
    kErrArgument = QUELIX_ERR_ARGUMENT,
    kErrNotSupported = QUELIX_ERR_NOT_SUPPORTED,
    kErrFile = QUELIX_ERR_FILE,
    kErrWaitFrame = QUELIX_ERR_WAIT_FRAME,
    kErrMaskFile = QUELIX_ERR_MASK_FILE,
};

using Rect = platform::Rect;

struct RecordFrameConverter;

class CQuelix {
public:
    CQuelix();
    // Saves the settings, ends the preview, releases the claim on the
    // device and frees everything.
    virtual ~CQuelix();
    CQuelix(const CQuelix&) = delete;
    CQuelix& operator=(const CQuelix&) = delete;

    // Builds the camera: shared table, device object, images, shading
    // references, stored window and settings. 1, or 0 with the failure in the
    // error history (the object stays usable for what needs no device).
    int Initialize(platform::Hwnd window);

    // Records a failure: pushes the code into the history (newest first, the
    // oldest of twenty falls out) and posts QUELIX_WM_ERROR to errorWindow.
    void PostError(int32_t code);
    // Posts QUELIX_WM_ERROR with the code without recording it.
    void NotifyError(int32_t code) const;
    // Pops the newest recorded code; 0 when none is left.
    int32_t GetLastError();
    // PostError, then the failure result 0.
    int Fail(int32_t code)
    {
        PostError(code);
        return 0;
    }
    // NotifyError, then the failure result 0.
    int Notify(int32_t code) const
    {
        NotifyError(code);
        return 0;
    }

    // Camera parameters (Quelix_SetFilterValue and the named exports).
    int SetFilterValue(int id, int value);
    int GetFilterValue(int id, int32_t* ok);
    int SetRealExposureTime(int microseconds);
    int GetRealExposureTime(int32_t* ok);
    // Selects the stored size preset of this width and height (registry
    // "Camera_%02d\Size_NN" of the device number).
    int SetCaptureWindow(int width, int height);
    int SetCaptureWindowEx(int totalWidth, int left, int width, int totalHeight, int top, int height);
    int GetCaptureWindowEx(int32_t* totalWidth, int32_t* left, int32_t* width, int32_t* totalHeight,
                           int32_t* top, int32_t* height) const;
    int SetColorMode(int bits);
    int GetColorMode() const;
    int SetSubSample(int value);
    int SetWaitTime(int milliseconds);
    int GetHalfClock(int32_t* ok);
    int SetMirrorH(int flag);
    int GetMirrorH();
    int SetMirrorV(int flag);
    int GetMirrorV();
    int SetAutoIris(int mode);
    int GetAutoIris(int32_t* ok) const;
    int SetIOPort(uint8_t value);
    int GetIOPort(uint8_t* value);
    int FpgaReadRegister(uint8_t address, int32_t* ok);
    int FpgaWriteRegister(uint8_t address, uint16_t value);
    int ReadRegister(uint8_t address, int32_t* ok);
    int WriteRegister(uint8_t address, uint16_t value);
    int ReadSromID(int address, int32_t* ok);
    int WriteSromID(uint8_t address, uint8_t value);
    int GetCameraInfo(QUELIX_CAMERA_INFO* info);
    int SetPreviewWindow(platform::Hwnd parent, int32_t left, int32_t top, int32_t right, int32_t bottom);

    // The settings dialogs (api/camera_dialogs.cpp), modal on the caller's
    // thread. The camera dialog edits `camera` and the device at once; unless
    // it ends with OK the device and the block are put back. 0 with error 1
    // without a device, else 1 whatever closed the dialog.
    int SetAnalogDlg(platform::Hwnd parent);
    // The image filter dialog edits `filter`, which the pipeline reads every
    // frame; unless it ends with OK the block is put back. Always 1.
    int SetImageDlg(platform::Hwnd parent);
    // The stream format dialog works on the registry; after OK the size and
    // stream settings are read again. A running preview or capture stops
    // around it and starts again (trigger mode pauses). Always 1.
    int SetCameraDlg(platform::Hwnd parent);

    // Settings kept in the registry under "Camera_%02d" of the device number.
    int ReadSizeSettings();
    int ReadStreamSettings();
    // The camera block; 0 without a device object.
    int LoadSettings();
    int SaveSettings();
    // The image-filter and gray-filter values of `filter`.
    int LoadFilterSettings(int cameraIndex);
    int SaveFilterSettings(int cameraIndex);
    int LoadGraySettings(int cameraIndex);
    int SaveGraySettings(int cameraIndex);

    // 1 when the capture window lies on the sensor, is at least the
    // smallest window, and the subsample mode is one the camera streams with.
    int ValidateCaptureWindow() const;
    // Gives the device the capture window and takes back the window the
    // camera delivers (odd values rounded down to even). 0 when the device
    // refused it.
    int ApplyWindowToDevice();
    // The full 320 x 256 window at (0, 0).
    void ResetCaptureWindow();
    // The fields of a size preset in the order of kSizeValueNames.
    std::array<std::atomic<int32_t>*, 7> SizeFields();

    // The table of claimed cameras shared between this user's processes,
    // and the claim that keeps the streamed camera from other users.
    SharedDeviceTable sharedTable;
    platform::DeviceClaim deviceClaim;
    // true when another camera object, here or in another process, streams
    // device n: it is not started, and its registers are left alone.
    bool DeviceHeldElsewhere(int n) const;

    // The preview window (output/preview_window.cpp). CreatePreviewWindow
    // registers a window class of its own and makes the window: a child of
    // `parent` at the rectangle's position with its third and fourth values
    // as size, or without a parent a top-level window of the capture size
    // divided by the sub-sampling factor, centred on the screen. Null on
    // failure (also for no parent and an all-zero rectangle).
    platform::Hwnd CreatePreviewWindow(platform::Hwnd parent, const Rect& rect);
    static intptr_t PreviewWndProc(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam);
    // Draws the processed frame of the colour mode into the preview window;
    // run by the capture thread after every frame. 0 when the window is not
    // visible or the frame cannot be drawn.
    int DrawPreview();
    // Ends the preview: releases the window's device context, destroys the
    // window, stops whatever runs, closes the device's single-frame handle
    // and unregisters the window class. Always 1.
    int Close();

    // The correction pipeline (capture/). CorrectFrame turns rawFrame into the
    // processed image of the colour mode: copy into the work image (image8,
    // or image16 for colour modes 1, 4, 5) under rawFrameLock, automatic
    // exposure, shading correction and defect repair under correctionLock,
    // mirroring, the gray treatment of mode 0, false colour, then hue and
    // saturation, gamma, contrast, sharpness and brightness. Runs with no lock
    // held, on one thread at a time, after rawFrame was read and re-laid.
    void CorrectFrame();
    // Measures five windows of the work image and, with autoIris 1, scales
    // the exposure when they are too bright or too dark. 1 when it measured,
    // 0 when automatic exposure is off or the image is too small to measure.
    int AutoExposure(CDibImage* work);
    // Repairs the defective pixels of an 8-bit (16-bit) work image: those the
    // hot and dead maps name, and those at least `threshold` from the mean of
    // their four neighbours. 0 when the image is missing, else 1.
    int DefectFilter8(CDibImage* image, int threshold);
    int DefectFilter16(CDibImage* image, int threshold);

    // Shading references and defect masks (device/mask_operations.cpp).
    // LoadMaskFile replaces the four references from a mask file and their
    // masks with them; a file that is not a complete mask file changes
    // nothing (error 14). SaveMaskFile writes the references; a failed write
    // keeps an existing file (error 14). The wide forms take UTF-16 paths
    // (error 12 when one cannot be converted).
    int LoadMaskFile(const char* path);
    int LoadMaskFileW(const QUELIX_WCHAR* path);
    int SaveMaskFile(const char* path);
    int SaveMaskFileW(const QUELIX_WCHAR* path);
    // Takes the current raw frame as the dark (0) or bright (1) reference of
    // its bit depth, at the capture window's place on the sensor, and
    // derives that reference's mask. Error 12 for another value; error 1
    // when there is no frame of the current window yet.
    int UpdateMaskData(int which);
    // Derives one mask from its reference: the 8-bit (is16Bit 0) or 16-bit
    // (1) pair, dark (which 0) or bright (1). 0 for other values.
    int BuildMask(int is16Bit, int which);
    // 1 when the references and masks are made (320 x 256 each).
    bool HasCorrectionImages() const;

    // The attached cameras: display names "Quelix205KWMX_NN" in entries of
    // 256 characters (ten of them for the lists), and switching devices.
    int EnumDevice(char* names);
    int EnumDeviceW(QUELIX_WCHAR* names);
    int GetDeviceName(int index, char* buffer, int size);
    int GetDeviceNameW(int index, QUELIX_WCHAR* buffer, int size);
    int SetDeviceNumber(int number);

    // The capture engine (capture/capture_engine.cpp, capture/capture_loops.cpp).
    // Validates, sizes the images for the window and colour mode, configures
    // the device; 0 with the failure recorded.
    int PrepareAcquisition();
    int StartPreview();
    // Stops whatever runs and returns to Idle; never called on the capture thread.
    int StopAcquisition();
    int PreviewInWindow();
    int CallBackPreview(platform::Hwnd window, uint8_t* buffer, int32_t size, int32_t rowOption);
    int StartCapture();
    int TakeSnapShot(uint8_t* buffer, int32_t size, int32_t rowOption);
    int GetImage(uint8_t* buffer, int32_t size, int32_t rowOption);
    int StartTrigger(platform::Hwnd window, uint8_t* buffer, int32_t size, int32_t rowOption);
    // Copies the image's rows (stride bytes each) into the caller's buffer:
    // memory order for a non-zero row option, reversed for 0.
    int CopyToCallerBuffer(const CDibImage& image, int32_t rowOption, uint8_t* buffer, int32_t size);
    // The processed image of the current colour mode, and the image the
    // correction works on (16-bit for modes 1, 4, 5, else 8-bit).
    CDibImage* OutputImage() const;
    CDibImage* WorkImage() const;

    // Image files (output/image_saving.cpp): saves a copy of latestImage,
    // taken under displayLock, in the format of the code (UTF-8 name). 1 when
    // written; 0 with error 1 recorded when there is no device or no frame to
    // copy (or a wide name cannot be converted), and 0 without a record when
    // the format is unknown or the file cannot be written.
    int SaveImage(const char* fileName, int format);
    int SaveImageW(const QUELIX_WCHAR* fileName, int format);
    // AVI recording (output/avi_recording.cpp). Record starts the preview if
    // it does not run, opens the file and starts the record thread, which
    // appends every frame the preview loop publishes until recordTimeMs
    // after the first one. 1 when the recording started; a second one while
    // one runs is refused (error 1). RecordW takes a UTF-16 name.
    int Record(const char* fileName, int32_t recordTimeMs, int32_t showWindow);
    int RecordW(const QUELIX_WCHAR* fileName, int32_t recordTimeMs, int32_t showWindow);
    // Ends a running recording and waits until its file is finished; the
    // frames finished before are still written.
    void StopRecording();

private:
    // Runs `change` with no acquisition running: stops what runs, changes,
    // and starts the same mode again (Trigger with its target). 1 when both
    // the change and the restart succeeded.
    int RestartAround(const std::function<int()>& change);
    // Gives the device the stored window (error 7 when it refuses), around
    // a running acquisition.
    int ApplyCaptureWindow();
    template <class Write>
    int ListDevices(bool probe, Write write);
    int CheckDeviceName(int index, int size);

    // Gives the camera its settings for an acquisition: mirroring,
    // exposure, cooler, trigger mode off and the transfer time-out.
    void ConfigureCamera();
    // A camera that was away powers on with its defaults: gives it the
    // delivered window, its settings and trigger mode again. false while
    // it does not answer.
    bool RestoreTriggeredCamera();
    // The capture thread's routine: the trigger loop when the mode is
    // Trigger on entry, else the preview loop.
    void CaptureThreadProc();
    void PreviewLoop();
    void TriggerLoop();
    // What the device said of the frame a loop took into rawFrame.
    struct HeldFrame {
        DeviceStatus read;
        int32_t trailer;
        uint64_t arrivedNs;
    };
    // Copies the frame the device holds into rawFrame with `read` (the ring
    // frame or the single frame) and lays it out to its stride.
    HeldFrame TakeRawFrame(DeviceStatus (CQLXSdkLib::*read)(uint8_t*, size_t));
    // Everything a frame goes through after it was taken, in both loops:
    // the frame record, correction, latestImage, the recording (streaming
    // only, which also measures the frame rate), the preview window, and
    // last the caller's buffer and window, so that a caller woken by the
    // frame finds it drawn.
    void FinishFrame(const HeldFrame& frame, bool streaming);
    // Makes the preview window when a parent or a rectangle asks for one
    // and none exists; false (error 4 recorded) when it cannot be made.
    bool MakePreviewWindowIfAsked();
    // The caller's window and buffer, replaced and read as one set; a
    // replacement waits for a copy into the old buffer to end.
    struct FrameTarget {
        platform::Hwnd window;
        uint8_t* buffer;
        int32_t size;
        int32_t rowOption;
    };
    void SetFrameTarget(platform::Hwnd window, uint8_t* buffer, int32_t size, int32_t rowOption);
    FrameTarget CurrentFrameTarget();
    // Lays rawFrame's packed rows out to its stride, in place.
    void RestrideRawFrame();
    void FillFrameInfo(const CDibImage& image, int32_t framesPerSecond10);
    // The finished frame: a copy into latestImage, the caller's buffer and
    // the notification with the trailer word.
    void PublishFrame(int32_t trailer);
    void DeliverFrame(int32_t trailer, uint64_t arrivedNs);
    void PostFrameError(int32_t code);
    void MeasureFrameRate();
    void RecordThreadProc(RecordFrameConverter& converter);

public:
    // The device object; null until initialisation made it.
    std::unique_ptr<CQuelix205KWMXSdk> device;

    // The images, one per role (image_roles.h); null until initialisation
    // made them.
    std::array<std::unique_ptr<CDibImage>, kImageRoles> images;
    std::unique_ptr<CDibImage>& Image(ImageRole role) { return images[static_cast<size_t>(role)]; }
    const std::unique_ptr<CDibImage>& Image(ImageRole role) const
    {
        return images[static_cast<size_t>(role)];
    }

    // Read by the capture thread's DrawPreview while Close clears them.
    std::atomic<platform::Hwnd> previewWindow{nullptr};
    std::atomic<platform::Hdc> previewDC{nullptr};
    std::array<char, 256> previewClassName{};

    // Capture window and stream settings (registry "TH", "TV", "EH", "EV",
    // "EHS", "EVS", "Buf"), as they were given: Quelix_GetCaptureWindowEx
    // reads back even a window that was refused.
    std::atomic<int32_t> totalWidth{kSensorWidth};
    std::atomic<int32_t> totalHeight{kSensorHeight};
    std::atomic<int32_t> width{kSensorWidth};
    std::atomic<int32_t> height{kSensorHeight};
    std::atomic<int32_t> offsetX{0};
    std::atomic<int32_t> offsetY{0};
    std::atomic<int32_t> bufferCount{4};

    // The window the device delivers. It changes only when the device
    // accepted a window (ApplyWindowToDevice, under operationLock with no
    // acquisition running), so it always lies on the sensor. Images,
    // references, masks, offsets and sizes of pixel work use it alone,
    // never the stored values above.
    struct ActiveWindow {
        std::atomic<int32_t> x{0};
        std::atomic<int32_t> y{0};
        std::atomic<int32_t> width{kSensorWidth};
        std::atomic<int32_t> height{kSensorHeight};
    } active;

    ImageFilterSettings filter;
    // The open image or gray filter dialog: refreshed after each automatic
    // gray balance step.
    DialogHook<> filterDialog;
    CameraSettings camera;
    // The open camera settings dialog: shown each exposure that automatic
    // exposure sets, in lines.
    DialogHook<int32_t> cameraDialog;

    // State of the real exposure-time conversion: clocks per line (width +
    // 69), the exposure in lines and the clock period in milliseconds.
    // Parameter calls on any thread and the capture start refresh them.
    void UpdateLineClocks();
    std::atomic<uint16_t> lineClocks{0};
    std::atomic<double> exposureLines{1.0};
    std::atomic<double> clockPeriod{1.0};
    std::atomic<int32_t> realExposureTime{0};

    // The AVI recording: 1 while the record thread runs. The writer belongs
    // to the record thread while it runs; the preview loop queues every
    // frame it finishes in recordQueue while a recording is open. At its end
    // the thread leaves in recordSkippedFrames the frames it found no room for.
    std::atomic<int32_t> recording{0};
    CAviWriter aviWriter;
    RecordQueue recordQueue;
    platform::Thread recordThread;
    int32_t recordTime = 0;  // ms after the first frame; set before the thread starts
    std::atomic<uint32_t> recordSkippedFrames{0};
    std::atomic<int32_t> runState{0};  // 0 stopped, 1 running, 2 paused

    platform::Hwnd previewParent = nullptr;
    Rect previewRect{0, 0, kSensorWidth, kSensorHeight};
    platform::Hwnd errorWindow = nullptr;

    // Where frames go: the caller's window and buffer. The capture thread
    // reads them while the caller may replace them, so the four are replaced
    // and read as one set under frameTargetLock, which the capture thread
    // also holds while it copies a frame into the buffer: once a
    // replacement returns, the old buffer is no longer written.
    platform::CriticalSection frameTargetLock;
    platform::Hwnd frameWindow = nullptr;
    uint8_t* callbackBuffer = nullptr;
    int32_t callbackBufferSize = 0;
    int32_t callbackOption = 0;
    // The record whose address every frame notification carries, and the
    // frame's trailer word that its lParam points to. The capture thread
    // writes both before each notification (the trailer as it publishes the
    // frame), with atomic stores, because the application reads them on its
    // own thread.
    QUELIX_FRAME_INFO frameInfo{static_cast<int32_t>(sizeof(QUELIX_FRAME_INFO)), 0, 0, 0, 0, 0, nullptr};
    std::atomic<int32_t> trailerValue{0};
    // When the frames delivered last reached the host and the caller.
    FrameTimesLog frameTimes;

    std::atomic<int32_t> captureMode{0};  // 0 idle, 1 preview, 2 capture, 3 trigger
    std::atomic<int32_t> colorMode{0};    // 0 to 5: 8, 16, 24, 32, 48, 64 bits per pixel
    std::atomic<int32_t> subSample{0};
    std::atomic<int32_t> waitTime{10};  // ms pause of each preview-loop turn
    std::atomic<int32_t> halfClock{0};

    // The capture thread (preview or trigger loop), and the signal that
    // ends its pause between frames when the acquisition stops.
    platform::Thread captureThread;
    platform::Event stopRequested{platform::EventReset::Manual};

    // Frame-rate measurement of the preview loop (capture thread only).
    int32_t fps10 = 0;
    int32_t frameCount = 0;
    uint32_t fpsStart;

    std::atomic<int32_t> transferTimeout{3000};
    std::atomic<int32_t> triggerWord{0};
    std::atomic<int32_t> deviceNumber{0};
    std::atomic<int32_t> maskFilter{0};  // shading correction on
    std::atomic<int32_t> dotFilter{0};   // defect filter on

    // Serialises the operations that change the geometry, the colour mode
    // or the acquisition state (window, colour mode, preview, capture,
    // snapshot, trigger, stop, close, device selection, release), so that
    // none resizes or replaces buffers another is using. Taken only on the
    // callers' threads, never on the capture thread, and always before
    // rawFrameLock, correctionLock and displayLock.
    platform::CriticalSection operationLock;
    platform::CriticalSection rawFrameLock;
    platform::CriticalSection correctionLock;
    platform::CriticalSection displayLock;

    std::atomic<int32_t> maskWord{0};

    // Set once Initialize has loaded the stored filter settings; a camera
    // that never loaded them does not write its defaults over them.
    bool filterSettingsLoaded = false;

private:
    // Shading factors and stage tables of CorrectFrame, kept between frames.
    CorrectionState correctionState_;

    // Application threads and capture threads record errors concurrently.
    mutable std::mutex errorHistoryLock_;
    std::array<int32_t, kErrorHistoryLength> errorHistory_{};
};

}  // namespace quelix
