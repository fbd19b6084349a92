// SPDX-License-Identifier: MIT
/**
 * @file QuelixSdk_205KWMX.h
 * @brief The public C interface of the Quelix 205KWMX camera SDK: 147 exports.
 *
 * Usable from C99 and C++. Link with `libQuelixSdk_205KWMX.so` (CMake package
 * `QuelixSdk`, pkg-config `quelix`); QuelixPlatform.h adds what a Linux
 * application needs in place of Windows (message and display windows, dialog
 * automation).
 *
 * @par Handles
 * Quelix_Initialize makes a camera object and returns its handle; every other
 * export but Quelix_GetDllVersion takes that handle first. An unknown or
 * released handle gives the export's failure value and has no other effect
 * (nothing is recorded, nothing is posted).
 *
 * @par Results
 * 32-bit integers: 1 or a value on success, 0 on failure. Quelix_GetColorMode,
 * Quelix_GetSubSample and Quelix_GetWaitTime return -1 for an unknown handle.
 * Getters that can fail take an `ok` pointer (may be NULL) that they set to 1
 * or 0. Nothing is thrown across the interface: an allocation failure inside
 * gives the failure value.
 *
 * @par Errors
 * "Records N" below means: the code N is pushed into the camera's error
 * history of QUELIX_ERROR_HISTORY entries (Quelix_GetLastError pops it, newest
 * first) and posted as QUELIX_WM_ERROR (wParam 0, lParam N) to the error window
 * given to Quelix_Initialize. "Notifies N" means the message is posted and the
 * history is left as it was. A failed call may record several codes; the one
 * recorded first is its cause.
 *
 * @par Threads
 * Any thread may call any export, also on the same camera. The calls that
 * change the capture window, the colour mode, the device or the acquisition
 * (preview, capture, snapshot, trigger, stop, close, recording start, mask
 * update, enumeration, device selection, preview placement, the stream format
 * dialog, release) run one at a time per camera; a call that finds another
 * running waits for it. Parameter getters and setters do not wait: a running
 * acquisition sees a change from its next frame. Messages are posted, never
 * sent: the library never waits for the application's windows. Quelix_Release
 * waits for the calls still running on the camera.
 *
 * @par Text
 * 8-bit text is UTF-8. Wide text is UTF-16 (QUELIX_WCHAR); a wide path must
 * convert to at most 1023 bytes of UTF-8.
 *
 * @par Images
 * Images are rows of QUELIX_STRIDE(width, bits) bytes (width x bits / 8,
 * padded to a multiple of 4). 16, 48 and 64-bit pixels hold 14-bit samples
 * (0 to QUELIX_SAMPLE_MAX) in little-endian 16-bit words; colour pixels are
 * blue, green, red (and an unused fourth sample in 32 and 64 bits). Calls
 * that fill the caller's buffer take a row order (QUELIX_ROWS_TOP_DOWN or
 * QUELIX_ROWS_BOTTOM_UP).
 */
#ifndef QUELIXSDK_205KWMX_H
#define QUELIXSDK_205KWMX_H

#include <stdint.h>

#include "QuelixTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/**
 * @defgroup lifecycle Lifecycle and errors
 * @brief Making and releasing cameras, the error history, the version.
 *
 * A camera's life: Quelix_Initialize (with a message window for errors),
 * Quelix_SetDeviceNumber, settings, acquisition, Quelix_Release. A failure is
 * recorded with one of the QUELIX_ERR_ codes.
 * @{
 */
#define QUELIX_DLL_VERSION 8258836 /**< what Quelix_GetDllVersion returns (0x7E0514) */
#define QUELIX_ERROR_HISTORY 20    /**< error codes a camera keeps; the oldest falls out */

/** @name Error codes
 * Recorded in the error history and posted with QUELIX_WM_ERROR. Code 10 is not used.
 * @{ */
#define QUELIX_ERR_NOT_INITIALIZED 1 /**< no device object or no frame, or wrong capture mode */
#define QUELIX_ERR_NO_DEVICE 2       /**< device absent, cannot be opened, or claimed by another owner */
#define QUELIX_ERR_THREAD 3          /**< a capture or record thread could not be started */
#define QUELIX_ERR_WINDOW 4          /**< preview window cannot be made, or no stored size preset matches */
#define QUELIX_ERR_OBJECTS 5         /**< objects could not be made, or an image could not be delivered */
#define QUELIX_ERR_REGISTER 6        /**< register access failed, or the transfer could not be started */
#define QUELIX_ERR_WINDOW_INVALID 7  /**< capture window or subsample invalid */
#define QUELIX_ERR_READ_FRAME 8      /**< a frame could not be read, or a preview could not start */
#define QUELIX_ERR_ARGUMENT 9        /**< argument out of range, null pointer, or unknown id */
#define QUELIX_ERR_NOT_SUPPORTED 11  /**< not supported by this camera */
#define QUELIX_ERR_FILE 12           /**< path conversion, mask value or record file failure */
#define QUELIX_ERR_WAIT_FRAME 13     /**< waiting for a frame failed or timed out */
#define QUELIX_ERR_MASK_FILE 14      /**< mask file cannot be opened, or its header or size is wrong */
/** @} */
/** @} */

/**
 * @defgroup acquisition Acquisition
 * @brief Live preview, capture mode, snapshots, trigger mode, the latest frame.
 *
 * A preview (Quelix_CallBackPreview, Quelix_Preview, Quelix_StartPreview)
 * streams frames through the pipeline on a capture thread of the camera: each
 * frame is corrected and rendered in the colour mode, becomes the latest
 * frame (Quelix_GetImage, Quelix_SaveImage, recording), is drawn into the
 * preview window, copied into the caller's buffer and announced to the
 * caller's window with QUELIX_WM_FRAME. Trigger mode (Quelix_Trigger) does the
 * same for one frame per pulse on the camera's trigger input. Quelix_SnapShot
 * takes one frame on the calling thread. Quelix_StopPreview ends all of them.
 *
 * Starting an acquisition checks the capture window, refuses a camera that
 * another process or user streams (QUELIX_ERR_NO_DEVICE), makes the images for
 * the window and colour mode and gives the camera its exposure and cooler
 * settings. A preview claims the camera until it stops.
 * @{
 */
/** @name Messages posted to the application's windows
 * @{ */
/** A frame is ready (wParam: QUELIX_FRAME_INFO*, lParam: int32_t* trailer word),
 * or frames stopped (wParam 0, lParam: the error code) */
#define QUELIX_WM_FRAME 0x8002u
#define QUELIX_WM_ERROR 0x8003u /**< an error was recorded or notified (wParam 0, lParam: the code) */
/** @} */

/** @name Row orders
 * The rowOption of the calls that copy frames into the caller's buffer.
 * @{ */
#define QUELIX_ROWS_BOTTOM_UP 0 /**< bottom row first, as in a BMP file */
#define QUELIX_ROWS_TOP_DOWN 1  /**< top row first, as the image memory holds it (any nonzero value) */
/** @} */

/** Bytes per row of an image `width` pixels wide at `bits` per pixel: padded to a multiple of 4. */
#define QUELIX_STRIDE(width, bits) ((((width) * (bits) / 8) + 3) / 4 * 4)

/**
 * @brief The record whose address QUELIX_WM_FRAME carries in wParam.
 *
 * It lives in the camera object, as does the trailer word that lParam points
 * to (the camera's 16-bit frame counter: gaps are frames that did not reach
 * the caller). The next frame overwrites both: read them when the message
 * arrives, and never after Quelix_Release.
 */
typedef struct QUELIX_FRAME_INFO {
    int32_t size;     /**< 32, the size of the record */
    int32_t width;    /**< pixels per row of the frame (the delivered capture window) */
    int32_t height;   /**< rows of the frame */
    int32_t bitCount; /**< bits per pixel of the colour mode: 8, 16, 24, 32, 48 or 64 */
    int32_t fps10;    /**< frames per second x 10 measured by the preview; 0 in trigger mode */
    int32_t reserved; /**< 0 */
    uint8_t* data;    /**< the caller's buffer the frame was copied into, or NULL */
} QUELIX_FRAME_INFO;
/** @} */

/**
 * @defgroup parameters Parameters and filters
 * @brief Exposure, gains, capture window, colour mode, mirrors, image filter values.
 *
 * Quelix_SetFilterValue and Quelix_GetFilterValue take a QUELIX_FILTER_ id;
 * the named exports (Quelix_SetBrightness, ...) forward to them with theirs.
 * Values that only the pipeline uses are stored and apply from the next
 * frame; exposure and gains go to the camera at once. Every value a setter
 * refuses leaves the setting as it was. The image filter values (ids 1 to 5,
 * 7 to 9, 11 and 12), the gray filter values (19 to 27), the exposure, the
 * mirrors and the automatic exposure mode are kept in the registry when the
 * camera is released and read again by the next Quelix_Initialize.
 * @{
 */
/** @name Sensor
 * @{ */
#define QUELIX_SENSOR_WIDTH 320         /**< pixels per sensor row */
#define QUELIX_SENSOR_HEIGHT 256        /**< sensor rows */
#define QUELIX_WINDOW_MIN_WIDTH 4       /**< the narrowest capture window the camera streams */
#define QUELIX_WINDOW_MIN_HEIGHT 4      /**< the lowest capture window the camera streams */
#define QUELIX_SAMPLE_MAX 0x3FFF        /**< full scale of a 14-bit sample */
#define QUELIX_EXPOSURE_MAX_LINES 32767 /**< the longest exposure, in sensor lines */
/** @} */

/** @name Colour modes
 * Bits per pixel of Quelix_SetColorMode. Gray modes show the samples as gray
 * levels; the colour modes render them in false colour.
 * @{ */
#define QUELIX_COLOR_GRAY8 8   /**< 8-bit gray (samples narrowed to 8 bits) */
#define QUELIX_COLOR_GRAY16 16 /**< 16-bit gray words holding 14-bit samples */
#define QUELIX_COLOR_BGR24 24  /**< false colour, 8 bits per channel */
#define QUELIX_COLOR_BGRX32 32 /**< false colour, 8 bits per channel and an unused fourth byte */
#define QUELIX_COLOR_BGR48 48  /**< false colour, 14-bit samples in 16-bit words */
#define QUELIX_COLOR_BGRX64 64 /**< false colour, 14-bit samples and an unused fourth word */
/** @} */

/** @name Colour modes as Quelix_GetColorMode reports them
 * Modes with 16-bit samples report two bits less.
 * @{ */
#define QUELIX_REPORTED_GRAY8 8   /**< for QUELIX_COLOR_GRAY8 */
#define QUELIX_REPORTED_GRAY16 14 /**< for QUELIX_COLOR_GRAY16 */
#define QUELIX_REPORTED_BGR24 24  /**< for QUELIX_COLOR_BGR24 */
#define QUELIX_REPORTED_BGRX32 32 /**< for QUELIX_COLOR_BGRX32 */
#define QUELIX_REPORTED_BGR48 46  /**< for QUELIX_COLOR_BGR48 */
#define QUELIX_REPORTED_BGRX64 62 /**< for QUELIX_COLOR_BGRX64 */
/** @} */

/** @name Automatic exposure modes of Quelix_SetAutoIris
 * @{ */
#define QUELIX_AUTO_IRIS_OFF 0 /**< the exposure stays as set */
/** five windows of each frame are measured and the exposure follows them (4 to 8192 lines) */
#define QUELIX_AUTO_IRIS_ON 1
#define QUELIX_AUTO_IRIS_MEASURE 2 /**< the windows are measured, the exposure stays */
/** @} */

/** @name Gray modes of QUELIX_FILTER_GRAY_MODE (8-bit gray output only)
 * @{ */
#define QUELIX_GRAY_MODE_OFF 0 /**< gray levels as they are */
/** gains and offsets per phase of the 2 x 2 pattern of QUELIX_FILTER_BAYER_MODE */
#define QUELIX_GRAY_MODE_BALANCE 1
#define QUELIX_GRAY_MODE_LUMINANCE 2 /**< gray levels through the luminance of the false-colour palette */
/** @} */

/** @name Parameter ids of Quelix_SetFilterValue and Quelix_GetFilterValue
 * Each names the range Quelix_SetFilterValue accepts (inclusive; others record
 * QUELIX_ERR_ARGUMENT) and, in parentheses, the value a camera starts with
 * when the registry holds none.
 * @{ */
#define QUELIX_FILTER_BRIGHTNESS 1       /**< brightness offset, -255 to 255 (0: none) */
#define QUELIX_FILTER_CONTRAST 2         /**< contrast, -127 to 127 (0: none) */
#define QUELIX_FILTER_HUE 3              /**< hue turn of the false colours, -360 to 360 (0: none) */
#define QUELIX_FILTER_SATURATION 4       /**< saturation of the false colours, -255 to 255 (0: none) */
#define QUELIX_FILTER_SHARPNESS 5        /**< sharpening, 0 to 30 (0: off) */
#define QUELIX_FILTER_BAYER_GAIN_RGB 6   /**< ids 7 to 9 packed: red bits 0-7, green 8-15, blue 16-23 */
#define QUELIX_FILTER_BAYER_GAIN_RED 7   /**< red colour gain, 0 to 400 (100); kept, not applied to frames */
#define QUELIX_FILTER_BAYER_GAIN_GREEN 8 /**< green colour gain, 0 to 400 (100); kept, not applied */
#define QUELIX_FILTER_BAYER_GAIN_BLUE 9  /**< blue colour gain, 0 to 400 (100); kept, not applied */
#define QUELIX_FILTER_BAYER_GAIN_AUTO 10 /**< automatic colour gain: nonzero is kept as 1; not applied */
#define QUELIX_FILTER_GAMMA 11           /**< gamma, 0 to 200 (100: none) */
#define QUELIX_FILTER_BAYER_MODE 12      /**< phase of the 2 x 2 pattern of the gray balance, 0 to 3 (3) */
#define QUELIX_FILTER_GLOBAL_GAIN 13     /**< the camera's global gain: only 1 */
#define QUELIX_FILTER_COLOR_GAIN_RED 14  /**< sensor gain register 45, 0 to 255 */
#define QUELIX_FILTER_COLOR_GAIN_GREEN1 15 /**< sensor gain register 43, 0 to 255 */
#define QUELIX_FILTER_COLOR_GAIN_GREEN2 16 /**< sensor gain register 46, 0 to 255 */
#define QUELIX_FILTER_COLOR_GAIN_BLUE 17   /**< sensor gain register 44, 0 to 255 */
#define QUELIX_FILTER_EXPOSURE_TIME 18     /**< exposure in sensor lines, 1 to 32767 (100) */
#define QUELIX_FILTER_GRAY_MODE 19         /**< QUELIX_GRAY_MODE_OFF, _BALANCE or _LUMINANCE (0 to 2) */
#define QUELIX_FILTER_GRAY_GAIN_R 20       /**< gray balance gain of the R phase, 0 to 255 (128: unity) */
#define QUELIX_FILTER_GRAY_GAIN_G1 21      /**< gray balance gain of the G1 phase, 0 to 255 (128) */
#define QUELIX_FILTER_GRAY_GAIN_G2 22      /**< gray balance gain of the G2 phase, 0 to 255 (128) */
#define QUELIX_FILTER_GRAY_GAIN_B 23       /**< gray balance gain of the B phase, 0 to 255 (128) */
#define QUELIX_FILTER_GRAY_OFFSET_R 24     /**< gray balance offset of the R phase, -255 to 255 (0) */
#define QUELIX_FILTER_GRAY_OFFSET_G1 25    /**< gray balance offset of the G1 phase, -255 to 255 (0) */
#define QUELIX_FILTER_GRAY_OFFSET_G2 26    /**< gray balance offset of the G2 phase, -255 to 255 (0) */
#define QUELIX_FILTER_GRAY_OFFSET_B 27     /**< gray balance offset of the B phase, -255 to 255 (0) */
#define QUELIX_FILTER_PELTIER 100          /**< cooler: not supported (QUELIX_ERR_NOT_SUPPORTED) */
#define QUELIX_FILTER_TEMPERATURE 101      /**< sensor temperature, read only: not supported */
#define QUELIX_FILTER_DOT_FILTER 102       /**< defect-pixel repair with the masks, 0 or 1 (0: off) */
#define QUELIX_FILTER_MASK_FILTER 103      /**< shading correction with the references, 0 or 1 (0: off) */
/** @} */

/**
 * @brief The record filled by Quelix_GetCameraInfo.
 *
 * The caller sets size; the library fills the other fields.
 */
typedef struct QUELIX_CAMERA_INFO {
    int32_t size;             /**< in: the size of the record, at least 36 */
    int32_t sensorWidth;      /**< QUELIX_SENSOR_WIDTH */
    int32_t sensorHeight;     /**< QUELIX_SENSOR_HEIGHT */
    int32_t globalGainMin;    /**< 1 */
    int32_t globalGainMax;    /**< 1 */
    int32_t colorGainMin;     /**< 0 */
    int32_t colorGainMax;     /**< 255 */
    int32_t exposureMinLines; /**< 1 */
    int32_t exposureMaxLines; /**< QUELIX_EXPOSURE_MAX_LINES */
} QUELIX_CAMERA_INFO;
/** @} */

/**
 * @defgroup devices Devices and registers
 * @brief Listing and choosing the attached cameras; raw register and ID-memory access.
 *
 * Up to QUELIX_MAX_DEVICES cameras, device numbers 0 to 7. A camera object
 * starts on device 0. Display names are "Quelix205KWMX_NN".
 * @{
 */
#define QUELIX_MAX_DEVICES 8             /**< device numbers 0 to 7 */
#define QUELIX_DEVICE_LIST_ENTRIES 10    /**< entries of the lists of Quelix_EnumDevice(W) */
#define QUELIX_DEVICE_NAME_SIZE 256      /**< characters per entry of those lists */
#define QUELIX_DEVICE_NAME_MIN_BUFFER 17 /**< the smallest buffer of Quelix_GetDeviceName, in characters */
/** @} */

/**
 * @defgroup imagefiles Image files
 * @brief Saving the latest frame as BMP, raw, JPEG, PNG or TIFF.
 * @{
 */
/** @name Formats of Quelix_SaveImage
 * @{ */
/** bottom row first, the bits per pixel of the image memory; 8 bits with the gray colour table */
#define QUELIX_IMAGE_BMP 0
#define QUELIX_IMAGE_RAW 1 /**< the image memory: top row first, rows padded to 4 bytes, no header */
/** progressive JPEG, quality 100: 8-bit gray for the gray modes, else 24-bit colour */
#define QUELIX_IMAGE_JPEG100 2
#define QUELIX_IMAGE_JPEG70 3 /**< as QUELIX_IMAGE_JPEG100 at quality 70 */
#define QUELIX_IMAGE_JPEG20 4 /**< as QUELIX_IMAGE_JPEG100 at quality 20 */
#define QUELIX_IMAGE_PNG 5    /**< gray, RGB or RGBA (opaque); 14-bit samples widened to 16 bits */
#define QUELIX_IMAGE_TIFF 6   /**< uncompressed, one strip; 14-bit samples widened to 16 bits */
/** @} */
/** @} */

/**
 * @defgroup recording Recording
 * @brief Uncompressed AVI files of the preview's frames.
 */

/**
 * @defgroup masks Calibration masks
 * @brief Shading references, defect masks and the mask file.
 *
 * A camera keeps a dark and a bright reference of the whole sensor, in 8 and
 * in 16 bits, and derives from them the masks of hot pixels (dark reference)
 * and dead pixels (bright one). QUELIX_FILTER_MASK_FILTER corrects each frame
 * against the references, QUELIX_FILTER_DOT_FILTER repairs the masked pixels.
 * Without a mask file the references are a black and a full-scale frame.
 * @{
 */
#define QUELIX_MASK_DARK 0           /**< Quelix_UpdateMaskData: the dark reference (shutter closed) */
#define QUELIX_MASK_BRIGHT 1         /**< Quelix_UpdateMaskData: the bright reference (uniform light) */
#define QUELIX_MASK_FILE_SIZE 491560 /**< bytes of a mask file: a 40-byte header and the four references */
/** @} */

/**
 * @defgroup dialogs Settings dialogs
 * @brief The library's modal settings dialogs.
 *
 * Each runs modally on the calling thread until a button closes it: a GTK 3
 * dialog on a display, or driven by the hook of QuelixPlatform_SetDialogHook.
 * With neither it cannot be shown, which counts as Cancel. OK keeps the
 * changes; Cancel puts the settings back.
 */

/**
 * @defgroup unsupported Not supported
 * @brief Exports of the camera family that this camera does not support.
 *
 * They do no work. For a live handle most notify QUELIX_ERR_NOT_SUPPORTED (the
 * error history is left as it was); all return 0 (0.0).
 */

/* The 147 exports, in alphabetical order. */

/**
 * @ingroup acquisition
 * @brief Starts the preview, copying every frame into the caller's buffer and announcing it.
 *
 * Makes the preview window first when Quelix_SetPreviewWindow asks for one and
 * none exists, then starts the preview (Quelix_StartPreview). For every frame
 * the capture thread copies the image into `buffer`, then posts
 * QUELIX_WM_FRAME to `frameWindow`. A frame that does not fit the buffer is not
 * copied nor announced: it records QUELIX_ERR_OBJECTS and is told to
 * `frameWindow` as QUELIX_WM_FRAME with wParam 0 and lParam QUELIX_ERR_OBJECTS.
 * When the camera stops delivering (no frame within 6 s, or a failed read)
 * the frames stop, with QUELIX_WM_FRAME (wParam 0, lParam
 * QUELIX_ERR_WAIT_FRAME or QUELIX_ERR_READ_FRAME) and the same code recorded;
 * call Quelix_StopPreview then.
 *
 * Called again while the preview runs, it replaces window, buffer, size and
 * row order between two frames: once it returns, the old buffer is no longer
 * written and may be freed.
 *
 * @param handle camera handle
 * @param frameWindow window for QUELIX_WM_FRAME, or NULL for none
 * @param buffer memory for every frame, or NULL to copy none (then take frames with Quelix_GetImage)
 * @param size bytes of `buffer`: at least QUELIX_STRIDE(width, bits) x height of the frames; 0 copies none
 * @param rowOption QUELIX_ROWS_TOP_DOWN (nonzero) or QUELIX_ROWS_BOTTOM_UP (0)
 * @return 1 when the preview runs, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_WINDOW when the preview window cannot be made; when the
 * preview cannot start, the cause (as Quelix_StartPreview) and then
 * QUELIX_ERR_READ_FRAME, and closes the preview window.
 * @par Threads
 * The buffer is written by the camera's capture thread while the preview
 * runs; each frame overwrites the one before. Read it when the frame's
 * message arrives, or pass NULL and copy whole frames with Quelix_GetImage.
 */
QUELIX_API int32_t Quelix_CallBackPreview(int32_t handle, QUELIX_HWND frameWindow, uint8_t* buffer,
                                          int32_t size, int32_t rowOption);
/**
 * @ingroup acquisition
 * @brief Enters capture mode: the camera is prepared once for the following Quelix_SnapShot calls.
 *
 * Without capture mode every snapshot prepares the camera and the images
 * itself. Quelix_StopPreview leaves the mode.
 * @param handle camera handle
 * @return 1 in capture mode (also when already in it), 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object or while a
 * preview or trigger mode runs; when preparing fails, its cause
 * (QUELIX_ERR_NO_DEVICE, QUELIX_ERR_WINDOW_INVALID, QUELIX_ERR_OBJECTS) and
 * then QUELIX_ERR_NOT_INITIALIZED.
 */
QUELIX_API int32_t Quelix_Capture(int32_t handle);
/**
 * @ingroup acquisition
 * @brief Ends the preview: destroys the preview window and stops whatever runs.
 *
 * Stops preview, capture mode, trigger mode and recording (as
 * Quelix_StopPreview) and destroys the preview window; a later preview makes
 * a new one.
 * @param handle camera handle
 * @return 1 (0 for an unknown handle)
 */
QUELIX_API int32_t Quelix_Close(int32_t handle);
/**
 * @ingroup devices
 * @brief Lists the attached cameras by display name.
 *
 * Looks again which device numbers have a camera, then writes
 * "Quelix205KWMX_01", "Quelix205KWMX_02", ... into the first entries, numbered
 * in the order the cameras are found (not by device number), and empty
 * strings into the rest.
 * @param handle camera handle
 * @param[out] names QUELIX_DEVICE_LIST_ENTRIES entries of QUELIX_DEVICE_NAME_SIZE bytes
 * @return the number of cameras found, 0 to QUELIX_MAX_DEVICES (0 on failure)
 * @par Errors
 * Records QUELIX_ERR_ARGUMENT for a NULL list, QUELIX_ERR_NOT_INITIALIZED
 * without a device object.
 */
QUELIX_API int32_t Quelix_EnumDevice(int32_t handle, char* names);
/**
 * @ingroup devices
 * @brief Quelix_EnumDevice with UTF-16 names, from the last look (it does not look again).
 *
 * The cameras found by the last Quelix_EnumDevice (or by Quelix_Initialize):
 * a camera attached since then is not listed.
 * @param handle camera handle
 * @param[out] names QUELIX_DEVICE_LIST_ENTRIES entries of QUELIX_DEVICE_NAME_SIZE UTF-16 units
 * @return the number of cameras listed (0 on failure)
 * @par Errors
 * As Quelix_EnumDevice.
 */
QUELIX_API int32_t Quelix_EnumDeviceW(int32_t handle, QUELIX_WCHAR* names);
/**
 * @ingroup devices
 * @brief Reads a register of the camera's logic device.
 * @param handle camera handle
 * @param address register address, 0 to 255
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return the register's 8-bit value, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_REGISTER when the camera does not answer.
 */
QUELIX_API int32_t Quelix_Fpga_ReadRegister(int32_t handle, uint8_t address, int32_t* ok);
/**
 * @ingroup devices
 * @brief Writes a register of the camera's logic device.
 * @param handle camera handle
 * @param address register address, 0 to 255
 * @param value the value; its low 8 bits are written
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_REGISTER when the write fails.
 */
QUELIX_API int32_t Quelix_Fpga_WriteRegister(int32_t handle, uint8_t address, uint16_t value);
/**
 * @ingroup unsupported
 * @brief Not supported by this camera.
 * @param handle camera handle
 * @param ... ignored
 * @return 0
 * @par Errors
 * Notifies QUELIX_ERR_NOT_SUPPORTED for a live handle.
 */
QUELIX_API int32_t Quelix_Fps(int32_t handle, ...);
/**
 * @ingroup parameters
 * @brief The automatic exposure mode.
 * @param handle camera handle
 * @param[out] ok set to 1; may be NULL
 * @return QUELIX_AUTO_IRIS_OFF, _ON or _MEASURE (0 for an unknown handle)
 */
QUELIX_API int32_t Quelix_GetAutoIris(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_BAYER_GAIN_AUTO.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 or 1, 0 on failure
 */
QUELIX_API int32_t Quelix_GetBayerGainAuto(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_BAYER_GAIN_BLUE.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 to 400, 0 on failure
 */
QUELIX_API int32_t Quelix_GetBayerGainBlue(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_BAYER_GAIN_GREEN.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 to 400, 0 on failure
 */
QUELIX_API int32_t Quelix_GetBayerGainGreen(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_BAYER_GAIN_RGB.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return the low 8 bits of the red, green and blue gains in bits 0-7, 8-15 and 16-23; 0 on failure
 */
QUELIX_API int32_t Quelix_GetBayerGainRGB(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_BAYER_GAIN_RED.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 to 400, 0 on failure
 */
QUELIX_API int32_t Quelix_GetBayerGainRed(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_BAYER_MODE.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 to 3, 0 on failure
 */
QUELIX_API int32_t Quelix_GetBayerMode(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_BRIGHTNESS.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return -255 to 255, 0 on failure
 */
QUELIX_API int32_t Quelix_GetBrightness(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Fills the camera information record.
 * @param handle camera handle
 * @param[in,out] info the record, its size set by the caller
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_ARGUMENT for a NULL record, QUELIX_ERR_OBJECTS when its size is
 * below 36.
 */
QUELIX_API int32_t Quelix_GetCameraInfo(int32_t handle, QUELIX_CAMERA_INFO* info);
/**
 * @ingroup parameters
 * @brief Reads the capture window as it was last set.
 *
 * The values as given to Quelix_SetCaptureWindowEx (also a window it
 * refused), or as a preset or the registry gave them; once the camera took a
 * window, its offsets and sizes rounded down to even values. Needs no device.
 * @param handle camera handle
 * @param[out] totalWidth the stored total width (320 unless set); may be NULL
 * @param[out] left left edge on the sensor; may be NULL
 * @param[out] width width; may be NULL
 * @param[out] totalHeight the stored total height (256 unless set); may be NULL
 * @param[out] top top edge on the sensor; may be NULL
 * @param[out] height height; may be NULL
 * @return 1 (0 for an unknown handle)
 */
QUELIX_API int32_t Quelix_GetCaptureWindowEx(int32_t handle, int32_t* totalWidth, int32_t* left,
                                             int32_t* width, int32_t* totalHeight, int32_t* top,
                                             int32_t* height);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_GetChannelGain(int32_t handle, ...);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_GetChannelOffset(int32_t handle, ...);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_COLOR_GAIN_BLUE: read from the camera.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return the low 7 bits of sensor register 44, 0 on failure
 */
QUELIX_API int32_t Quelix_GetColorGainBlue(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_COLOR_GAIN_GREEN1: read from the camera.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return the low 7 bits of sensor register 43, 0 on failure
 */
QUELIX_API int32_t Quelix_GetColorGainGreen1(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_COLOR_GAIN_GREEN2: read from the camera.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return the low 7 bits of sensor register 46, 0 on failure
 */
QUELIX_API int32_t Quelix_GetColorGainGreen2(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_COLOR_GAIN_RED: read from the camera.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return the low 7 bits of sensor register 45, 0 on failure
 */
QUELIX_API int32_t Quelix_GetColorGainRed(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief The colour mode, as significant bits per pixel.
 *
 * Needs no device.
 * @param handle camera handle
 * @return a QUELIX_REPORTED_ value: 8, 14, 24, 32, 46 or 62; -1 for an unknown handle
 */
QUELIX_API int32_t Quelix_GetColorMode(int32_t handle);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_GetConfigFilter(int32_t handle, ...);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_CONTRAST.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return -127 to 127, 0 on failure
 */
QUELIX_API int32_t Quelix_GetContrast(int32_t handle, int32_t* ok);
/**
 * @ingroup devices
 * @brief The display name of a device number.
 *
 * Device 0 is "Quelix205KWMX_01", device n "Quelix205KWMX_" and n + 1 in two
 * digits, whatever order Quelix_EnumDevice numbers them in. Presence is that
 * of the last look (Quelix_EnumDevice or Quelix_Initialize).
 * @param handle camera handle
 * @param index device number, 0 to QUELIX_MAX_DEVICES - 1
 * @param[out] buffer the name, zero-terminated
 * @param size bytes of `buffer`: at least QUELIX_DEVICE_NAME_MIN_BUFFER
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_ARGUMENT for a NULL or too small buffer or an index out
 * of range, QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_NO_DEVICE when no camera has that number.
 */
QUELIX_API int32_t Quelix_GetDeviceName(int32_t handle, int32_t index, char* buffer, int32_t size);
/**
 * @ingroup devices
 * @brief Quelix_GetDeviceName in UTF-16.
 * @param handle camera handle
 * @param index device number, 0 to QUELIX_MAX_DEVICES - 1
 * @param[out] buffer the name, zero-terminated
 * @param size UTF-16 units of `buffer`: at least QUELIX_DEVICE_NAME_MIN_BUFFER
 * @return 1 on success, 0 on failure
 * @par Errors
 * As Quelix_GetDeviceName.
 */
QUELIX_API int32_t Quelix_GetDeviceNameW(int32_t handle, int32_t index, QUELIX_WCHAR* buffer, int32_t size);
/**
 * @ingroup lifecycle
 * @brief The library's version number; takes no handle.
 * @return QUELIX_DLL_VERSION
 */
QUELIX_API int32_t Quelix_GetDllVersion(void);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_DOT_FILTER.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 or 1, 0 on failure
 */
QUELIX_API int32_t Quelix_GetDotFilter(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_EXPOSURE_TIME: the exposure in lines, read from the camera.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 1 to QUELIX_EXPOSURE_MAX_LINES, 0 on failure
 */
QUELIX_API int32_t Quelix_GetExposureTime(int32_t handle, int32_t* ok);
/**
 * @ingroup unsupported
 * @brief Not supported by this camera.
 * @param handle camera handle
 * @return 0.0
 * @par Errors
 * Notifies QUELIX_ERR_NOT_SUPPORTED for a live handle.
 */
QUELIX_API double Quelix_GetExposureTimeEx(int32_t handle);
/**
 * @ingroup parameters
 * @brief Reads a camera parameter by id.
 *
 * Ids that only the pipeline uses give the stored value; colour gains, the
 * global gain and the exposure are read from the camera.
 * @param handle camera handle
 * @param id a QUELIX_FILTER_ id
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return the value, 0 on failure; -1 for QUELIX_FILTER_PELTIER (ok stays 1) and
 *         QUELIX_FILTER_TEMPERATURE (ok 0)
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object (for every id),
 * QUELIX_ERR_ARGUMENT for an unknown id, QUELIX_ERR_REGISTER when the camera
 * cannot be read, QUELIX_ERR_NOT_SUPPORTED for QUELIX_FILTER_PELTIER and
 * QUELIX_FILTER_TEMPERATURE.
 */
QUELIX_API int32_t Quelix_GetFilterValue(int32_t handle, int32_t id, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_GAMMA.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 to 200, 0 on failure
 */
QUELIX_API int32_t Quelix_GetGamma(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_GLOBAL_GAIN: read from the camera.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 or 1 (the camera's global gain bit), 0 on failure
 */
QUELIX_API int32_t Quelix_GetGlobalGain(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_GRAY_GAIN_B.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 to 255, 0 on failure
 */
QUELIX_API int32_t Quelix_GetGrayGainB(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_GRAY_GAIN_G1.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 to 255, 0 on failure
 */
QUELIX_API int32_t Quelix_GetGrayGainG1(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_GRAY_GAIN_G2.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 to 255, 0 on failure
 */
QUELIX_API int32_t Quelix_GetGrayGainG2(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_GRAY_GAIN_R.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 to 255, 0 on failure
 */
QUELIX_API int32_t Quelix_GetGrayGainR(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_GRAY_MODE.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return a QUELIX_GRAY_MODE_ value, 0 on failure
 */
QUELIX_API int32_t Quelix_GetGrayMode(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_GRAY_OFFSET_B.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return -255 to 255, 0 on failure
 */
QUELIX_API int32_t Quelix_GetGrayOffsetB(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_GRAY_OFFSET_G1.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return -255 to 255, 0 on failure
 */
QUELIX_API int32_t Quelix_GetGrayOffsetG1(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_GRAY_OFFSET_G2.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return -255 to 255, 0 on failure
 */
QUELIX_API int32_t Quelix_GetGrayOffsetG2(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_GRAY_OFFSET_R.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return -255 to 255, 0 on failure
 */
QUELIX_API int32_t Quelix_GetGrayOffsetR(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief The camera's clock mode, read from the camera.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return the clock mode register (8 bits), 0 on failure
 * @par Errors
 * Notifies QUELIX_ERR_NOT_INITIALIZED without a device object or when the
 * camera cannot be read.
 */
QUELIX_API int32_t Quelix_GetHalfClock(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_HUE.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return -360 to 360, 0 on failure
 */
QUELIX_API int32_t Quelix_GetHue(int32_t handle, int32_t* ok);
/**
 * @ingroup devices
 * @brief Reads the camera's IO port (logic-device register 7).
 * @param handle camera handle
 * @param[out] value the port's byte
 * @return 1 on success, 0 on failure
 * @par Errors
 * Notifies QUELIX_ERR_ARGUMENT for a NULL pointer and QUELIX_ERR_NOT_INITIALIZED
 * without a device object; records QUELIX_ERR_REGISTER when the camera cannot
 * be read.
 */
QUELIX_API int32_t Quelix_GetIOPort(int32_t handle, uint8_t* value);
/**
 * @ingroup acquisition
 * @brief Copies the latest finished frame into the caller's buffer.
 *
 * The frame last published by the preview, trigger mode or a snapshot, in
 * the colour mode it was made in (QUELIX_FRAME_INFO of its message gives the
 * size). The copy is whole: it never mixes two frames, and the trailer word
 * of QUELIX_WM_FRAME changes together with it, so an equal trailer before and
 * after the copy names its frame.
 * @param handle camera handle
 * @param[out] buffer memory for the frame
 * @param size bytes of `buffer`: at least QUELIX_STRIDE(width, bits) x height
 * @param rowOption QUELIX_ROWS_TOP_DOWN (nonzero) or QUELIX_ROWS_BOTTOM_UP (0)
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_OBJECTS for a NULL or too small buffer or before any acquisition
 * made the images (a buffer too small is also told to the frame window as
 * QUELIX_WM_FRAME with wParam 0).
 * @par Threads
 * Safe while the capture thread publishes frames.
 */
QUELIX_API int32_t Quelix_GetImage(int32_t handle, uint8_t* buffer, int32_t size, int32_t rowOption);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_GetInternalCorrection(int32_t handle, ...);
/**
 * @ingroup lifecycle
 * @brief Pops the newest recorded error code.
 *
 * Successive calls return the recorded codes newest first, then 0.
 * @param handle camera handle
 * @return a QUELIX_ERR_ code, 0 when none is left or for an unknown handle
 */
QUELIX_API int32_t Quelix_GetLastError(int32_t handle);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_MASK_FILTER.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 or 1, 0 on failure
 */
QUELIX_API int32_t Quelix_GetMaskFilter(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Whether frames are mirrored left to right.
 * @param handle camera handle
 * @return 0 or 1, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object.
 */
QUELIX_API int32_t Quelix_GetMirrorH(int32_t handle);
/**
 * @ingroup parameters
 * @brief Whether frames are mirrored top to bottom.
 * @param handle camera handle
 * @return 0 or 1, 0 on failure
 * @par Errors
 * Notifies QUELIX_ERR_NOT_INITIALIZED without a device object.
 */
QUELIX_API int32_t Quelix_GetMirrorV(int32_t handle);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_PELTIER: not supported.
 * @param handle camera handle
 * @param[out] ok set to 1; may be NULL
 * @return -1 (0 on failure)
 * @par Errors
 * Records QUELIX_ERR_NOT_SUPPORTED.
 */
QUELIX_API int32_t Quelix_GetPeltier(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief The exposure as a time: the stored exposure in lines times the line time.
 *
 * A line lasts (width + 69) clocks of 0.1 us for the delivered window's width
 * (38.9 us at 320 pixels); the result is truncated, so 100 lines read back as
 * 3889 us. The camera is not read.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return microseconds, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object.
 */
QUELIX_API int32_t Quelix_GetRealExposureTime(int32_t handle, int32_t* ok);
/**
 * @ingroup unsupported
 * @brief Not supported by this camera: sets *out to 0.
 * @param handle camera handle
 * @param[out] out set to 0 for a live handle; may be NULL
 * @return 0
 */
QUELIX_API int32_t Quelix_GetSamplingRate(int32_t handle, int32_t* out);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_SATURATION.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return -255 to 255, 0 on failure
 */
QUELIX_API int32_t Quelix_GetSaturation(int32_t handle, int32_t* ok);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_SHARPNESS.
 * @param handle camera handle
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return 0 to 30, 0 on failure
 */
QUELIX_API int32_t Quelix_GetSharpness(int32_t handle, int32_t* ok);
/**
 * @ingroup unsupported
 * @brief Not supported by this camera.
 * @param handle camera handle, live or not
 * @return 0
 */
QUELIX_API int32_t Quelix_GetStatus(int32_t handle);
/**
 * @ingroup parameters
 * @brief The stored subsample mode.
 *
 * Needs no device.
 * @param handle camera handle
 * @return 0 to 2; -1 for an unknown handle
 */
QUELIX_API int32_t Quelix_GetSubSample(int32_t handle);
/**
 * @ingroup parameters
 * @brief Quelix_GetFilterValue with QUELIX_FILTER_TEMPERATURE: not supported.
 * @param handle camera handle
 * @param[out] ok set to 0; may be NULL
 * @return -1 (0 for an unknown handle)
 * @par Errors
 * Records QUELIX_ERR_NOT_SUPPORTED.
 */
QUELIX_API int32_t Quelix_GetTemperature(int32_t handle, int32_t* ok);
/**
 * @ingroup unsupported
 * @copydoc Quelix_GetExposureTimeEx
 */
QUELIX_API double Quelix_GetTemperatureEx(int32_t handle);
/**
 * @ingroup unsupported
 * @copydoc Quelix_GetSamplingRate
 */
QUELIX_API int32_t Quelix_GetVideoFormat(int32_t handle, int32_t* out);
/**
 * @ingroup parameters
 * @brief The preview loop's pause before each frame.
 *
 * Needs no device.
 * @param handle camera handle
 * @return milliseconds; -1 for an unknown handle
 */
QUELIX_API int32_t Quelix_GetWaitTime(int32_t handle);
/**
 * @ingroup parameters
 * @brief The capture height as last set (the height of Quelix_GetCaptureWindowEx).
 *
 * Frames have the height the camera delivers: QUELIX_FRAME_INFO tells it.
 * @param handle camera handle
 * @return rows (0 for an unknown handle)
 */
QUELIX_API int32_t Quelix_Height(int32_t handle);
/**
 * @ingroup lifecycle
 * @brief Makes a camera object and returns its handle.
 *
 * Opens the table of claimed cameras shared with this user's other
 * processes, makes the device object on device number 0 (looking which
 * device numbers have a camera), the images and the shading references, and
 * reads the stored settings of device number 0 from the registry: capture
 * window, colour mode, subsample, wait time, clock mode, the image filter and
 * gray filter values and the camera values (exposure, mirrors, automatic
 * exposure, cooler). On a first run (no settings stored) it stores the
 * defaults: the whole sensor, 24 bits per pixel, a wait time of 1 ms.
 *
 * A camera whose initialisation failed still gets a live handle: the cause is
 * in its error history, calls that need the device fail with
 * QUELIX_ERR_NOT_INITIALIZED, and it is released like any other. With no
 * camera attached initialisation succeeds; the absence shows in enumeration
 * and at the start of an acquisition.
 * @param errorWindow window for QUELIX_WM_ERROR, or NULL
 * @return the handle (never 0), or 0 when no camera object can be made
 * @par Errors
 * Records QUELIX_ERR_OBJECTS when the shared table or the objects cannot be
 * made, QUELIX_ERR_WINDOW_INVALID when the stored capture window is invalid
 * (the whole sensor is used instead).
 */
QUELIX_API int32_t Quelix_Initialize(QUELIX_HWND errorWindow);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_LoadConfigFileA(int32_t handle, ...);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_LoadConfigFileW(int32_t handle, ...);
/**
 * @ingroup masks
 * @brief Loads the four shading references from a mask file and derives the defect masks.
 *
 * The file is read and checked whole before anything changes: anything but
 * a complete mask file of QUELIX_MASK_FILE_SIZE bytes with the right header
 * changes nothing.
 * @param handle camera handle
 * @param path the file (UTF-8)
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_MASK_FILE for a NULL path or a file that cannot be read or is no
 * mask file.
 * @par Threads
 * A running preview corrects each frame against either the old or the new
 * references and masks, never a mixture.
 */
QUELIX_API int32_t Quelix_LoadMaskFile(int32_t handle, const char* path);
/**
 * @ingroup masks
 * @brief Quelix_LoadMaskFile with a UTF-16 path.
 * @param handle camera handle
 * @param path the file (UTF-16)
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_FILE for a NULL path or one that cannot be converted;
 * else as Quelix_LoadMaskFile.
 */
QUELIX_API int32_t Quelix_LoadMaskFileW(int32_t handle, const QUELIX_WCHAR* path);
/**
 * @ingroup acquisition
 * @brief Starts the preview in the library's preview window, without frame messages.
 *
 * Quelix_CallBackPreview with no frame window and no buffer.
 * @param handle camera handle
 * @return 1 when the preview runs, 0 on failure
 * @par Errors
 * As Quelix_CallBackPreview.
 */
QUELIX_API int32_t Quelix_Preview(int32_t handle);
/**
 * @ingroup devices
 * @brief Reads a 16-bit sensor register.
 * @param handle camera handle
 * @param address register address, 0 to 255
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return the register's value, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_REGISTER when the camera does not answer.
 */
QUELIX_API int32_t Quelix_ReadRegister(int32_t handle, uint8_t address, int32_t* ok);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_ReadRegisterEx(int32_t handle, ...);
/**
 * @ingroup devices
 * @brief Reads a byte of the camera's ID memory.
 * @param handle camera handle
 * @param address ID memory address; its low 8 bits are used
 * @param[out] ok 1 on success, 0 on failure; may be NULL
 * @return the byte, 0 on failure
 * @par Errors
 * Notifies QUELIX_ERR_NOT_INITIALIZED without a device object or when the
 * read fails.
 */
QUELIX_API int32_t Quelix_ReadSromID(int32_t handle, int32_t address, int32_t* ok);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_ReceiveText(int32_t handle, ...);
/**
 * @ingroup recording
 * @brief Records the preview's frames into an uncompressed AVI file.
 *
 * Starts the preview when it does not run, then appends every frame it
 * finishes as a 24-bit frame (rows bottom first, blue, green, red; gray modes
 * as gray levels, 14-bit samples narrowed to 8 bits), on a record thread of
 * the camera. A recording replaces the frame window and buffer of a running
 * Quelix_CallBackPreview with none. It ends recordTimeMs after its first
 * frame, at Quelix_StopPreview, Quelix_Close or Quelix_Release, at the
 * format's 4 GiB or when a write fails; in every case the file is finished
 * (index written, headers carrying the frame count and the measured rate)
 * and only then renamed into place, so an existing file of that name stays
 * until the new one is complete. Frames that come faster than the file takes
 * them are skipped. The preview goes on after the recording ends.
 * @param handle camera handle
 * @param path the AVI file (UTF-8)
 * @param recordTimeMs milliseconds to record, from the first frame; 0 or more
 * @param showWindow nonzero: make the preview window first when
 *        Quelix_SetPreviewWindow asks for one; 0: no window is made for it
 * @return 1 when the recording started, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_ARGUMENT for a NULL or empty path or a negative time,
 * QUELIX_ERR_NOT_INITIALIZED while a recording runs, QUELIX_ERR_WINDOW when
 * the window cannot be made; when the preview cannot start, its cause and
 * then QUELIX_ERR_FILE; QUELIX_ERR_OBJECTS or QUELIX_ERR_THREAD when the
 * recording cannot be set up; QUELIX_ERR_FILE when the file cannot be made,
 * and while recording when a write fails. The failures after the preview
 * started close it (as Quelix_Close).
 */
QUELIX_API int32_t Quelix_Record(int32_t handle, const char* path, int32_t recordTimeMs, int32_t showWindow);
/**
 * @ingroup recording
 * @brief Quelix_Record with a UTF-16 path.
 * @param handle camera handle
 * @param path the AVI file (UTF-16)
 * @param recordTimeMs milliseconds to record, from the first frame; 0 or more
 * @param showWindow as Quelix_Record
 * @return 1 when the recording started, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_FILE for a path that cannot be converted; else as
 * Quelix_Record.
 */
QUELIX_API int32_t Quelix_RecordW(int32_t handle, const QUELIX_WCHAR* path, int32_t recordTimeMs,
                                  int32_t showWindow);
/**
 * @ingroup lifecycle
 * @brief Releases the camera: saves its settings, stops everything and frees it.
 *
 * Saves the camera values under the device number in use and the image and
 * gray filter values under device number 0, ends what runs (as Quelix_Close),
 * releases the claim on the camera and frees the object. The handle is dead
 * afterwards.
 * @param handle camera handle
 * @return 1, or 0 for an unknown handle or when called from inside a call on
 *         the same camera (a dialog hook, say)
 * @par Threads
 * Waits for the calls still running on the camera on other threads; calls
 * made meanwhile fail as for an unknown handle.
 */
QUELIX_API int32_t Quelix_Release(int32_t handle);
/**
 * @ingroup imagefiles
 * @brief Saves the latest finished frame as an image file.
 *
 * Saves a copy of the frame Quelix_GetImage would give, so saving never holds
 * up the preview. The file is written to a temporary beside it and renamed
 * over it when complete: a failed save leaves no partial file and keeps an
 * existing file of that name; one that succeeds replaces it.
 * @param handle camera handle
 * @param path the file (UTF-8)
 * @param format a QUELIX_IMAGE_ code
 * @return 1 when written, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object or without a
 * frame. A NULL path, an unknown format or a failed write return 0 without a
 * code.
 */
QUELIX_API int32_t Quelix_SaveImage(int32_t handle, const char* path, int32_t format);
/**
 * @ingroup imagefiles
 * @brief Quelix_SaveImage with a UTF-16 path.
 * @param handle camera handle
 * @param path the file (UTF-16)
 * @param format a QUELIX_IMAGE_ code
 * @return 1 when written, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED for a path that cannot be converted;
 * else as Quelix_SaveImage.
 */
QUELIX_API int32_t Quelix_SaveImageW(int32_t handle, const QUELIX_WCHAR* path, int32_t format);
/**
 * @ingroup masks
 * @brief Saves the four shading references into a mask file.
 *
 * Written to a temporary and renamed when complete: a failed save keeps an
 * existing file.
 * @param handle camera handle
 * @param path the file (UTF-8)
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_MASK_FILE for a NULL path or a failed write.
 */
QUELIX_API int32_t Quelix_SaveMaskFile(int32_t handle, const char* path);
/**
 * @ingroup masks
 * @brief Quelix_SaveMaskFile with a UTF-16 path.
 * @param handle camera handle
 * @param path the file (UTF-16)
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_FILE for a NULL path or one that cannot be converted;
 * else as Quelix_SaveMaskFile.
 */
QUELIX_API int32_t Quelix_SaveMaskFileW(int32_t handle, const QUELIX_WCHAR* path);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_SendText(int32_t handle, ...);
/**
 * @ingroup dialogs
 * @brief The camera settings dialog: exposure, mirrors, automatic exposure.
 *
 * Shows the camera's present values (read from it first) and changes the
 * camera at once, so a running preview shows each change. Unless the dialog
 * ends with OK, the exposure, the cooler and the mirrors go back to the
 * camera and the camera values are put back.
 * @param handle camera handle
 * @param parent the dialog's parent window, or NULL
 * @return 1 whatever closed the dialog, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object.
 * @par Threads
 * Returns when the dialog closes. Automatic exposure on the capture thread
 * shows its changes in the open dialog.
 */
QUELIX_API int32_t Quelix_SetAnalogDlg(int32_t handle, QUELIX_HWND parent);
/**
 * @ingroup parameters
 * @brief Sets the automatic exposure mode.
 *
 * Needs no device. Kept with the camera values in the registry.
 * @param handle camera handle
 * @param mode QUELIX_AUTO_IRIS_OFF, _ON or _MEASURE (0 to 2)
 * @return 1 on success, 0 on failure
 * @par Errors
 * Notifies QUELIX_ERR_ARGUMENT for another mode.
 */
QUELIX_API int32_t Quelix_SetAutoIris(int32_t handle, int32_t mode);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_BAYER_GAIN_AUTO.
 * @param handle camera handle
 * @param value any value: nonzero is stored as 1
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetBayerGainAuto(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_BAYER_GAIN_BLUE.
 * @param handle camera handle
 * @param value 0 to 400
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetBayerGainBlue(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_BAYER_GAIN_GREEN.
 * @param handle camera handle
 * @param value 0 to 400
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetBayerGainGreen(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_BAYER_GAIN_RGB.
 * @param handle camera handle
 * @param value red in bits 0-7, green in 8-15, blue in 16-23; any value
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetBayerGainRGB(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_BAYER_GAIN_RED.
 * @param handle camera handle
 * @param value 0 to 400
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetBayerGainRed(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_BAYER_MODE.
 * @param handle camera handle
 * @param value 0 to 3
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetBayerMode(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_BRIGHTNESS.
 * @param handle camera handle
 * @param value -255 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetBrightness(int32_t handle, int32_t value);
/**
 * @ingroup dialogs
 * @brief The stream format dialog: colour mode, size presets and custom sizes, wait time.
 *
 * Works on the registry entries of the device number in use; after OK the
 * capture window and stream values are read again. A running preview or
 * capture mode stops around the dialog and starts again after it; trigger
 * mode pauses, and after OK starts again with the new settings.
 * @param handle camera handle
 * @param parent the dialog's parent window, or NULL
 * @return 1 whatever closed the dialog (0 for an unknown handle)
 * @par Threads
 * Returns when the dialog closes. While it is open, the calls that change the
 * window or the acquisition of this camera wait.
 */
QUELIX_API int32_t Quelix_SetCameraDlg(int32_t handle, QUELIX_HWND parent);
/**
 * @ingroup parameters
 * @brief Selects a stored size preset by its width and height.
 *
 * Looks through the presets the stream format dialog stores for the device
 * number in use ("Size_00" to "Size_99" in the registry) and takes the first
 * whose width and height match, with its offsets. A preset whose window is
 * invalid gives way to the whole sensor. A running acquisition stops, takes
 * the window and starts again in the same mode.
 * @param handle camera handle
 * @param width the preset's width
 * @param height the preset's height
 * @return 1 when the camera took the window, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_WINDOW when no settings or no matching preset are stored,
 * QUELIX_ERR_WINDOW_INVALID for an invalid preset (the whole sensor is taken)
 * or a window the camera refuses.
 */
QUELIX_API int32_t Quelix_SetCaptureWindow(int32_t handle, int32_t width, int32_t height);
/**
 * @ingroup parameters
 * @brief Sets the capture window on the sensor.
 *
 * Stores all six values, then checks the window: at least
 * QUELIX_WINDOW_MIN_WIDTH x QUELIX_WINDOW_MIN_HEIGHT, on the sensor
 * (left + width <= 320, top + height <= 256, no negative value), and
 * subsample mode 0. The camera takes offsets and sizes in steps of two: odd
 * values are rounded down, and the frames and Quelix_GetCaptureWindowEx
 * follow. A running acquisition stops, takes the window and starts again in
 * the same mode.
 * @param handle camera handle
 * @param totalWidth stored and reported only
 * @param left left edge, 0 to 316
 * @param width width, 4 to 320 - left
 * @param totalHeight stored and reported only
 * @param top top edge, 0 to 252
 * @param height height, 4 to 256 - top
 * @return 1 when the camera took the window, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_WINDOW_INVALID for an invalid window (the values stay stored as
 * given, and the camera keeps its window). A failed restart records its cause.
 */
QUELIX_API int32_t Quelix_SetCaptureWindowEx(int32_t handle, int32_t totalWidth, int32_t left, int32_t width,
                                             int32_t totalHeight, int32_t top, int32_t height);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_SetChannelGain(int32_t handle, ...);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_SetChannelOffset(int32_t handle, ...);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_COLOR_GAIN_BLUE: written to the camera.
 * @param handle camera handle
 * @param value 0 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetColorGainBlue(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_COLOR_GAIN_GREEN1: written to the camera.
 * @param handle camera handle
 * @param value 0 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetColorGainGreen1(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_COLOR_GAIN_GREEN2: written to the camera.
 * @param handle camera handle
 * @param value 0 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetColorGainGreen2(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_COLOR_GAIN_RED: written to the camera.
 * @param handle camera handle
 * @param value 0 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetColorGainRed(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Sets the colour mode: the bits per pixel of the frames.
 *
 * Needs no device. A running acquisition stops and starts again in the same
 * mode with images for the new colour mode.
 * @param handle camera handle
 * @param bits a QUELIX_COLOR_ value: 8, 16, 24, 32, 48 or 64
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_ARGUMENT for other bits (also the reported 14, 46, 62).
 */
QUELIX_API int32_t Quelix_SetColorMode(int32_t handle, int32_t bits);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_SetConfigFilter(int32_t handle, ...);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_CONTRAST.
 * @param handle camera handle
 * @param value -127 to 127
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetContrast(int32_t handle, int32_t value);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_SetCrossbar(int32_t handle, ...);
/**
 * @ingroup devices
 * @brief Switches the camera object to another device number.
 *
 * Saves the camera, image filter and gray filter values under the device
 * number being left, then sets the new camera up and reads its gains and
 * exposure into the camera values. The stored settings of the new number are
 * not loaded.
 * @param handle camera handle
 * @param number device number, 0 to QUELIX_MAX_DEVICES - 1
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object or while an
 * acquisition runs, QUELIX_ERR_NO_DEVICE when the last look found no camera
 * at that number (Quelix_EnumDevice looks again) or it cannot be set up.
 */
QUELIX_API int32_t Quelix_SetDeviceNumber(int32_t handle, int32_t number);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_DOT_FILTER: defect-pixel repair on or off.
 * @param handle camera handle
 * @param value 0 or 1
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetDotFilter(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_EXPOSURE_TIME: the exposure in lines.
 * @param handle camera handle
 * @param value 1 to QUELIX_EXPOSURE_MAX_LINES
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetExposureTime(int32_t handle, int32_t value);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_SetExposureTimeEx(int32_t handle, ...);
/**
 * @ingroup parameters
 * @brief Sets a camera parameter by id.
 *
 * Ids that only the pipeline uses are stored and apply from the next frame;
 * colour gains, the global gain and the exposure are written to the camera
 * and stored. A value out of the id's range (see the QUELIX_FILTER_ ids)
 * leaves the setting as it was.
 * @param handle camera handle
 * @param id a QUELIX_FILTER_ id but QUELIX_FILTER_TEMPERATURE
 * @param value the id's value
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object (for every id),
 * QUELIX_ERR_ARGUMENT for a value out of range or an unknown id (also
 * QUELIX_FILTER_TEMPERATURE), QUELIX_ERR_REGISTER when the camera refuses a
 * write, QUELIX_ERR_NOT_SUPPORTED for QUELIX_FILTER_PELTIER.
 */
QUELIX_API int32_t Quelix_SetFilterValue(int32_t handle, int32_t id, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_GAMMA.
 * @param handle camera handle
 * @param value 0 to 200
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetGamma(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_GLOBAL_GAIN: written to the camera.
 *
 * Also stores the value as the four colour gains of the camera values.
 * @param handle camera handle
 * @param value 1
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetGlobalGain(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_GRAY_GAIN_B.
 * @param handle camera handle
 * @param value 0 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetGrayGainB(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_GRAY_GAIN_G1.
 * @param handle camera handle
 * @param value 0 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetGrayGainG1(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_GRAY_GAIN_G2.
 * @param handle camera handle
 * @param value 0 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetGrayGainG2(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_GRAY_GAIN_R.
 * @param handle camera handle
 * @param value 0 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetGrayGainR(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_GRAY_MODE.
 * @param handle camera handle
 * @param value QUELIX_GRAY_MODE_OFF, _BALANCE or _LUMINANCE (0 to 2)
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetGrayMode(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_GRAY_OFFSET_B.
 * @param handle camera handle
 * @param value -255 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetGrayOffsetB(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_GRAY_OFFSET_G1.
 * @param handle camera handle
 * @param value -255 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetGrayOffsetG1(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_GRAY_OFFSET_G2.
 * @param handle camera handle
 * @param value -255 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetGrayOffsetG2(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_GRAY_OFFSET_R.
 * @param handle camera handle
 * @param value -255 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetGrayOffsetR(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Stores the clock mode wanted at the next acquisition start.
 *
 * Needs no device; any value is stored (registry "Clock"). This camera's clock
 * mode is fixed, so it changes nothing there.
 * @param handle camera handle
 * @param value the clock mode
 * @return 1 (0 for an unknown handle)
 */
QUELIX_API int32_t Quelix_SetHalfClock(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_HUE.
 * @param handle camera handle
 * @param value -360 to 360
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetHue(int32_t handle, int32_t value);
/**
 * @ingroup devices
 * @brief Writes the camera's IO port (logic-device register 7).
 * @param handle camera handle
 * @param value the port's byte
 * @return 1 on success, 0 on failure (a failed write records no code)
 * @par Errors
 * Notifies QUELIX_ERR_NOT_INITIALIZED without a device object.
 */
QUELIX_API int32_t Quelix_SetIOPort(int32_t handle, uint8_t value);
/**
 * @ingroup dialogs
 * @brief The image filter dialog: brightness, contrast, hue, saturation, sharpness, gamma, gray filter.
 *
 * Edits the image filter values, which a running preview shows from the
 * next frame; in the gray modes (8 and 16 bits) it also offers the gray
 * filter page. Unless the dialog ends with OK, every value is put back.
 * @param handle camera handle
 * @param parent the dialog's parent window, or NULL
 * @return 1 whatever closed the dialog (0 for an unknown handle)
 * @par Threads
 * Returns when the dialog closes. The automatic gray balance on the capture
 * thread shows its gains in the open dialog.
 */
QUELIX_API int32_t Quelix_SetImageDlg(int32_t handle, QUELIX_HWND parent);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_SetInternalCorrection(int32_t handle, ...);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_MASK_FILTER: shading correction on or off.
 * @param handle camera handle
 * @param value 0 or 1
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetMaskFilter(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Mirrors the frames left to right (done by the pipeline).
 * @param handle camera handle
 * @param flag nonzero mirrors, 0 does not
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object.
 */
QUELIX_API int32_t Quelix_SetMirrorH(int32_t handle, int32_t flag);
/**
 * @ingroup parameters
 * @brief Mirrors the frames top to bottom (done by the pipeline).
 * @param handle camera handle
 * @param flag nonzero mirrors, 0 does not
 * @return 1 on success, 0 on failure
 * @par Errors
 * Notifies QUELIX_ERR_NOT_INITIALIZED without a device object.
 */
QUELIX_API int32_t Quelix_SetMirrorV(int32_t handle, int32_t flag);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_PELTIER: not supported.
 *
 * The cooler level is one of the camera values (registry "Peltier", 80 unless
 * stored), given to the camera when an acquisition starts.
 * @param handle camera handle
 * @param value ignored
 * @return 0
 * @par Errors
 * Records QUELIX_ERR_NOT_SUPPORTED.
 */
QUELIX_API int32_t Quelix_SetPeltier(int32_t handle, int32_t value);
/**
 * @ingroup acquisition
 * @brief Sets where the preview window is made.
 *
 * With a parent window the preview is a child window at (left, top) of
 * right x bottom pixels: the third and fourth values are its size. Without a
 * parent, a rectangle other than all zeros asks for a top-level window of the
 * capture window's size, centred on the screen; all zeros ask for no preview
 * window. A camera starts with (0, 0, width, height) and no parent. The
 * window is made when a preview or trigger mode starts and none exists
 * (Quelix_Close destroys it); without an X11 display it is headless.
 * @param handle camera handle
 * @param parent the parent window (QuelixPlatform_CreateWindow,
 *        QuelixPlatform_WrapX11Window), or NULL
 * @param left x of the child window in the parent
 * @param top y of the child window in the parent
 * @param right width of the child window
 * @param bottom height of the child window
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object.
 */
QUELIX_API int32_t Quelix_SetPreviewWindow(int32_t handle, QUELIX_HWND parent, int32_t left, int32_t top,
                                           int32_t right, int32_t bottom);
/**
 * @ingroup parameters
 * @brief Sets the exposure from a time.
 *
 * Converts to lines of the delivered window's width (see
 * Quelix_GetRealExposureTime), truncated; 0 lines become 1. At width 320,
 * 3890 us give 100 lines and 3889 us 99.
 * @param handle camera handle
 * @param microseconds 0 up to the time of QUELIX_EXPOSURE_MAX_LINES (1,274,636 us at width 320)
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_ARGUMENT for a negative time or more than
 * QUELIX_EXPOSURE_MAX_LINES lines, QUELIX_ERR_REGISTER when the camera refuses
 * the write.
 */
QUELIX_API int32_t Quelix_SetRealExposureTime(int32_t handle, int32_t microseconds);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_SetSamplingRate(int32_t handle, ...);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_SATURATION.
 * @param handle camera handle
 * @param value -255 to 255
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetSaturation(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Quelix_SetFilterValue with QUELIX_FILTER_SHARPNESS.
 * @param handle camera handle
 * @param value 0 to 30
 * @return 1 on success, 0 on failure
 */
QUELIX_API int32_t Quelix_SetSharpness(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Stores the subsample mode.
 *
 * Needs no device. The camera streams only without subsampling: with 1 or 2
 * the next window check (Quelix_SetCaptureWindowEx, an acquisition start)
 * fails with QUELIX_ERR_WINDOW_INVALID.
 * @param handle camera handle
 * @param value 0 to 2
 * @return 1 on success, 0 for another value (no code recorded)
 */
QUELIX_API int32_t Quelix_SetSubSample(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief Sets the preview loop's pause before each frame.
 *
 * Needs no device. 0 takes frames as fast as the camera makes them; a stop
 * ends a pause at once.
 * @param handle camera handle
 * @param milliseconds 0 or more
 * @return 1 on success, 0 for a negative value (no code recorded)
 */
QUELIX_API int32_t Quelix_SetWaitTime(int32_t handle, int32_t milliseconds);
/**
 * @ingroup acquisition
 * @brief Takes one frame now, on the calling thread.
 *
 * Prepares the camera (unless in capture mode), reads one frame, runs it
 * through the pipeline, makes it the latest frame and copies it into the
 * buffer. Returns when the frame is there or the camera's time-out of 10 s
 * has passed.
 * @param handle camera handle
 * @param[out] buffer memory for the frame, or NULL to copy none
 * @param size bytes of `buffer`: at least QUELIX_STRIDE(width, bits) x height; 0 copies none
 * @param rowOption QUELIX_ROWS_TOP_DOWN (nonzero) or QUELIX_ROWS_BOTTOM_UP (0)
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object or while a
 * preview or trigger mode runs (after the cause when preparing fails),
 * QUELIX_ERR_READ_FRAME when no frame can be read, QUELIX_ERR_OBJECTS for a
 * buffer too small (the frame is still the latest frame).
 */
QUELIX_API int32_t Quelix_SnapShot(int32_t handle, uint8_t* buffer, int32_t size, int32_t rowOption);
/**
 * @ingroup acquisition
 * @brief Starts the preview threads, delivering frames to the present frame window and buffer.
 *
 * The window and buffer are those the last Quelix_CallBackPreview or
 * Quelix_Trigger set; no preview window is made.
 * @param handle camera handle
 * @return 1 when the preview runs (also when it ran already), 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object or in capture
 * or trigger mode; when preparing fails, its cause (QUELIX_ERR_NO_DEVICE,
 * QUELIX_ERR_WINDOW_INVALID, QUELIX_ERR_OBJECTS) and then
 * QUELIX_ERR_NOT_INITIALIZED; QUELIX_ERR_THREAD or QUELIX_ERR_REGISTER when
 * the capture or transfer thread cannot start.
 */
QUELIX_API int32_t Quelix_StartPreview(int32_t handle);
/**
 * @ingroup acquisition
 * @brief Stops the preview, capture mode, trigger mode and recording.
 *
 * Returns when the camera's capture thread has ended and a recording's file
 * is finished; the preview window stays (Quelix_Close destroys it).
 * @param handle camera handle
 * @return 1, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object.
 */
QUELIX_API int32_t Quelix_StopPreview(int32_t handle);
/**
 * @ingroup acquisition
 * @brief Starts trigger mode: one frame per pulse on the camera's trigger input.
 *
 * Makes the preview window when Quelix_SetPreviewWindow asks for one and none
 * exists, then waits for pulses on the capture thread. Each frame is copied
 * into `buffer` and announced to `frameWindow` as in Quelix_CallBackPreview
 * (fps10 0). A frame that cannot be read is told as QUELIX_WM_FRAME (wParam 0,
 * lParam QUELIX_ERR_READ_FRAME) and the mode waits for the next pulse. A
 * camera that goes away is told once (wParam 0, lParam QUELIX_ERR_WAIT_FRAME);
 * the mode waits for it and, when it is back, gives it its window, settings
 * and trigger mode again.
 *
 * Called again while the mode runs, it replaces window, buffer, size and row
 * order as Quelix_CallBackPreview does.
 * @param handle camera handle
 * @param frameWindow window for QUELIX_WM_FRAME, or NULL for none
 * @param buffer memory for every frame, or NULL to copy none
 * @param size bytes of `buffer`: at least QUELIX_STRIDE(width, bits) x height; 0 copies none
 * @param rowOption QUELIX_ROWS_TOP_DOWN (nonzero) or QUELIX_ROWS_BOTTOM_UP (0)
 * @return 1 when trigger mode runs, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object or while a
 * preview or capture mode runs, QUELIX_ERR_WINDOW when the preview window
 * cannot be made; when preparing fails, its cause and then
 * QUELIX_ERR_NOT_INITIALIZED; QUELIX_ERR_THREAD when the capture thread cannot
 * start. A failed start closes the preview window.
 * @par Threads
 * The buffer is written by the capture thread, as in Quelix_CallBackPreview.
 */
QUELIX_API int32_t Quelix_Trigger(int32_t handle, QUELIX_HWND frameWindow, uint8_t* buffer, int32_t size,
                                  int32_t rowOption);
/**
 * @ingroup masks
 * @brief Takes the current raw frame as the dark or the bright reference.
 *
 * The last frame the camera delivered (preview, trigger mode or snapshot),
 * uncorrected, becomes the reference of its sample width (8 bits in the
 * modes 8, 24 and 32, else 16 bits) at the capture window's place on the
 * sensor, and that reference's mask is derived again.
 * @param handle camera handle
 * @param value QUELIX_MASK_DARK or QUELIX_MASK_BRIGHT
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object or without a
 * frame of the current window, QUELIX_ERR_FILE for another value.
 */
QUELIX_API int32_t Quelix_UpdateMaskData(int32_t handle, int32_t value);
/**
 * @ingroup parameters
 * @brief The capture width as last set (the width of Quelix_GetCaptureWindowEx).
 *
 * Frames have the width the camera delivers: QUELIX_FRAME_INFO tells it.
 * @param handle camera handle
 * @return pixels (0 for an unknown handle)
 */
QUELIX_API int32_t Quelix_Width(int32_t handle);
/**
 * @ingroup devices
 * @brief Writes a 16-bit sensor register.
 * @param handle camera handle
 * @param address register address, 0 to 255
 * @param value the value
 * @return 1 on success, 0 on failure
 * @par Errors
 * Records QUELIX_ERR_NOT_INITIALIZED without a device object,
 * QUELIX_ERR_REGISTER when the write fails.
 */
QUELIX_API int32_t Quelix_WriteRegister(int32_t handle, uint8_t address, uint16_t value);
/**
 * @ingroup unsupported
 * @copydoc Quelix_Fps
 */
QUELIX_API int32_t Quelix_WriteRegisterEx(int32_t handle, ...);
/**
 * @ingroup devices
 * @brief Writes a byte of the camera's ID memory.
 * @param handle camera handle
 * @param address ID memory address
 * @param value the byte
 * @return 1 on success, 0 on failure
 * @par Errors
 * Notifies QUELIX_ERR_NOT_INITIALIZED without a device object or when the
 * write fails.
 */
QUELIX_API int32_t Quelix_WriteSromID(int32_t handle, uint8_t address, uint8_t value);

#ifdef __cplusplus
}
#endif

#endif /* QUELIXSDK_205KWMX_H */
