// Internal to the math unit: quick hyperbolic sine, cosine and tangent for
// 2^-2 <= a < 2^5, from e^a and e^-a in 128-bit integers, but with one table step and a
// short series: a = k ln(2)/256 + r, |r| < 2^-9.5, and e^+-r - 1 = even +- odd parts of
// the series. The terms that need many bits are integer products; the small ones are
// doubles. The result is good to 2^-76 of itself (cancellation in e^a - e^-a costs the
// sine and tangent at most a factor coth(1/4) < 5), which decides the rounding for all
// but about one argument in 500; those, and other arguments, take the full kernel
// (ExpBothWide).
#pragma once

#include <cstdint>

#include "framework/math/DoublePair.hpp"
#include "framework/math/ExpLogWide.hpp"

namespace rtl::wide {

inline constexpr int kQuickExpFractionBits = 120;
// The slack that decides the rounding, in units of the result's 128th bit: 2^-73 of it.
inline constexpr int kQuickHyperbolicSlackBits = 127 - 73;

// A double below 2^-30 in size as a fixed-point number with kQuickExpFractionBits
// fraction bits, given in units of 2^-91.
inline TInt128 Fixed91(double v) { return TInt128(std::int64_t(v)) << 29; }

// e^r - 1 for |r| < 2^-9.4, in its odd and even parts: r and r^2/2 exact in integers
// with kQuickExpFractionBits fraction bits; r^3/6 to r^6/720 and the share of r's bits
// below its top 64, below 2^-30, in doubles and units of 2^-91 (r^7/7! < 2^-78 is left
// out). The powers of two are in the constants, and the doubles are added only at the
// end, so that their chain runs beside the integer one rather than before it.
struct TQuickExpM1 {
    TInt128 iOdd, iEven;
    double rOdd, rEven;
};

inline TQuickExpM1 QuickExpM1(TInt128 r) {
    const std::int64_t iTop = std::int64_t(r >> 56);  // 64 fraction bits
    const double x = double(iTop), x2 = x * x, x4 = x2 * x2;
    const double rBelow = double(std::int64_t(r & ((TInt128(1) << 56) - 1)));
    return {r, (TInt128(iTop) * iTop) >> 9, x * (x2 * (0x1p-101 / 6) + x4 * (0x1p-229 / 120)),
            x4 * (0x1p-165 / 24 + x2 * (0x1p-293 / 720)) + x * rBelow * 0x1p-93};
}

// 2^(k/256) (1 + m) scaled by 2^-(k >> 8), for |m| < 2^-8.4 given as its integer part
// (kQuickExpFractionBits fraction bits) and its small double part: the first in the
// same fixed point, the second as a double in units of 2^-91.
struct TQuickScaled {
    TInt128 iValue;
    double rValue;
};

inline TQuickScaled QuickTimesStep(int k, TInt128 m, double rSmall) {
    const TUInt128 t = Value(tables::kQuickExp2[k & 255]);  // 127 fraction bits
    // t m with t halved to a signed number, doubled again.
    return {TInt128(t >> 7) + (FixedProduct(m, TInt128(t >> 1)) << 1),
            double(std::int64_t(High(t) >> 11)) * 0x1p-52 * rSmall};
}

// k nearest to 256 a / ln 2 for a = x's magnitude, 2^-2 <= a < 2^5: from a 64-bit
// product (k may be one off where the quotient lies next to a half, which the series
// allows for).
inline int QuickExpSteps(bits::TUnpacked x) {
    const std::uint64_t iProduct = High(TUInt128(x.iSignificand) * tables::kQuickExpStepsPerUnit);  // 54 - e
    const int iShift = 54 - x.iExponent;
    return int((iProduct + (std::uint64_t(1) << (iShift - 1))) >> iShift);
}

// e^a and e^-a for a = x's magnitude, 2^-2 <= a < 2^5, both divided by 2^(k >> 8):
// integer parts with kQuickExpFractionBits fraction bits, double parts in units of
// 2^-91.
struct TQuickExpPair {
    TInt128 iPlus, iMinus;
    double rPlus, rMinus;
    int iExponent;  // k >> 8
};

inline TQuickExpPair QuickExpPair(bits::TUnpacked x) {
    // a with kQuickExpFractionBits fraction bits: a shift by 55 to 61, in two halves.
    const int iShift = x.iExponent + kQuickExpFractionBits - 63;
    const TInt128 a = TInt128(TUInt128(x.iSignificand >> (64 - iShift)) << 64 | (x.iSignificand << iShift));
    const int k = QuickExpSteps(x);
    const TInt128 r = a - TInt128(TUInt128(unsigned(k)) * Value(tables::kQuickExpStep));
    const TQuickExpM1 m = QuickExpM1(r);
    const TQuickScaled plus = QuickTimesStep(k, m.iOdd + m.iEven, m.rOdd + m.rEven);    // e^a / 2^(k >> 8)
    const TQuickScaled minus = QuickTimesStep(-k, m.iEven - m.iOdd, m.rEven - m.rOdd);  // e^-a / 2^(-k >> 8)
    // e^-a to e^a's scale: 2^(-k >> 8) / 2^(k >> 8), at most 2^-93.
    const int iScale = (k >> 8) - (-k >> 8);
    return {plus.iValue, minus.iValue >> iScale, plus.rValue, minus.rValue * bits::PowerOfTwo(-iScale),
            k >> 8};
}

// sinh a (bDifference) or cosh a for a = x's magnitude, 2^-2 <= a < 2^5, as a
// significand and exponent, or false when the rounding is not decided.
inline bool QuickHalfSumOfExp(bits::TUnpacked x, bool bDifference, TWide& result) {
    const TQuickExpPair e = QuickExpPair(x);
    const TInt128 iSum = bDifference ? e.iPlus - e.iMinus : e.iPlus + e.iMinus;
    const double rSum = bDifference ? e.rPlus - e.rMinus : e.rPlus + e.rMinus;
    result = FromFixed(TUInt128(iSum + Fixed91(rSum)), kQuickExpFractionBits);
    result.iExponent += e.iExponent - 1;
    return IsFarFromTie(result, kQuickHyperbolicSlackBits);
}

// tanh a for a = x's magnitude, 2^-2 <= a < 2^5: (e^a - e^-a) / (e^a + e^-a), the two
// below 2^122 cut to 105 bits and divided as pairs of doubles; good to 2^-76 of itself
// as the sine is.
inline dpair::TDoublePair QuickTanh(bits::TUnpacked x) {
    const TQuickExpPair e = QuickExpPair(x);
    const TInt128 iDifference = e.iPlus - e.iMinus + Fixed91(e.rPlus - e.rMinus);
    const TInt128 iSum = e.iPlus + e.iMinus + Fixed91(e.rPlus + e.rMinus);
    return dpair::Quotient(dpair::FromWhole(iDifference >> 17), dpair::FromWhole(iSum >> 17));
}

}  // namespace rtl::wide
