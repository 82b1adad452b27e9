// Internal to the math unit: the exponential for the public Exp and ExpM1 and the
// financial routines, e^x - 1 carried in pairs of Extended values. The pairs hold about
// 90 correct bits, so that results built from them round once, at the end, and almost
// always correctly. (The logarithms and the other exponentials are in ExpLogWide.hpp.)
//
// The kernels are always inlined: a pair handed through memory costs two 80-bit stores
// and loads, slower than the arithmetic. For the same reason their lesser terms are
// summed in double, which also keeps the eight x87 registers from spilling.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "framework/base/Types.hpp"
#include "framework/math/ExpLogWide.hpp"
#include "framework/math/ExtendedBits.hpp"
#include "framework/math/Math.hpp"
#include "framework/math/Pair.hpp"

namespace rtl::explog {

// hi + lo, two doubles with 106 bits between them.
struct TSplitConstant {
    double hi;
    double lo;
};

namespace tables {
#include "framework/math/ExpLogTables.inc"
}  // namespace tables

// rSignificand * 2^iExponent, the significand near 1: a value whose exponent may lie
// beyond the Extended range until it is rounded.
struct TScaled {
    pair::TPair rSignificand;
    int iExponent;
};

inline constexpr Extended kInfinity = std::numeric_limits<Extended>::infinity();

// Arguments beyond these bounds give INF or 0 in any case.
inline constexpr Extended kExpOverflowBound = 11357;
inline constexpr Extended kExpUnderflowBound = -11400;

// x when finite; else the failure FiniteOrRaise names. x - x is 0 exactly when x is
// finite: a cheaper test than std::isfinite, which loads an 80-bit constant.
[[gnu::always_inline]] inline Extended Finite(Extended x, bool bPole = false) {
    if (x - x == 0) return x;
    return FiniteOrRaise(x, bPole);
}

// c[0] + c[1] x + c[2] x^2 + ... as E(x^2) + x O(x^2): the even and the odd
// coefficients in two independent chains, half as long as one.
template <std::size_t N>
double Polynomial(const double (&c)[N], double x) {
    const double x2 = x * x;
    std::size_t i = N - 1;
    double rTop = c[i], rNext = c[i - 1];
    for (; i >= 3; i -= 2) {
        rTop = rTop * x2 + c[i - 2];
        rNext = rNext * x2 + c[i - 3];
    }
    if (i == 2) return (rTop * x2 + c[0]) + x * rNext;  // odd N: rTop holds the even chain
    return rNext + x * rTop;
}

// x rounded to a whole number, for |x| < 2^62: adding 1.5 * 2^63 leaves no fraction bits.
inline Extended Nearest(Extended x) {
    constexpr Extended kShift = 0x3p62L;
    return (x + kShift) - kShift;
}

// hi + lo rounded to a multiple of the denormal spacing for the result exponent e,
// given 1 <= hi < 2: the sum hi + 2^63 g rounds hi to a multiple of g, and lo then
// decides whether the rounding of hi alone went the wrong way.
[[gnu::always_inline]] inline Extended RoundedToDenormal(pair::TPair x, int e) {
    if (e < bits::kMinDenormalExponent - 1) return 0;
    const Extended rSpacing = bits::PowerOfTwo(bits::kMinDenormalExponent - e);
    const Extended rShift = bits::PowerOfTwo(bits::kMinDenormalExponent + 63 - e);
    Extended rRounded = (rShift + x.hi) - rShift;
    const Extended rRest = (x.hi - rRounded) + x.lo;
    if (rRest > rSpacing / 2) rRounded += rSpacing;
    if (rRest < -rSpacing / 2) rRounded -= rSpacing;
    // A multiple of the spacing: the scaling is exact.
    return bits::ScaledByPowerOfTwo(rRounded, e);
}

// The value rounded once to Extended: INF when it overflows, the correctly rounded
// denormal or 0 when it underflows.
[[gnu::always_inline]] inline Extended Rounded(TScaled value) {
    pair::TPair x = value.rSignificand;
    if (x.hi == 0) return 0;
    const bool bNegative = x.hi < 0;
    if (bNegative) x = pair::Negated(x);
    const bits::TExtracted parts = bits::Extracted(x.hi);
    const int iOwnExponent = bits::ToInt(parts.rExponent);
    const int e = iOwnExponent + value.iExponent;
    Extended rResult;
    if (e > bits::kMaxExponent) {
        rResult = kInfinity;
    } else if (e >= bits::kMinNormalExponent) {
        rResult = bits::ScaledByPowerOfTwo(pair::Value(x), value.iExponent);
    } else {
        const Extended rDown = bits::PowerOfTwo(-iOwnExponent);
        rResult = RoundedToDenormal({parts.rSignificand, x.lo * rDown}, e);
    }
    return bNegative ? -rResult : rResult;
}

// e^r - 1 for the reduced argument r = rHigh + rLow, |r| <= ln(2)/512:
// r + r^2/2 + r^3/6 + r^4 Q(r), the first terms exact.
[[gnu::always_inline]] inline pair::TPair ExpM1Reduced(Extended rHigh, double rLow) {
    using namespace tables;
    const double d = double(rHigh), d2 = d * d;
    double dLow = rLow * (1 + d) + d2 * d2 * Polynomial(kExpTail, d);
    const pair::TPair square = pair::TwoSquare(rHigh);
    dLow += double(square.lo) / 2;
    const pair::TPair s = pair::FastTwoSum(rHigh, square.hi / 2);
    dLow += double(s.lo);
    const Extended rCube = square.hi * rHigh;
    dLow += double(rCube) * kExpTailLead.lo;
    return pair::FastTwoSum(s.hi, rCube * kExpTailLead.hi + Extended(dLow));
}

// e^x for kExpUnderflowBound <= x.hi <= kExpOverflowBound + 1.
[[gnu::always_inline]] inline TScaled ExpScaled(pair::TPair x) {
    using namespace tables;
    // x = n ln(2)/256 + r, n = 256 k + j: e^x = 2^k 2^(j/256) e^r.
    const Extended n = Nearest(x.hi * kStepsPerLn);
    const double dN = double(n);
    const pair::TPair r = pair::TwoSum(x.hi - n * kLn2Step[0], -n * kLn2Step[1]);
    const pair::TPair q = ExpM1Reduced(r.hi, double(r.lo) + (double(x.lo) - dN * kLn2Step[2]));
    const int iSteps = int(dN);
    const TSplitConstant& t = kExp2Fraction[iSteps & 255];
    // t (1 + q), with t q.hi exact.
    const pair::TPair p = pair::TwoProduct(t.hi, q.hi);
    double dLow = double(p.lo) + t.hi * double(q.lo) + t.lo * (1 + double(q.hi));
    const pair::TPair s = pair::FastTwoSum(t.hi, p.hi);
    dLow += double(s.lo);
    return {pair::FastTwoSum(s.hi, Extended(dLow)), iSteps >> 8};
}

// e^x - 1 for |x| <= 64, relative to its value also for tiny x.
[[gnu::always_inline]] inline pair::TPair ExpM1Pair(Extended x) {
    if (std::fabs(x) <= tables::kLn2Step[0] / 2) return ExpM1Reduced(x, 0);
    const TScaled e = ExpScaled({x, 0});
    const double rScale = bits::PowerOfTwo(e.iExponent);
    return pair::Add({e.rSignificand.hi * rScale, e.rSignificand.lo * rScale}, -1);
}

// e^x and e^x - 1 rounded once; INF when they overflow. The raising versions are the
// public Exp and ExpM1; the financial searches probe arguments that overflow.
inline Extended ExpOrInfinity(Extended x) {
    if (std::isnan(x)) return x;
    if (x > kExpOverflowBound) return kInfinity;
    if (x < kExpUnderflowBound) return 0;
    return wide::Rounded(wide::ExpWide(wide::FixedArgument(bits::Unpacked(x))), false);
}

inline Extended ExpM1OrInfinity(Extended x) {
    // Beyond 64 in size, e^x and e^x - 1 round alike (or to -1).
    constexpr Extended kBound = 64;
    if (std::isnan(x)) return x;
    if (x > kBound) return ExpOrInfinity(x);
    if (x < -kBound) return -1;
    return pair::Value(ExpM1Pair(x));
}

}  // namespace rtl::explog
