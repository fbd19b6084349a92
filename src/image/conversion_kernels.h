// SPDX-License-Identifier: MIT
// The conversion kernels that display, image files and recording run through
// CDibImage::Convert and StretchConvert. 14-bit samples narrow to 8 bits by
// shifting right by 6 (keeping the low 8 bits of the result) and widen to 16
// bits by shifting left by 2. Kernels ending in Flip read the source rows
// bottom-up, so that a top-first buffer becomes bottom-first or the other
// way round. Pixel steps come from the bytes-per-pixel arguments: a kernel
// for 3-byte pixels also serves 4-byte ones by skipping the fourth byte.
#pragma once

#include "image/dib_image.h"

namespace quelix {

// 16 -> 8: v >> 6.
int32_t Gray16To8Shr6(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void* opaque1, const void* opaque2);
int32_t Gray16To8Shr6Flip(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                          int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                          int32_t srcStride, const void* opaque1, const void* opaque2);
// 16 -> 16: v << 2.
int32_t Gray16Shl2(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                   int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                   const void* opaque1, const void* opaque2);
// 24 or 32 -> 24 or 32: the first three bytes (a fourth destination byte is
// left as it is).
int32_t Bgr24Copy(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void* opaque1, const void* opaque2);
int32_t Bgr24CopyFlip(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void* opaque1, const void* opaque2);
// 24 or 32 -> same: bytes 0 and 2 exchanged (a fourth destination byte is
// left as it is).
int32_t Bgr24Swap(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void* opaque1, const void* opaque2);
// 32 -> 32: bytes 0-2 copied, byte 3 inverted.
int32_t Bgra32InvertX(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void* opaque1, const void* opaque2);
// 48 or 64 -> 24: each of three samples v >> 6.
int32_t Bgr48To24Shr6(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void* opaque1, const void* opaque2);
// 48 or 64 -> 24, rows flipped: each of three samples min(v >> 4, 255), which
// gives back the 8-bit colour values of processed colour frames (8-bit
// values times 16) and saturates larger samples instead of wrapping them.
int32_t Bgr48To24Flip(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void* opaque1, const void* opaque2);
// 48 -> 48: each of three samples v << 2.
int32_t Bgr48Shl2(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                  int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                  const void* opaque1, const void* opaque2);
// 48 -> 48: samples 0 and 2 exchanged, each v << 2.
int32_t Bgr48Shl2Swap(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride, const void* opaque1, const void* opaque2);
// 64 -> 64: samples 0-2 each v << 2, sample 3 = 0xFFFF.
int32_t Bgra64Shl2(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                   int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                   const void* opaque1, const void* opaque2);
// 64 -> 64: samples 0 and 2 exchanged, each v << 2, sample 3 = 0xFFFF.
int32_t Bgra64Shl2Swap(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                       int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                       int32_t srcStride, const void* opaque1, const void* opaque2);
// Any -> same depth, rows flipped: each row of the rectangle copied whole
// (min(dstStride, srcStride) bytes from the start of the row).
int32_t RowCopyFlip(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,
                    int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                    const void* opaque1, const void* opaque2);

// Nearest-neighbour scaling, rows flipped: destination row i of the
// destination rectangle takes source row (bottom - 1 - sy) of the source
// rectangle and column j its column sx, with sy = trunc(i x fy) and
// sx = trunc(j x fx), fy and fx the single-precision ratios of the heights
// and widths, each kept inside the source rectangle. Scale8Nearest copies 1
// byte per pixel, Scale24Nearest 3.
int32_t Scale8Nearest(uint8_t* dst, const uint8_t* src, const Rect& dstRect, const Rect& srcRect,
                      int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                      int32_t srcStride);
int32_t Scale24Nearest(uint8_t* dst, const uint8_t* src, const Rect& dstRect, const Rect& srcRect,
                       int32_t dstBytesPerPixel, int32_t srcBytesPerPixel, int32_t dstStride,
                       int32_t srcStride);

}  // namespace quelix
