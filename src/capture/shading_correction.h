// Two-point shading correction: the dark reference maps to 0 and the bright
// one to full scale. 8 bits: x' = (x - d) x 256 / (b - d) where b != d
// (b < d inverts the ramp); 16 bits: x' = (x - d) x 16384 / (b - d) where
// b > d; truncating toward zero, limited to 0 ... 255 or 0 ... 16383; other
// pixels stay.
//
// The division is replaced by per-pixel factors made when the references
// change: a single-precision estimate of the quotient, then one integer step
// that makes it exact (the remainder is brought into 0 ... |b - d| - 1).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "output/dib_image.h"

namespace quelix {

// The factors of one pixel for 8-bit (Bits 8) or 16-bit (Bits 14) samples.
struct ShadingFactor {
    int32_t dark = 0;
    int32_t span = 0;  // b - d; 0: the pixel stays
    float reciprocal = 0.0f;
};

template <int Bits>
ShadingFactor MakeShadingFactor(int32_t dark, int32_t bright);

// The corrected sample x of a pixel with the given factor.
template <int Bits>
inline int32_t ShadeSample(int32_t x, int32_t dark, int32_t signedSpan, float reciprocal)
{
    constexpr int32_t kFull = (1 << Bits) - 1;
    const int32_t span = std::max(signedSpan < 0 ? -signedSpan : signedSpan, 1);
    const int32_t above = signedSpan < 0 ? dark - x : x - dark;
    const int32_t part = std::clamp(above, 0, span - 1);
    int32_t quotient = static_cast<int32_t>(static_cast<float>(part) * reciprocal);
    const int32_t remainder = (part << Bits) - quotient * span;
    quotient += (remainder >= span ? 1 : 0) - (remainder < 0 ? 1 : 0);
    const int32_t level = above >= span ? kFull : quotient;
    return signedSpan == 0 ? x : level;
}

template <int Bits>
inline int32_t ShadeSample(int32_t x, const ShadingFactor& factor)
{
    return ShadeSample<Bits>(x, factor.dark, factor.span, factor.reciprocal);
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
    void Update(const CDibImage& dark, const CDibImage& bright);

    std::vector<uint8_t> darkBytes_;
    std::vector<uint8_t> brightBytes_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<int32_t> dark_;
    std::vector<int32_t> span_;
    std::vector<float> reciprocal_;
};

using ShadingCorrection8 = ShadingCorrection<8>;
using ShadingCorrection16 = ShadingCorrection<14>;

}  // namespace quelix
