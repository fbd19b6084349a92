/*
 * Quelix 205KWMX camera SDK: the public C interface.
 *
 * Every function but Quelix_Initialize and Quelix_GetDllVersion takes the
 * camera handle returned by Quelix_Initialize as its first argument. Results
 * are 32-bit integers: 1 or a value on success, 0 on failure (Quelix_GetColorMode,
 * Quelix_GetSubSample and Quelix_GetWaitTime return -1 for an unknown handle).
 * A failure inside a camera is recorded in its error history, which
 * Quelix_GetLastError pops newest first, and is posted as QUELIX_WM_ERROR to
 * the error window given to Quelix_Initialize.
 *
 * Wide text is UTF-16 (QUELIX_WCHAR); 8-bit text is UTF-8.
 * Usable from C99 and C++.
 */
#ifndef QUELIXSDK_205KWMX_H
#define QUELIXSDK_205KWMX_H

#include <stdint.h>

#include "QuelixTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Messages posted to the application's windows. */
#define QUELIX_WM_FRAME 0x8002u /* wParam: QUELIX_FRAME_INFO*, lParam: int32_t* trailer word */
#define QUELIX_WM_ERROR 0x8003u /* wParam: 0, lParam: error code */

/* Error codes of Quelix_GetLastError and QUELIX_WM_ERROR. */
#define QUELIX_ERR_NOT_INITIALIZED 1  /* no device object, or not allowed in the current capture mode */
#define QUELIX_ERR_NO_DEVICE 2        /* device absent, cannot be opened, or claimed by another owner */
#define QUELIX_ERR_THREAD 3           /* a capture thread or its event could not be created */
#define QUELIX_ERR_WINDOW 4           /* window could not be made, or no stored size preset matches */
#define QUELIX_ERR_OBJECTS 5          /* objects could not be made, or an image could not be delivered */
#define QUELIX_ERR_REGISTER 6         /* register access failed, or the transfer could not be started */
#define QUELIX_ERR_WINDOW_INVALID 7   /* capture window or subsample invalid */
#define QUELIX_ERR_READ_FRAME 8       /* a frame could not be read, or a preview could not start */
#define QUELIX_ERR_ARGUMENT 9         /* argument out of range, null output pointer, or unknown id */
#define QUELIX_ERR_NOT_SUPPORTED 11   /* not supported by this camera */
#define QUELIX_ERR_FILE 12            /* path conversion, mask value or record file failure */
#define QUELIX_ERR_WAIT_FRAME 13      /* waiting for a frame failed or timed out */
#define QUELIX_ERR_MASK_FILE 14       /* mask file cannot be opened, or its header or size is wrong */

/* Formats of Quelix_SaveImage. A save that fails leaves no partial file and
 * keeps an existing file of that name; one that succeeds replaces it. */
#define QUELIX_IMAGE_BMP 0      /* bottom row first; 8 bits with the gray colour table */
#define QUELIX_IMAGE_RAW 1      /* the image memory: top row first, rows padded to 4 bytes, no header */
#define QUELIX_IMAGE_JPEG100 2  /* progressive JPEG, quality 100 (8 bits or 24-bit colour) */
#define QUELIX_IMAGE_JPEG70 3   /* quality 70 */
#define QUELIX_IMAGE_JPEG20 4   /* quality 20 */
#define QUELIX_IMAGE_PNG 5      /* 16-bit samples widened to 16 significant bits */
#define QUELIX_IMAGE_TIFF 6     /* uncompressed, one strip; 16-bit samples widened */

/* The record whose address QUELIX_WM_FRAME carries in wParam. It lives in
 * the camera object, as does the trailer word lParam points to, and both are
 * overwritten by the next frame: read them when the message arrives. */
typedef struct QUELIX_FRAME_INFO {
    int32_t size;     /* 32 */
    int32_t width;    /* pixels */
    int32_t height;   /* rows */
    int32_t bitCount; /* 8, 16, 24, 32, 48 or 64 */
    int32_t fps10;    /* frames per second x 10 (preview), 0 (trigger) */
    int32_t reserved;
    uint8_t* data;    /* the caller's buffer, or NULL */
} QUELIX_FRAME_INFO;

/* The record filled by Quelix_GetCameraInfo; the caller sets size (at least 36). */
typedef struct QUELIX_CAMERA_INFO {
    int32_t size;
    int32_t sensorWidth;
    int32_t sensorHeight;
    int32_t globalGainMin;
    int32_t globalGainMax;
    int32_t colorGainMin;
    int32_t colorGainMax;
    int32_t exposureMinLines;
    int32_t exposureMaxLines;
} QUELIX_CAMERA_INFO;

/* The 147 exports, in alphabetical order. Exports documented as "ignores
 * further arguments" accept and ignore whatever follows the handle. */
/* Starts the preview; every frame is copied into buffer (size bytes) and
 * announced to frameWindow with QUELIX_WM_FRAME. Called again while the
 * preview runs, it replaces the window and buffer between two frames: once
 * it returns, the old buffer is no longer written and may be freed. The same
 * holds for Quelix_Trigger. */
QUELIX_API int32_t Quelix_CallBackPreview(int32_t handle, QUELIX_HWND frameWindow, uint8_t* buffer,
                                          int32_t size, int32_t rowOption);
QUELIX_API int32_t Quelix_Capture(int32_t handle);
QUELIX_API int32_t Quelix_Close(int32_t handle);
QUELIX_API int32_t Quelix_EnumDevice(int32_t handle, char* names);         /* 10 x 256 bytes */
QUELIX_API int32_t Quelix_EnumDeviceW(int32_t handle, QUELIX_WCHAR* names); /* 10 x 256 units */
QUELIX_API int32_t Quelix_Fpga_ReadRegister(int32_t handle, uint8_t address, int32_t* ok);
QUELIX_API int32_t Quelix_Fpga_WriteRegister(int32_t handle, uint8_t address, uint16_t value);
QUELIX_API int32_t Quelix_Fps(int32_t handle, ...); /* not supported: notifies 11, returns 0 */
QUELIX_API int32_t Quelix_GetAutoIris(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetBayerGainAuto(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetBayerGainBlue(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetBayerGainGreen(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetBayerGainRGB(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetBayerGainRed(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetBayerMode(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetBrightness(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetCameraInfo(int32_t handle, QUELIX_CAMERA_INFO* info);
QUELIX_API int32_t Quelix_GetCaptureWindowEx(int32_t handle, int32_t* totalWidth, int32_t* left,
                                             int32_t* width, int32_t* totalHeight, int32_t* top,
                                             int32_t* height);
QUELIX_API int32_t Quelix_GetChannelGain(int32_t handle, ...);   /* not supported */
QUELIX_API int32_t Quelix_GetChannelOffset(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_GetColorGainBlue(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetColorGainGreen1(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetColorGainGreen2(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetColorGainRed(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetColorMode(int32_t handle);
QUELIX_API int32_t Quelix_GetConfigFilter(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_GetContrast(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetDeviceName(int32_t handle, int32_t index, char* buffer, int32_t size);
QUELIX_API int32_t Quelix_GetDeviceNameW(int32_t handle, int32_t index, QUELIX_WCHAR* buffer,
                                         int32_t size);
QUELIX_API int32_t Quelix_GetDllVersion(void);
QUELIX_API int32_t Quelix_GetDotFilter(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetExposureTime(int32_t handle, int32_t* ok);
QUELIX_API double Quelix_GetExposureTimeEx(int32_t handle); /* not supported: notifies 11, 0.0 */
QUELIX_API int32_t Quelix_GetFilterValue(int32_t handle, int32_t id, int32_t* ok);
QUELIX_API int32_t Quelix_GetGamma(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetGlobalGain(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetGrayGainB(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetGrayGainG1(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetGrayGainG2(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetGrayGainR(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetGrayMode(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetGrayOffsetB(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetGrayOffsetG1(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetGrayOffsetG2(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetGrayOffsetR(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetHalfClock(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetHue(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetIOPort(int32_t handle, uint8_t* value);
QUELIX_API int32_t Quelix_GetImage(int32_t handle, uint8_t* buffer, int32_t size, int32_t rowOption);
QUELIX_API int32_t Quelix_GetInternalCorrection(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_GetLastError(int32_t handle);
QUELIX_API int32_t Quelix_GetMaskFilter(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetMirrorH(int32_t handle);
QUELIX_API int32_t Quelix_GetMirrorV(int32_t handle);
QUELIX_API int32_t Quelix_GetPeltier(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetRealExposureTime(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetSamplingRate(int32_t handle, int32_t* out); /* sets *out = 0, returns 0 */
QUELIX_API int32_t Quelix_GetSaturation(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetSharpness(int32_t handle, int32_t* ok);
QUELIX_API int32_t Quelix_GetStatus(int32_t handle); /* always 0 */
QUELIX_API int32_t Quelix_GetSubSample(int32_t handle);
QUELIX_API int32_t Quelix_GetTemperature(int32_t handle, int32_t* ok);
QUELIX_API double Quelix_GetTemperatureEx(int32_t handle); /* not supported: notifies 11, 0.0 */
QUELIX_API int32_t Quelix_GetVideoFormat(int32_t handle, int32_t* out); /* sets *out = 0, returns 0 */
QUELIX_API int32_t Quelix_GetWaitTime(int32_t handle);
QUELIX_API int32_t Quelix_Height(int32_t handle);
QUELIX_API int32_t Quelix_Initialize(QUELIX_HWND errorWindow);
QUELIX_API int32_t Quelix_LoadConfigFileA(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_LoadConfigFileW(int32_t handle, ...); /* not supported */
/* Mask files hold the dark and bright shading references (491,560 bytes).
 * Loading refuses anything but a complete mask file (QUELIX_ERR_MASK_FILE)
 * and then changes nothing; a failed save keeps an existing file. */
QUELIX_API int32_t Quelix_LoadMaskFile(int32_t handle, const char* path);
QUELIX_API int32_t Quelix_LoadMaskFileW(int32_t handle, const QUELIX_WCHAR* path);
QUELIX_API int32_t Quelix_Preview(int32_t handle);
QUELIX_API int32_t Quelix_ReadRegister(int32_t handle, uint8_t address, int32_t* ok);
QUELIX_API int32_t Quelix_ReadRegisterEx(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_ReadSromID(int32_t handle, int32_t address, int32_t* ok);
QUELIX_API int32_t Quelix_ReceiveText(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_Record(int32_t handle, const char* path, int32_t recordTimeMs,
                                 int32_t showWindow);
QUELIX_API int32_t Quelix_RecordW(int32_t handle, const QUELIX_WCHAR* path, int32_t recordTimeMs,
                                  int32_t showWindow);
QUELIX_API int32_t Quelix_Release(int32_t handle);
QUELIX_API int32_t Quelix_SaveImage(int32_t handle, const char* path, int32_t format);
QUELIX_API int32_t Quelix_SaveImageW(int32_t handle, const QUELIX_WCHAR* path, int32_t format);
QUELIX_API int32_t Quelix_SaveMaskFile(int32_t handle, const char* path);
QUELIX_API int32_t Quelix_SaveMaskFileW(int32_t handle, const QUELIX_WCHAR* path);
QUELIX_API int32_t Quelix_SendText(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_SetAnalogDlg(int32_t handle, QUELIX_HWND parent);
QUELIX_API int32_t Quelix_SetAutoIris(int32_t handle, int32_t mode);
QUELIX_API int32_t Quelix_SetBayerGainAuto(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetBayerGainBlue(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetBayerGainGreen(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetBayerGainRGB(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetBayerGainRed(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetBayerMode(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetBrightness(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetCameraDlg(int32_t handle, QUELIX_HWND parent);
QUELIX_API int32_t Quelix_SetCaptureWindow(int32_t handle, int32_t width, int32_t height);
QUELIX_API int32_t Quelix_SetCaptureWindowEx(int32_t handle, int32_t totalWidth, int32_t left,
                                             int32_t width, int32_t totalHeight, int32_t top,
                                             int32_t height);
QUELIX_API int32_t Quelix_SetChannelGain(int32_t handle, ...);   /* not supported */
QUELIX_API int32_t Quelix_SetChannelOffset(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_SetColorGainBlue(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetColorGainGreen1(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetColorGainGreen2(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetColorGainRed(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetColorMode(int32_t handle, int32_t bits);
QUELIX_API int32_t Quelix_SetConfigFilter(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_SetContrast(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetCrossbar(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_SetDeviceNumber(int32_t handle, int32_t number);
QUELIX_API int32_t Quelix_SetDotFilter(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetExposureTime(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetExposureTimeEx(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_SetFilterValue(int32_t handle, int32_t id, int32_t value);
QUELIX_API int32_t Quelix_SetGamma(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetGlobalGain(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetGrayGainB(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetGrayGainG1(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetGrayGainG2(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetGrayGainR(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetGrayMode(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetGrayOffsetB(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetGrayOffsetG1(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetGrayOffsetG2(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetGrayOffsetR(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetHalfClock(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetHue(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetIOPort(int32_t handle, uint8_t value);
QUELIX_API int32_t Quelix_SetImageDlg(int32_t handle, QUELIX_HWND parent);
QUELIX_API int32_t Quelix_SetInternalCorrection(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_SetMaskFilter(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetMirrorH(int32_t handle, int32_t flag);
QUELIX_API int32_t Quelix_SetMirrorV(int32_t handle, int32_t flag);
QUELIX_API int32_t Quelix_SetPeltier(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetPreviewWindow(int32_t handle, QUELIX_HWND parent, int32_t left,
                                           int32_t top, int32_t right, int32_t bottom);
QUELIX_API int32_t Quelix_SetRealExposureTime(int32_t handle, int32_t microseconds);
QUELIX_API int32_t Quelix_SetSamplingRate(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_SetSaturation(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetSharpness(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetSubSample(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_SetWaitTime(int32_t handle, int32_t milliseconds);
QUELIX_API int32_t Quelix_SnapShot(int32_t handle, uint8_t* buffer, int32_t size, int32_t rowOption);
QUELIX_API int32_t Quelix_StartPreview(int32_t handle);
QUELIX_API int32_t Quelix_StopPreview(int32_t handle);
/* Trigger mode: one frame per trigger pulse into buffer, announced to
 * frameWindow. A camera that goes away is told once with QUELIX_WM_FRAME
 * (wParam 0, lParam QUELIX_ERR_WAIT_FRAME); the mode waits for it and, when
 * it is back, gives it its settings again. A call while the mode runs
 * replaces window and buffer as Quelix_CallBackPreview does. */
QUELIX_API int32_t Quelix_Trigger(int32_t handle, QUELIX_HWND frameWindow, uint8_t* buffer,
                                  int32_t size, int32_t rowOption);
/* value 0: the current raw frame becomes the dark reference, 1: the bright
 * one, at the capture window's place on the sensor; other values fail with
 * QUELIX_ERR_FILE, and no frame yet with QUELIX_ERR_NOT_INITIALIZED. */
QUELIX_API int32_t Quelix_UpdateMaskData(int32_t handle, int32_t value);
QUELIX_API int32_t Quelix_Width(int32_t handle);
QUELIX_API int32_t Quelix_WriteRegister(int32_t handle, uint8_t address, uint16_t value);
QUELIX_API int32_t Quelix_WriteRegisterEx(int32_t handle, ...); /* not supported */
QUELIX_API int32_t Quelix_WriteSromID(int32_t handle, uint8_t address, uint8_t value);

#ifdef __cplusplus
}
#endif

#endif /* QUELIXSDK_205KWMX_H */
