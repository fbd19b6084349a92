// SPDX-License-Identifier: MIT
// The pixel kernels of the acquisition side, run through CDibImage::Convert
// (the kernel contract is in output/dib_image.h): rectangle means for
// exposure control, in-place re-layout of raw rows, gray balance, luminance,
// and the filters gamma, contrast, sharpness, brightness and hue/saturation,
// each in one variant per pixel format:
//   8   8-bit mono              16  16-bit mono, 14 significant bits
//   24  24- or 32-bit B, G, R bytes (a fourth byte is skipped and kept)
//   48  48- or 64-bit B, G, R 16-bit samples (a fourth sample is kept)
// Except for the means, which measure a window, and Sharpen, which reads an
// untouched copy, they run in place over whole images. Every kernel returns 1
// (the means return the mean).
#pragma once

#include <type_traits>

#include "image/dib_image.h"
#include "pipeline/kernel_params.h"

namespace quelix {

using ConvertKernelFunction = std::remove_pointer_t<ConvertKernel>;

// Mean of the 8-bit values (Mean16: of bits 2 to 9 of each sample) of the
// rectangle placed at the destination position, read from the destination;
// 0 for an empty rectangle.
ConvertKernelFunction Mean8;
ConvertKernelFunction Mean16;

// In place: the rectangle's rows arrive packed from the start of the buffer
// (row i at i x width x bytes per pixel) and move to their destination rows
// of `dstStride` bytes, last row first, so no unread byte is overwritten.
ConvertKernelFunction Restride8;
ConvertKernelFunction Restride16;

// 8-bit, GrayParams. Measure reads the image and writes new gains R, G1, G2,
// B into the block (G1 becomes 128, the others the ratio of the G1 mean to
// their mean; a phase with no value in 1 ... 254 keeps its gain, and without
// G1 values every gain is kept). Apply maps each value to offset + gain x
// value / 128 of its phase, limited to 0 ... 255.
ConvertKernelFunction GrayBalanceMeasure;
ConvertKernelFunction GrayBalanceApply;

// 24 or 32 -> 8: (30 R + 59 G + 11 B) / 100.
ConvertKernelFunction BgrToGray;

// LevelParams: gamma 0 ... 200 (100 neutral), a power curve.
ConvertKernelFunction Gamma8;
ConvertKernelFunction Gamma16;
ConvertKernelFunction Gamma24;
ConvertKernelFunction Gamma48;

// LevelParams: contrast -127 ... 127, a ramp steepened (or flattened)
// around mid-gray.
ConvertKernelFunction Contrast8;
ConvertKernelFunction Contrast16;
ConvertKernelFunction Contrast24;
ConvertKernelFunction Contrast48;

// LevelParams: sharpness 0 ... 30, an unsharp mask against a 4 x 4 box;
// source and destination are separate images of one size. The two outer
// rows and columns are not written.
ConvertKernelFunction Sharpen8;
ConvertKernelFunction Sharpen16;
ConvertKernelFunction Sharpen24;
ConvertKernelFunction Sharpen48;

// LevelParams: brightness -255 ... 255, every sample multiplied by a factor
// from 0 to 11.
ConvertKernelFunction Brightness8;
ConvertKernelFunction Brightness16;
ConvertKernelFunction Brightness24;
ConvertKernelFunction Brightness48;

// HueSatParams: hue rotation on a circle of 1530 steps and saturation
// scaling; HueSat48 works on the top 8 significant bits of each sample.
ConvertKernelFunction HueSat24;
ConvertKernelFunction HueSat48;

}  // namespace quelix
