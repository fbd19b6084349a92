// SPDX-License-Identifier: MIT
// Device contexts: what blits read from and write to. A memory device
// context holds a bitmap (a surface of any depth the system uses, with its
// colour table); a window's device context is its client area, and drawing
// into it shows the result on the screen. Handles are validated on every use,
// so a released context is refused, never dereferenced.
#pragma once

#include <cstdint>

#include "platform/windowing/bitmap_info.h"
#include "platform/windowing/window_table.h"

namespace quelix::platform {

using Hdc = struct HDC__*;

// A memory device context holding a new zero-filled bitmap as the header
// describes it (a positive height: bottom-up rows), with the colour table
// `colors` (256 entries, may be null) for 8 bits. *bits receives the first
// byte of the pixel memory. Null for a size or depth the system does not use
// or when memory runs out.
Hdc CreateBitmapDC(const BitmapInfoHeader& header, const RgbQuad* colors, uint8_t** bits);
bool DeleteDC(Hdc dc);

// The device context of a display window's client area; null for other
// windows.
Hdc GetDC(Hwnd window);
bool ReleaseDC(Hwnd window, Hdc dc);

// Sets or reads entries start ... start + count - 1 of an 8-bit bitmap's
// colour table (clipped to the table); the number of entries handled, 0 for
// other contexts or a null array.
int SetDIBColorTable(Hdc dc, int start, int count, const RgbQuad* colors);
int GetDIBColorTable(Hdc dc, int start, int count, RgbQuad* colors);

// Copies a w x h block from (sx, sy) of src to (x, y) of dst (coordinates
// from the top of the picture; see BlitSurface for clipping and formats).
// src must be a memory context.
bool BitBlt(Hdc dst, int32_t x, int32_t y, int32_t w, int32_t h, Hdc src, int32_t sx, int32_t sy);
// Like BitBlt for a source block of sw x sh: this platform does not scale,
// so sw must equal w and sh must be h or -h; a negative sh takes the block
// upward from sy, turning the picture upside down.
bool StretchBlt(Hdc dst, int32_t x, int32_t y, int32_t w, int32_t h, Hdc src, int32_t sx, int32_t sy,
                int32_t sw, int32_t sh);

}  // namespace quelix::platform
