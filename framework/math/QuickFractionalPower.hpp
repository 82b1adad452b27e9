// Internal to the math unit: a quick Base^Exponent for a positive finite Base and an
// Exponent below 2^11 in size, as 2^t with t = Exponent log2(Base). The logarithm is
// the quick one (QuickLog.hpp); t = k/256 + f, |f| <= 2^-9, and 2^f = e^(f ln 2) comes
// from the quick exponential's series and table (QuickHyperbolic.hpp).
//
// The error bound, relative to the result: the logarithm is within 2^kQuickLogError,
// so t within |Exponent| 2^-82 (the truncations to 101 fraction bits add 2^-100), which
// costs the result ln(2) |Exponent| 2^-82; the series leaves out f^7/7! < 2^-79 and its
// doubles round below 2^-82. Results whose rounding that bound does not decide (about
// one in 2^10 for small exponents), and those outside the normal range, take the full
// kernel.
#pragma once

#include <cstdint>

#include "framework/math/QuickHyperbolic.hpp"
#include "framework/math/QuickLog.hpp"

namespace rtl::wide {

// Larger exponents are left to the full kernel: t's error grows with them.
inline constexpr int kQuickFractionalMaxExponent = 10;

// The slack that decides the rounding, in units of the result's 128th bit, for an
// exponent below 2^(iExponent + 1) in size: the bound above is at most 2^50.2 units
// for iExponent <= 2 and 2^(iExponent + 47) beyond, with a margin of four or more.
inline int QuickFractionalSlackBits(int iExponent) { return (iExponent > 2 ? iExponent : 2) + 50; }

inline constexpr int kFractionalArgumentFractionBits = 101;

// t = Exponent log2(Base) with kFractionalArgumentFractionBits fraction bits, for an
// exponent below 2^(kQuickFractionalMaxExponent + 1) in size, however small (the cut costs
// the result 2^-100 of itself at most); |t| < 2^25.1.
[[gnu::always_inline]] inline TInt128 PowerOfTwoArgument(bits::TUnpacked base, bits::TUnpacked y) {
    const TInt128 iLog = QuickLogFixed<tables::kQuickLog2>(base.iSignificand, base.iExponent);
    // |log2(Base)| < 2^14.01 with 112 fraction bits, times y's significand: the top 128
    // bits have 111 - y.iExponent fraction bits.
    const TUInt128 iProduct = HighProduct(TUInt128(iLog < 0 ? -iLog : iLog), y.iSignificand);
    const int iShift = 111 - kFractionalArgumentFractionBits - y.iExponent;
    const TUInt128 iMagnitude = iShift < 128 ? iProduct >> iShift : 0;
    return (iLog < 0) != y.bNegative ? -TInt128(iMagnitude) : TInt128(iMagnitude);
}

// t = k/256 + f, |f| <= 2^-9, f with 127 fraction bits.
struct TPowerOfTwoSteps {
    std::int64_t k;
    TInt128 f;
};

inline TPowerOfTwoSteps PowerOfTwoSteps(TInt128 t) {
    constexpr int kStepShift = kFractionalArgumentFractionBits - 8;
    constexpr TInt128 kHalfStep = TInt128(1) << (kStepShift - 1);
    const TInt128 iShifted = t + kHalfStep;
    // f from the bits below the step.
    const TUInt128 iBelow = TUInt128(iShifted & (2 * kHalfStep - 1)) - TUInt128(kHalfStep);
    return {std::int64_t(iShifted >> kStepShift), TInt128(iBelow << (127 - kFractionalArgumentFractionBits))};
}

// 2^(k/256 + f) for |k| < 2^22: 2^(k/256) e^(f ln 2).
[[gnu::always_inline]] inline TWide QuickExp2(int k, TInt128 f) {
    // kLn2 is ln 2 with 127 fraction bits; r = f ln 2 with kQuickExpFractionBits.
    const TInt128 r = FixedProduct(f, TInt128(Value(tables::kLn2))) >> (127 - kQuickExpFractionBits);
    const TQuickExpM1 m = QuickExpM1(r);
    const TQuickScaled s = QuickTimesStep(k, m.iOdd + m.iEven, m.rOdd + m.rEven);
    TWide w = FromFixed(TUInt128(s.iValue + Fixed91(s.rValue)), kQuickExpFractionBits);
    w.iExponent += k >> 8;
    return w;
}

// Base^Exponent rounded once, or false when the quick kernel does not decide it. It
// leaves alone a Base that is 0, negative, infinite or a NaN, large (or infinite, or NaN)
// exponents, results that overflow or are denormal, and operands without their leading
// bit (0, and encodings the x87 takes for invalid).
inline bool QuickFractionalPower(bits::TUnpacked base, bits::TUnpacked y, Extended& rResult) {
    if (base.bNegative || ((base.iSignificand & y.iSignificand) >> 63) == 0 ||
        base.iExponent > bits::kMaxExponent || y.iExponent > kQuickFractionalMaxExponent)
        return false;
    const TPowerOfTwoSteps steps = PowerOfTwoSteps(PowerOfTwoArgument(base, y));
    // From |t| = 2^14 on, the result lies far beyond the range.
    constexpr std::int64_t kStepLimit = std::int64_t(1) << 22;
    if (steps.k >= kStepLimit || steps.k <= -kStepLimit) return false;
    const TWide w = QuickExp2(int(steps.k), steps.f);
    // The top binade is left out too: its rounding may carry to INF.
    if (w.iExponent < bits::kMinNormalExponent || w.iExponent >= bits::kMaxExponent ||
        !IsFarFromTie(w, QuickFractionalSlackBits(y.iExponent)))
        return false;
    rResult = Rounded(w, false);
    return true;
}

}  // namespace rtl::wide
