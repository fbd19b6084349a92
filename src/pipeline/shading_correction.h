// SPDX-License-Identifier: MIT
// Two-point shading correction: the dark reference maps to 0 and the bright
// one to full scale. 8 bits: x' = (x - d) x 256 / (b - d) where b != d
// (b < d inverts the ramp); 16 bits: x' = (x - d) x 16384 / (b - d) where
// b > d; truncating toward zero, limited to 0 ... 255 or 0 ... 16383; other
// pixels stay.
//
// The division is replaced by per-pixel factors made when the references
// change: an estimate of the quotient from a reciprocal, then one integer
// step that makes it exact. With p = the part of x - d below the span
// |b - d| (x' is full scale beyond it) the quotient q = p x 2^n / span is
// below 2^n, and the estimate is off by at most one:
//   8 bits, in 16-bit integers: q0 = (p x 256) x ceil(65536 / span) >> 16
//     lies in q ... q + 1 (the reciprocal's excess times p x 256 stays
//     below 65536); q = q0 - 1 where q0 x span > p x 256.
//   16 bits, in single precision: q0 = trunc(p x (16384 / span)) lies within
//     one of q (two roundings of 2^-24 each on a value below 2^14); the
//     remainder p x 16384 - q0 x span is brought into 0 ... span - 1.
#pragma once

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "image/dib_image.h"

namespace quelix {

// One pixel's factors: Bits 8 for 8-bit samples, 14 for 16-bit ones.
template <int Bits>
struct ShadingFactor {
    using Word = std::conditional_t<Bits == 8, int16_t, int32_t>;
    using Reciprocal = std::conditional_t<Bits == 8, uint16_t, float>;
    Word dark = 0;
    Word span = 0;  // b - d (8 bits: negative for an inverted ramp); 0: the pixel stays
    Reciprocal reciprocal = 0;
};

template <int Bits>
ShadingFactor<Bits> MakeShadingFactor(int32_t dark, int32_t bright);

// The corrected sample x of a pixel with the given factors.
inline int32_t ShadeSample8(int32_t x, int16_t dark, int16_t signedSpan, uint16_t reciprocal)
{
    const auto span = static_cast<int16_t>(std::max<int16_t>(signedSpan < 0 ? -signedSpan : signedSpan, 1));
    const auto above = static_cast<int16_t>(signedSpan < 0 ? dark - x : x - dark);
    const auto part = static_cast<int16_t>(std::clamp<int16_t>(above, 0, static_cast<int16_t>(span - 1)));
    const auto scaled = static_cast<uint16_t>(part << 8);
    auto quotient = static_cast<uint16_t>((static_cast<uint32_t>(scaled) * reciprocal) >> 16);
    quotient = static_cast<uint16_t>(quotient - (static_cast<uint16_t>(quotient * span) > scaled ? 1 : 0));
    const int32_t level = above >= span ? 255 : quotient;
    return signedSpan == 0 ? x : level;
}

inline int32_t ShadeSample16(int32_t x, int32_t dark, int32_t span, float reciprocal)
{
    const int32_t above = x - dark;
    const int32_t top = (span > 1 ? span : 1) - 1;
    const int32_t part = above < 0 ? 0 : above > top ? top : above;
    int32_t quotient = static_cast<int32_t>(static_cast<float>(part) * reciprocal);
    const int32_t remainder = (part << 14) - quotient * span;
    quotient += static_cast<int32_t>(remainder >= span) - static_cast<int32_t>(remainder < 0);
    const int32_t level = above >= span ? 16383 : quotient;
    return span == 0 ? x : level;
}

template <int Bits>
inline int32_t ShadeSample(int32_t x, const ShadingFactor<Bits>& f)
{
    if constexpr (Bits == 8)
        return ShadeSample8(x, f.dark, f.span, f.reciprocal);
    else
        return ShadeSample16(x, f.dark, f.span, f.reciprocal);
}

// The factors of every pixel of a pair of references (8 bits: darkRef8 and
// brightRef8; 16 bits: darkRef16 and brightRef16), made again whenever the
// references differ from the ones they were made for.
template <int Bits>
class ShadingCorrection {
public:
    // Corrects the work image, whose pixel (i, j) lies at (offsetY + i,
    // offsetX + j) of the references; pixels outside them stay.
    void Apply(CDibImage& work, const CDibImage& dark, const CDibImage& bright, int32_t offsetX,
               int32_t offsetY);

private:
    using Factor = ShadingFactor<Bits>;
    void Update(const CDibImage& dark, const CDibImage& bright);

    std::vector<uint8_t> darkBytes_;
    std::vector<uint8_t> brightBytes_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<typename Factor::Word> dark_;
    std::vector<typename Factor::Word> span_;
    std::vector<typename Factor::Reciprocal> reciprocal_;
};

using ShadingCorrection8 = ShadingCorrection<8>;
using ShadingCorrection16 = ShadingCorrection<14>;

}  // namespace quelix
