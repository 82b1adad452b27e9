// Internal to the math unit: the quick logarithms for Log2 and Log10. One table step
// leaves r = m / c - 1 below 2^-9 in size; the series in r is summed in 128-bit
// integers where its terms are large and in doubles where they are small, from a
// handful of independent multiplications rather than the full kernel's chain (LnWide).
// The result is within 2^kQuickLogError of the logarithm, which decides the rounding
// for all but a rare argument (about one in 2^17 for results near 1 in size, far fewer
// for larger ones); those, and results below 2^-16, take the full kernel.
#pragma once

#include <cstdint>

#include "framework/math/ExpLogWide.hpp"

namespace rtl::wide {

inline constexpr int kQuickLogFractionBits = 112;
// The bound on the error, as a power of two: a margin over the terms dropped and the
// truncations, about 2^-86.
inline constexpr int kQuickLogError = -82;

// e log_b(2) with kQuickLogFractionBits fraction bits, |e| < 2^15: a shift for base 2,
// else two multiplications, by log_b(2)'s top 64 bits and by the 48 below them.
template <const TQuickLogBase& base>
inline TInt128 TimesLogOfTwo(int e) {
    constexpr TUInt128 iLog = Value(base.iOfTwo);
    if constexpr (iLog == TUInt128(1) << kQuickLogFractionBits) {
        return TInt128(e) * iLog;
    } else {
        static_assert(iLog >> 112 == 0, "log_b(2) < 1");
        constexpr std::int64_t iHigh = std::int64_t(iLog >> 48),
                               iLow = std::int64_t(iLog & ((TUInt128(1) << 48) - 1));
        return TInt128(e) * iHigh * (TInt128(1) << 48) + std::int64_t(e) * iLow;
    }
}

// log_b(m 2^e), m = iSignificand / 2^63 in [1, 2), with kQuickLogFractionBits fraction
// bits, for the base whose constants are given.
template <const TQuickLogBase& base>
[[gnu::always_inline]] inline TInt128 QuickLogFixed(std::uint64_t iSignificand, int e) {
    using namespace tables;
    const unsigned i = unsigned(iSignificand >> 55) & 255;
    e += i >= kQuickLogFoldIndex;
    // r = m / c - 1 exactly, with 126 fraction bits, |r| < 2^-9; its top 64 bits (71
    // fraction bits) go into the integer products, the bits below into the doubles.
    const TInt128 r = TInt128(TUInt128(iSignificand) * kQuickLogReciprocals[i] - (TUInt128(1) << 126));
    const std::int64_t iTop = std::int64_t(r >> 55);
    const std::int64_t iBelow = std::int64_t(r & ((TInt128(1) << 55) - 1));
    // k r (133 fraction bits), r^2 (142), k r^2 (140, from r^2's top half) and k r^3 / 3
    // (85 + 64 = 149), k = log_b(e).
    const TInt128 iTimesK = TInt128(iTop) * base.iFactor;
    const TUInt128 iSquare = TUInt128(TInt128(iTop) * iTop);
    const TInt128 iSquareTimesK = TInt128(TUInt128(High(iSquare)) * std::uint64_t(base.iFactor));
    const std::int64_t iCube = std::int64_t((TInt128(iTop) * High(iSquare)) >> 64);
    const TInt128 iCubeTerm = TInt128(iCube) * base.iThirdFactor;
    // What those leave out, below 2^-35, in doubles and units of 2^-96: k's last bits,
    // the share of r's bits below the top 64 and of r^2's lower half, and the series
    // from r^4 on. The powers of two are in the constants, so that the chain from r to
    // the sum is short; so is the order of the polynomial's terms.
    constexpr double k = double(base.iFactor) * 0x1p-62;
    constexpr double kLowTimesR = base.rFactorLow * 0x1p25, kLowTimesHalfSquare = base.rFactorLow * 0x1p-47;
    constexpr double kBelow = k * 0x1p-30, kTopTimesBelow = k * 0x1p-101, kHalfSquareLow = k * 0x1p-46;
    const double x = double(iTop), x2 = x * x, x4 = x2 * x2;  // r in units of 2^-71
    const double* c = base.rTail;
    const double rTail = x4 * (((c[0] + c[1] * x) + x2 * (c[2] + c[3] * x)) + x4 * (c[4] + c[5] * x));
    const double rBelow = double(iBelow), rSquareLow = double(std::int64_t(Low(iSquare) >> 1));
    const double rRest = (kLowTimesR * x - kLowTimesHalfSquare * x2) +
                         ((kBelow * rBelow - kTopTimesBelow * (x * rBelow)) - kHalfSquareLow * rSquareLow) +
                         rTail;
    return TimesLogOfTwo<base>(e) + TInt128(Value(base.pCentres[i])) + (iTimesK >> 21) -
           (iSquareTimesK >> 29) + (iCubeTerm >> 37) + (TInt128(std::int64_t(rRest)) << 16);
}

// log_b of a positive finite x, within 2^kQuickLogError.
template <const TQuickLogBase& base>
inline TSigned QuickLog(bits::TUnpacked x) {
    return FromSignedFixed(QuickLogFixed<base>(x.iSignificand, x.iExponent), kQuickLogFractionBits);
}

// Whether every value within 2^kQuickLogError of w rounds to the same Extended value as
// w: its bits below the 64th are far enough from a half. Values below 2^-16 are left
// to the full kernel, as is 0.
inline bool RoundingIsDecided(TWide w) {
    if (w.iSignificand == 0 || w.iExponent < -16) return false;
    return IsFarFromTie(w, int(127 + kQuickLogError - w.iExponent));
}

}  // namespace rtl::wide
