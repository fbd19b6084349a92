// SPDX-License-Identifier: MIT
// Straightforward versions of the pixel kernels and of every stage of the
// correction pipeline, written from their rules pixel by pixel with the
// tables built on each call, to check the library's fast versions against.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "camera/camera_object.h"
#include "image/dib_image.h"
#include "pipeline/false_color_palette.h"
#include "pipeline/kernel_params.h"

namespace quelix::reference {

// Sample k (of 8 or 16 bits) of a pixel.
inline int32_t Get(const uint8_t* pixel, int bytes, int k)
{
    if (bytes == 1)
        return pixel[k];
    return pixel[2 * k] | (pixel[2 * k + 1] << 8);
}

inline void Put(uint8_t* pixel, int bytes, int k, int32_t value)
{
    if (bytes == 1) {
        pixel[k] = static_cast<uint8_t>(value);
    } else {
        pixel[2 * k] = static_cast<uint8_t>(value & 0xFF);
        pixel[2 * k + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
}

struct Args {
    uint8_t* dst;
    const uint8_t* src;
    Rect rect;
    int32_t x, y, dstBytes, srcBytes, dstStride, srcStride;
    int32_t Rows() const { return rect.bottom - rect.top; }
    int32_t Columns() const { return rect.right - rect.left; }
    uint8_t* To(int32_t i, int32_t j) const
    {
        return dst + static_cast<ptrdiff_t>(y + i) * dstStride + static_cast<ptrdiff_t>(x + j) * dstBytes;
    }
    const uint8_t* From(int32_t i, int32_t j) const
    {
        return src + static_cast<ptrdiff_t>(rect.top + i) * srcStride +
               static_cast<ptrdiff_t>(rect.left + j) * srcBytes;
    }
};

#define QUELIX_REFERENCE_KERNEL(name)                                                                 \
    inline int32_t name##Body(const Args& a, const void* opaque1);                                    \
    inline int32_t name(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t x, int32_t y,     \
                        int32_t dstBytes, int32_t srcBytes, int32_t dstStride, int32_t srcStride,     \
                        const void* opaque1, const void*)                                             \
    {                                                                                                 \
        return name##Body({dst, src, rect, x, y, dstBytes, srcBytes, dstStride, srcStride}, opaque1); \
    }                                                                                                 \
    inline int32_t name##Body(const Args& a, [[maybe_unused]] const void* opaque1)

inline int32_t Mean(const Args& a, bool wide)
{
    uint64_t sum = 0;
    uint64_t count = 0;
    for (int32_t i = 0; i < a.Rows(); ++i) {
        for (int32_t j = 0; j < a.Columns(); ++j) {
            const uint8_t* p = a.To(i, j);
            sum += wide ? ((Get(p, 2, 0) >> 2) & 0xFF) : p[0];
            ++count;
        }
    }
    return count == 0 ? 0 : static_cast<int32_t>(sum / count);
}

QUELIX_REFERENCE_KERNEL(Mean8)
{
    return Mean(a, false);
}
QUELIX_REFERENCE_KERNEL(Mean16)
{
    return Mean(a, true);
}

// Byte by byte from the last byte of the last row.
QUELIX_REFERENCE_KERNEL(Restride8)
{
    const int32_t rowBytes = a.Columns() * a.dstBytes;
    for (int32_t i = a.Rows() - 1; i >= 0; --i) {
        for (int32_t b = rowBytes - 1; b >= 0; --b)
            a.dst[(a.y + i) * a.dstStride + a.x * a.dstBytes + b] = a.src[i * rowBytes + b];
    }
    return 1;
}

QUELIX_REFERENCE_KERNEL(Restride16)
{
    return Restride8Body(a, opaque1);
}

// Walks the phases as described: the first pixel's from bayerMode, the row
// phase flipping at each row, the column phase after every pixel.
template <class PixelFn>
void WalkPhases(const Args& a, int32_t bayerMode, PixelFn pixel)
{
    static constexpr int kStartRow[] = {0, 1, 0, 1};
    static constexpr int kStartColumn[] = {0, 0, 1, 1};
    int rowPhase = kStartRow[bayerMode & 3];
    int columnPhase = kStartColumn[bayerMode & 3];
    for (int32_t i = 0; i < a.Rows(); ++i) {
        for (int32_t j = 0; j < a.Columns(); ++j) {
            // (0,0) G1, (0,1) R, (1,0) B, (1,1) G2
            pixel(i, j, rowPhase * 2 + columnPhase);
            columnPhase ^= 1;
        }
        rowPhase ^= 1;
    }
}

QUELIX_REFERENCE_KERNEL(GrayBalanceMeasure)
{
    auto& p = *const_cast<GrayParams*>(static_cast<const GrayParams*>(opaque1));
    double sums[4] = {};
    double counts[4] = {};
    WalkPhases(a, p.bayerMode, [&](int32_t i, int32_t j, int phase) {
        const int v = *a.From(i, j);
        if (v >= 1 && v <= 254) {
            sums[phase] += v;
            counts[phase] += 1;
        }
    });
    if (counts[0] == 0)
        return 1;
    const auto mean = [&](int phase) {
        return static_cast<float>(static_cast<uint64_t>(sums[phase])) /
               static_cast<float>(static_cast<uint64_t>(counts[phase]));
    };
    const float g1 = mean(0);
    p.grayGainG1 = 128;
    if (counts[1] != 0)
        p.grayGainR = static_cast<int32_t>(g1 / mean(1) * 128.0f);
    if (counts[3] != 0)
        p.grayGainG2 = static_cast<int32_t>(g1 / mean(3) * 128.0f);
    if (counts[2] != 0)
        p.grayGainB = static_cast<int32_t>(g1 / mean(2) * 128.0f);
    return 1;
}

QUELIX_REFERENCE_KERNEL(GrayBalanceApply)
{
    const auto& p = *static_cast<const GrayParams*>(opaque1);
    const int32_t gains[4] = {p.grayGainG1, p.grayGainR, p.grayGainB, p.grayGainG2};
    const int32_t offsets[4] = {p.grayOffsetG1, p.grayOffsetR, p.grayOffsetB, p.grayOffsetG2};
    WalkPhases(a, p.bayerMode, [&](int32_t i, int32_t j, int phase) {
        const int64_t v = offsets[phase] + int64_t{gains[phase]} * *a.From(i, j) / 128;
        *a.To(i, j) = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    });
    return 1;
}

QUELIX_REFERENCE_KERNEL(BgrToGray)
{
    for (int32_t i = 0; i < a.Rows(); ++i) {
        for (int32_t j = 0; j < a.Columns(); ++j) {
            const uint8_t* s = a.From(i, j);
            *a.To(i, j) = static_cast<uint8_t>((30 * s[2] + 59 * s[1] + 11 * s[0]) / 100);
        }
    }
    return 1;
}

inline int32_t Bits(const void* opaque1)
{
    return std::clamp(static_cast<const LevelParams*>(opaque1)->significantBits, 8, 16);
}

inline int32_t SettingOf(const void* opaque1)
{
    return static_cast<const LevelParams*>(opaque1)->setting;
}

// Each of `channels` samples of every pixel through fn(sample).
template <class Fn>
int32_t EachSample(const Args& a, int bytes, int channels, Fn fn)
{
    for (int32_t i = 0; i < a.Rows(); ++i) {
        for (int32_t j = 0; j < a.Columns(); ++j) {
            for (int c = 0; c < channels; ++c)
                Put(a.To(i, j), bytes, c, fn(Get(a.From(i, j), bytes, c)));
        }
    }
    return 1;
}

inline double GammaExponent(int32_t g)
{
    return g > 100 ? (g - 100) / 10.0 + 1 : g / 100.0;
}

inline int32_t Gamma(const Args& a, const void* opaque1, int bytes, int channels)
{
    const double g = GammaExponent(SettingOf(opaque1));
    if (bytes == 1) {
        std::vector<int32_t> t(256);
        for (int i = 0; i < 256; ++i)
            t[i] = static_cast<int32_t>(std::pow(i / 255.0, g) * 255);
        return EachSample(a, 1, channels, [&](int32_t v) { return t[v]; });
    }
    const int32_t n = 1 << Bits(opaque1);
    std::vector<int32_t> t(n);
    for (int32_t i = 0; i < n; ++i)
        t[i] = static_cast<int32_t>(std::pow(static_cast<double>(i) / n, g) * (n - 1));
    return EachSample(a, 2, channels, [&](int32_t v) { return v >= n ? t[n - 1] : t[v]; });
}

QUELIX_REFERENCE_KERNEL(Gamma8)
{
    return Gamma(a, opaque1, 1, 1);
}
QUELIX_REFERENCE_KERNEL(Gamma24)
{
    return Gamma(a, opaque1, 1, 3);
}
QUELIX_REFERENCE_KERNEL(Gamma16)
{
    return Gamma(a, opaque1, 2, 1);
}
QUELIX_REFERENCE_KERNEL(Gamma48)
{
    return Gamma(a, opaque1, 2, 3);
}

inline int32_t Contrast(const Args& a, const void* opaque1, int bytes, int channels)
{
    const int32_t c = SettingOf(opaque1);
    if (bytes == 1) {
        std::vector<int32_t> t(256, 0);
        if (c < 128) {
            for (int32_t i = 0; i < 256; ++i)
                t[i] = i < c ? 0 : i > 255 - c ? 255 : static_cast<int32_t>(256.0 / (256 - 2 * c) * (i - c));
        }
        return EachSample(a, 1, channels, [&](int32_t v) { return t[v]; });
    }
    const int32_t b = Bits(opaque1);
    const int32_t n = 1 << b;
    const int32_t k = c * (1 << (b - 8));
    std::vector<int32_t> t(n, 0);
    if (k <= (1 << (b - 1)) - 1) {
        for (int32_t i = 0; i < n; ++i)
            t[i] = i < k           ? 0
                   : i > n - k - 1 ? n - 1
                                   : static_cast<int32_t>(n / static_cast<double>(n - 2 * k) * (i - k));
    }
    return EachSample(a, 2, channels, [&](int32_t v) { return v >= n ? n - 1 : t[v]; });
}

QUELIX_REFERENCE_KERNEL(Contrast8)
{
    return Contrast(a, opaque1, 1, 1);
}
QUELIX_REFERENCE_KERNEL(Contrast24)
{
    return Contrast(a, opaque1, 1, 3);
}
QUELIX_REFERENCE_KERNEL(Contrast16)
{
    return Contrast(a, opaque1, 2, 1);
}
QUELIX_REFERENCE_KERNEL(Contrast48)
{
    return Contrast(a, opaque1, 2, 3);
}

inline int32_t Brightness(const Args& a, const void* opaque1, int bytes, int channels)
{
    const int32_t b = SettingOf(opaque1);
    const double factor = b < 0 ? 1 - std::abs(b) * (1.0 / 255) : b == 0 ? 1.0 : 1 + b * (10.0 / 255);
    const auto f = static_cast<float>(factor);
    const int32_t full = bytes == 1 ? 255 : (1 << Bits(opaque1)) - 1;
    return EachSample(a, bytes, channels, [&](int32_t v) {
        const auto t = static_cast<int32_t>(static_cast<float>(v) * f);
        return std::clamp(t, 0, full);
    });
}

QUELIX_REFERENCE_KERNEL(Brightness8)
{
    return Brightness(a, opaque1, 1, 1);
}
QUELIX_REFERENCE_KERNEL(Brightness24)
{
    return Brightness(a, opaque1, 1, 3);
}
QUELIX_REFERENCE_KERNEL(Brightness16)
{
    return Brightness(a, opaque1, 2, 1);
}
QUELIX_REFERENCE_KERNEL(Brightness48)
{
    return Brightness(a, opaque1, 2, 3);
}

// Blur pass into the destination, then the combine pass reading it back.
inline int32_t Sharpen(const Args& a, const void* opaque1, int bytes, int channels)
{
    const int32_t s = SettingOf(opaque1);
    const int32_t m = bytes == 1 ? 255 : (1 << Bits(opaque1)) - 1;
    std::vector<int32_t> d(2 * static_cast<size_t>(m) + 2);
    for (size_t k = 0; k < d.size(); ++k)
        d[k] = s * (static_cast<int32_t>(k) - m) / 10;
    const int32_t h = a.Rows();
    const int32_t w = a.Columns();
    for (int c = 0; c < channels; ++c) {
        for (int32_t r = 2; r <= h - 3; ++r) {
            for (int32_t col = 2; col <= w - 3; ++col) {
                int32_t sum = 0;
                for (int32_t rr = r - 2; rr <= r + 1; ++rr)
                    for (int32_t cc = col - 2; cc <= col + 1; ++cc)
                        sum += Get(a.From(rr, cc), bytes, c);
                Put(a.To(r, col), bytes, c, sum >> 4);
            }
        }
        for (int32_t r = 2; r <= h - 3; ++r) {
            for (int32_t col = 2; col <= w - 3; ++col) {
                const int32_t o = Get(a.From(r, col), bytes, c);
                const int32_t b = Get(a.To(r, col), bytes, c);
                int32_t t = o + d[m + o - b];
                if (bytes == 1)
                    t = t < 0 ? 0 : t > 254 ? 255 : t;
                else
                    t = std::clamp(t, 0, m);
                Put(a.To(r, col), bytes, c, t);
            }
        }
    }
    return 1;
}

QUELIX_REFERENCE_KERNEL(Sharpen8)
{
    return Sharpen(a, opaque1, 1, 1);
}
QUELIX_REFERENCE_KERNEL(Sharpen24)
{
    return Sharpen(a, opaque1, 1, 3);
}
QUELIX_REFERENCE_KERNEL(Sharpen16)
{
    return Sharpen(a, opaque1, 2, 1);
}
QUELIX_REFERENCE_KERNEL(Sharpen48)
{
    return Sharpen(a, opaque1, 2, 3);
}

// The hue/saturation tables of the rules: gray triplets, reciprocals, the
// lightness curve with its chroma limits, and the chroma scaling.
struct HueTables {
    int32_t triplet[255];
    int32_t reciprocal[255];
    int32_t lightness[512];
    int32_t limit[512];
    int32_t scale[256];
    int32_t q, r;
};

inline HueTables MakeHueTables(const HueSatParams& p)
{
    HueTables t{};
    for (int k = 0; k < 255; ++k) {
        t.triplet[k] = (k + 1) * 0x010101;
        t.reciprocal[k] = 0xFF0000 / (k + 1);
    }
    for (int i = 0; i < 512; ++i) {
        t.lightness[i] = i;
        t.limit[i] = i < 256 ? i : 511 - i;
    }
    const int32_t f = (p.saturation + 256) * 256;
    for (int c = 0; c < 256; ++c)
        t.scale[c] = (c * f + 0x8000) >> 16;
    int32_t u = p.hue * 65536 / 360;
    u = ((u % 65536) + 65536) % 65536;
    const int32_t tt = (u * 6) >> 8;
    int32_t shift = tt - 2 * ((tt + 256) >> 9);
    if (shift < 0)
        shift += 1530;
    if (shift >= 1530)
        shift -= 1530;
    t.q = shift / 255;
    t.r = shift % 255;
    return t;
}

// (R, G, B) -> 0x00RRGGBB.
inline int32_t HueSatPixel(int32_t R, int32_t G, int32_t B, const HueTables& t)
{
    int32_t max = R, n = G - B, base = 1;
    if (R < G) {
        max = G;
        n = B - R;
        base = 3;
    }
    if (B > max) {
        max = B;
        n = R - G;
        base = 5;
    }
    const int32_t min = std::min({R, G, B});
    const int32_t C = max - min;
    const int32_t L = max + min;
    if (n < 0) {
        base -= 1;
        n += C;
    }
    const int32_t c2 = std::min(t.scale[C], t.limit[t.lightness[L]]);
    const int32_t low = (L - c2) >> 1;
    const int32_t span = ((L + c2) >> 1) - low;
    if (C == 0)
        return low == 0 ? 0 : t.triplet[low - 1];
    int32_t p = (n * t.reciprocal[C - 1] + 0x8000) >> 16;
    p += t.r;
    int32_t sector = base + t.q;
    if (p >= 255) {
        p -= 255;
        sector += 1;
    }
    static constexpr int32_t kMask[6] = {0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF};
    static constexpr int32_t kStep[6] = {-1, 0x100, -0x10000, 1, -0x100, 0x10000};
    sector %= 6;
    return low * 0x010101 + ((span * 0x010101) & kMask[sector]) + ((span * p + 128) >> 8) * kStep[sector];
}

QUELIX_REFERENCE_KERNEL(HueSat24)
{
    const HueTables t = MakeHueTables(*static_cast<const HueSatParams*>(opaque1));
    for (int32_t i = 0; i < a.Rows(); ++i) {
        for (int32_t j = 0; j < a.Columns(); ++j) {
            const uint8_t* s = a.From(i, j);
            const int32_t v = HueSatPixel(s[2], s[1], s[0], t);
            uint8_t* d = a.To(i, j);
            d[0] = static_cast<uint8_t>(v & 0xFF);
            d[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
            d[2] = static_cast<uint8_t>((v >> 16) & 0xFF);
        }
    }
    return 1;
}

QUELIX_REFERENCE_KERNEL(HueSat48)
{
    const auto& p = *static_cast<const HueSatParams*>(opaque1);
    const HueTables t = MakeHueTables(p);
    const int32_t shift = std::clamp(p.significantBits, 8, 16) - 8;
    for (int32_t i = 0; i < a.Rows(); ++i) {
        for (int32_t j = 0; j < a.Columns(); ++j) {
            const uint8_t* s = a.From(i, j);
            const int32_t v = HueSatPixel((Get(s, 2, 2) >> shift) & 0xFF, (Get(s, 2, 1) >> shift) & 0xFF,
                                          (Get(s, 2, 0) >> shift) & 0xFF, t);
            uint8_t* d = a.To(i, j);
            for (int c = 0; c < 3; ++c)
                Put(d, 2, c, ((v >> (8 * c)) & 0xFF) << shift);
        }
    }
    return 1;
}

#undef QUELIX_REFERENCE_KERNEL

// ---- stages of the correction pipeline ----

inline uint8_t* At(CDibImage& image, int32_t i, int32_t j)
{
    return image.pBits + static_cast<ptrdiff_t>(i) * image.stride +
           static_cast<ptrdiff_t>(j) * (image.bitCount / 8);
}

inline void ShadingCorrection(CDibImage& w, const CDibImage& dark, const CDibImage& bright, int32_t offsetX,
                              int32_t offsetY)
{
    const bool wide = w.bitCount == 16;
    const int bytes = wide ? 2 : 1;
    for (int32_t i = 0; i < w.height; ++i) {
        for (int32_t j = 0; j < w.width; ++j) {
            const uint8_t* dp = dark.pBits + (offsetY + i) * dark.stride + (offsetX + j) * bytes;
            const uint8_t* bp = bright.pBits + (offsetY + i) * bright.stride + (offsetX + j) * bytes;
            const int32_t d = Get(dp, bytes, 0);
            const int32_t b = Get(bp, bytes, 0);
            uint8_t* xp = At(w, i, j);
            const int32_t x = Get(xp, bytes, 0);
            if (!wide && b != d) {
                const int32_t v = ((x - d) * 256) / (b - d);
                Put(xp, 1, 0, v > 255 ? 255 : v < 0 ? 0 : v);
            } else if (wide && b > d) {
                const int32_t v = ((x - d) * 16384) / (b - d);
                Put(xp, 2, 0, v > 16383 ? 16383 : v < 0 ? 0 : v);
            }
        }
    }
}

// Maps read at the sensor position of each pixel (the window offset added).
inline void DefectFilter(CDibImage& image, const CDibImage& hot, const CDibImage& dead, CDibImage& marks,
                         int32_t offsetX, int32_t offsetY, int32_t threshold)
{
    const int bytes = image.bitCount / 8;
    const int32_t h = image.height;
    const int32_t w = image.width;
    std::memset(marks.pBits, 0, static_cast<size_t>(marks.stride) * marks.height);
    const auto value = [&](int32_t i, int32_t j) { return Get(At(image, i, j), bytes, 0); };
    const auto marked = [&](int32_t i, int32_t j) { return Get(At(marks, i, j), bytes, 0) != 0; };
    for (int32_t i = 1; i <= h - 2; ++i) {
        for (int32_t j = 1; j <= w - 2; ++j) {
            const bool named =
                Get(At(const_cast<CDibImage&>(hot), offsetY + i, offsetX + j), bytes, 0) != 0 ||
                Get(At(const_cast<CDibImage&>(dead), offsetY + i, offsetX + j), bytes, 0) != 0;
            const int32_t mean = (value(i, j - 1) + value(i, j + 1) + value(i - 1, j) + value(i + 1, j)) / 4;
            if (named || std::abs(value(i, j) - mean) >= threshold)
                Put(At(marks, i, j), bytes, 0, 1);
        }
    }
    for (int32_t i = 1; i <= h - 2; ++i) {
        for (int32_t j = 1; j <= w - 2; ++j) {
            if (!marked(i, j))
                continue;
            int32_t n = 0;
            int64_t s = 0;
            for (int32_t c = j - 1; c >= 0; --c)
                if (!marked(i, c)) {
                    s += value(i, c), ++n;
                    break;
                }
            for (int32_t c = j + 1; c <= w - 1; ++c)
                if (!marked(i, c)) {
                    s += value(i, c), ++n;
                    break;
                }
            for (int32_t r = i - 1; r >= 0; --r)
                if (!marked(r, j)) {
                    s += value(r, j), ++n;
                    break;
                }
            for (int32_t r = i + 1; r <= h - 1; ++r)
                if (!marked(r, j)) {
                    s += value(r, j), ++n;
                    break;
                }
            if (n > 0)
                Put(At(image, i, j), bytes, 0, static_cast<int32_t>(s / n));
        }
    }
}

// Through a temporary image, as described.
inline void Mirror(CDibImage& w, bool mirrorH, bool mirrorV)
{
    const int p = w.bitCount / 8;
    const int32_t h = w.height;
    CDibImage temp;
    temp.Create(w.width, h, w.bitCount);
    if (mirrorH) {
        for (int32_t i = 0; i < h; ++i) {
            const int32_t from = mirrorV ? h - 1 - i : i;
            for (int32_t j = 0; j < w.width; ++j)
                std::memcpy(At(temp, i, j), At(w, from, w.width - 1 - j), p);
        }
        for (int32_t i = 0; i < h; ++i)
            std::memcpy(At(w, i, 0), At(temp, i, 0), static_cast<size_t>(w.width) * p);
    } else if (mirrorV) {
        std::memcpy(temp.pBits, w.pBits, static_cast<size_t>(w.stride) * h);
        for (int32_t i = 0; i < h; ++i)
            std::memcpy(At(w, i, 0), At(temp, h - 1 - i, 0), static_cast<size_t>(w.width) * p);
    }
}

inline void FalseColor(CDibImage& dst, const CDibImage& src)
{
    const int sb = src.bitCount / 8;
    const int db = dst.bitCount / 8;
    for (int32_t i = 0; i < src.height; ++i) {
        for (int32_t j = 0; j < src.width; ++j) {
            const int32_t v = Get(src.pBits + i * src.stride + j * sb, sb, 0);
            int32_t k = sb == 1 ? v * 256 / 360 : v * 16 / 360;
            k = std::min(k, 359);
            const uint32_t P = kFalseColorPalette[k];
            uint8_t* d = At(dst, i, j);
            const int32_t B = P & 0xFF, G = (P >> 8) & 0xFF, R = (P >> 16) & 0xFF;
            if (db == 3 || db == 4) {
                std::memcpy(d, &P, db);
            } else {
                Put(d, 2, 0, B * 16);
                Put(d, 2, 1, G * 16);
                Put(d, 2, 2, R * 16);
                if (db == 8)
                    Put(d, 2, 3, 0xFFFF);
            }
        }
    }
}

// The whole pipeline on a camera object whose automatic exposure is off or
// measuring only (no device is touched).
inline void CorrectFrame(CQuelix& c)
{
    const int32_t mode = c.colorMode;
    const bool wide = mode == 1 || mode == 4 || mode == 5;
    CDibImage& w = wide ? *c.Image(ImageRole::image16) : *c.Image(ImageRole::image8);
    std::memcpy(w.pBits, c.Image(ImageRole::rawFrame)->pBits, static_cast<size_t>(w.height) * w.stride);
    if (c.maskFilter != 0) {
        if (wide)
            ShadingCorrection(w, *c.Image(ImageRole::darkRef16), *c.Image(ImageRole::brightRef16), c.offsetX,
                              c.offsetY);
        else
            ShadingCorrection(w, *c.Image(ImageRole::darkRef8), *c.Image(ImageRole::brightRef8), c.offsetX,
                              c.offsetY);
    }
    if (c.dotFilter != 0) {
        if (wide)
            DefectFilter(w, *c.Image(ImageRole::defectWork16a), *c.Image(ImageRole::defectWork16b),
                         *c.Image(ImageRole::defectWork16c), c.offsetX, c.offsetY, 1920);
        else
            DefectFilter(w, *c.Image(ImageRole::defectWork8a), *c.Image(ImageRole::defectWork8b),
                         *c.Image(ImageRole::defectWork8c), c.offsetX, c.offsetY, 30);
    }
    Mirror(w, c.camera.Get(CameraSlot::mirrorH) != 0, c.camera.Get(CameraSlot::mirrorV) != 0);
    auto setting = [&](FilterSlot s) { return c.filter.Get(s); };
    if (mode == 0) {
        if (setting(FilterSlot::grayMode) == 1) {
            GrayParams g{setting(FilterSlot::bayerMode),    setting(FilterSlot::grayGainR),
                         setting(FilterSlot::grayGainG1),   setting(FilterSlot::grayGainG2),
                         setting(FilterSlot::grayGainB),    setting(FilterSlot::grayOffsetR),
                         setting(FilterSlot::grayOffsetG1), setting(FilterSlot::grayOffsetG2),
                         setting(FilterSlot::grayOffsetB)};
            if (setting(FilterSlot::autoGrayFrames) > 0) {
                c.Image(ImageRole::image8)
                    ->Convert(GrayBalanceMeasure, c.Image(ImageRole::image8).get(), nullptr, 0, 0, &g);
                c.filter.Set(FilterSlot::grayGainR, g.grayGainR);
                c.filter.Set(FilterSlot::grayGainG1, g.grayGainG1);
                c.filter.Set(FilterSlot::grayGainG2, g.grayGainG2);
                c.filter.Set(FilterSlot::grayGainB, g.grayGainB);
                c.filter.Set(FilterSlot::autoGrayFrames, setting(FilterSlot::autoGrayFrames) - 1);
            }
            if (!(g.grayGainR == 128 && g.grayGainG1 == 128 && g.grayGainG2 == 128 && g.grayGainB == 128))
                c.Image(ImageRole::image8)
                    ->Convert(GrayBalanceApply, c.Image(ImageRole::image8).get(), nullptr, 0, 0, &g);
        } else if (setting(FilterSlot::grayMode) == 2) {
            FalseColor(*c.Image(ImageRole::image24), *c.Image(ImageRole::image8));
            c.Image(ImageRole::image8)->Convert(BgrToGray, c.Image(ImageRole::image24).get(), nullptr, 0, 0);
        }
    }
    if (mode == 2)
        FalseColor(*c.Image(ImageRole::image24), *c.Image(ImageRole::image8));
    if (mode == 3)
        FalseColor(*c.Image(ImageRole::image32), *c.Image(ImageRole::image8));
    if (mode == 4)
        FalseColor(*c.Image(ImageRole::image48), *c.Image(ImageRole::image16));
    if (mode == 5)
        FalseColor(*c.Image(ImageRole::image64), *c.Image(ImageRole::image16));
    CDibImage* outputs[] = {c.Image(ImageRole::image8).get(),  c.Image(ImageRole::image16).get(),
                            c.Image(ImageRole::image24).get(), c.Image(ImageRole::image32).get(),
                            c.Image(ImageRole::image48).get(), c.Image(ImageRole::image64).get()};
    CDibImage& o = *outputs[mode];
    const int column = mode == 0 ? 0 : mode == 1 ? 1 : mode <= 3 ? 2 : 3;
    const ConvertKernel gamma[] = {Gamma8, Gamma16, Gamma24, Gamma48};
    const ConvertKernel contrast[] = {Contrast8, Contrast16, Contrast24, Contrast48};
    const ConvertKernel sharpen[] = {Sharpen8, Sharpen16, Sharpen24, Sharpen48};
    const ConvertKernel brightness[] = {Brightness8, Brightness16, Brightness24, Brightness48};
    const int32_t bits = 14;
    if (mode >= 2 && (setting(FilterSlot::hue) != 0 || setting(FilterSlot::saturation) != 0)) {
        const HueSatParams p{setting(FilterSlot::hue), 0, setting(FilterSlot::saturation), 14};
        o.Convert(mode <= 3 ? HueSat24 : HueSat48, &o, nullptr, 0, 0, &p);
    }
    if (setting(FilterSlot::gamma) != 100) {
        const LevelParams p{setting(FilterSlot::gamma), bits};
        o.Convert(gamma[column], &o, nullptr, 0, 0, &p);
    }
    if (setting(FilterSlot::contrast) != 0) {
        const LevelParams p{setting(FilterSlot::contrast), bits};
        o.Convert(contrast[column], &o, nullptr, 0, 0, &p);
    }
    if (setting(FilterSlot::sharpness) != 0) {
        std::memcpy(c.Image(ImageRole::filterScratch)->pBits, o.pBits,
                    static_cast<size_t>(o.stride) * o.height);
        const LevelParams p{setting(FilterSlot::sharpness), bits};
        o.Convert(sharpen[column], c.Image(ImageRole::filterScratch).get(), nullptr, 0, 0, &p);
    }
    if (setting(FilterSlot::brightness) != 0) {
        const LevelParams p{setting(FilterSlot::brightness), bits};
        o.Convert(brightness[column], &o, nullptr, 0, 0, &p);
    }
}

}  // namespace quelix::reference
