// Internal to the math unit: the tangent of a reduced argument, j pi / kTableSteps + t.
// With T the tangent of the step and u = tan t,
//     tan(j pi / kTableSteps + t) = (T + u) / (1 - T u),
// and a quarter turn on, -1 over the same. The full kernel (TangentAt in Trig.cpp) forms
// both parts as pairs of Extended values; the quick one forms them as pairs of doubles,
// whose arithmetic is pipelined and stays in registers, and divides once. Its result is
// good to kQuickTangentError of itself, which decides the rounding for all but about
// one argument in 200; those go to the full kernel.
#pragma once

#include <cmath>

#include "framework/math/DoublePair.hpp"
#include "framework/math/Polynomial.hpp"
#include "framework/math/TrigReduce.hpp"

namespace rtl::trig {

// The bound on the quick kernel's error, relative to its result: the roundings of the
// remainder's small terms and of the quotient's remainder, each near 2^-78, twice that
// where T + u cancels to half, and 2^-78 from the reduction next to a zero or a pole.
// Millions of arguments against MPFR came to at most 2^-74.2.
inline constexpr double kQuickTangentError = 0x1p-72;

// Which tangent of the table serves step j, and whether the step is a quarter turn on
// from it. The period is pi.
struct TTangentStep {
    unsigned iIndex;
    bool bQuarterOn;
};

inline TTangentStep TangentStepOf(unsigned j) {
    const unsigned m = (j + kTableSteps / 4) & (kTableSteps - 1);
    return {m % (kTableSteps / 2), m >= kTableSteps / 2};
}

// tan t as a pair of doubles, all of it in doubles: t's own pair, then
//     tan t = t + t^3 / 3 + t^5 P(t^2).
// The high part is t.hi plus the first terms of the rest in plain doubles, which comes
// early for the quotient. The low part needs the cube term, up to 2^-14 of t, to some
// 62 bits: from a head a of t.hi with 13 bits and the rest b, a^3 times 1/3's head of
// 13 bits is exact, and a^2 b + a b^2 + b^3 / 3 and the third's tail are small enough
// for doubles. The derivative 1 + t^2 takes t.lo in to first order.
inline dpair::TDoublePair RemainderTangent(const pair::TPair& t) {
    constexpr double kHeadSplitter = 0x1p40 + 1;
    constexpr double kThirdHead = 0x1.555p-2, kThirdTail = 0x1p-14 / 3;  // 1/3 = head + tail
    const double th = double(t.hi), tl = double((t.hi - th) + t.lo);
    const double z = th * th;
    const double rHigher = (z * z) * math::EstrinIn<double>(kTangentPoly, z, z * z);  // t^4 P(t^2)
    // To 2^-55 of t from the series' first terms, on a short chain.
    const double rHigh = th + (th * z) * ((1.0 / 3) + z * (kTangentPoly[0] + z * kTangentPoly[1]));
    const double rScaled = kHeadSplitter * th;
    const double a = rScaled - (rScaled - th), b = th - a;
    const double a2 = a * a, a3 = a2 * a;
    const double rCubeRest = a3 * kThirdTail + (a2 * b + b * b * (a + b * (1.0 / 3)));
    // th - rHigh is exact, and with a^3 / 3's head what is left is below 2^-26 of t.
    const double rLow = ((th - rHigh) + a3 * kThirdHead) + ((tl + tl * z) + (rCubeRest + th * rHigher));
    return {rHigh, rLow};
}

// tan(j pi / kTableSteps + t), or its reciprocal (bReciprocal), as an unnormalized pair
// of doubles. |T| > |u| unless T is 0, and |T u| < 2^-6.
inline dpair::TDoublePair QuickTangentAt(unsigned j, const pair::TPair& t, bool bReciprocal) {
    using dpair::TDoublePair;
    const TTangentStep step = TangentStepOf(j);
    const TDoublePair T = kTangentPairs[step.iIndex];
    constexpr double kSigns[2] = {1, -1};
    const double rSign = kSigns[step.bQuarterOn];
    TDoublePair u = RemainderTangent(t);
    // Where T is 0, u alone may divide, and then its low part must be below 2^-50 of its
    // high part; t.lo, which goes into it, may reach 2^-20 of a small t.hi.
    if (step.iIndex == kTableSteps / 4) [[unlikely]]
        u = dpair::FastTwoSum(u.hi, u.lo);
    const TDoublePair sum = dpair::FastTwoSum(T.hi, u.hi);
    const TDoublePair numerator{sum.hi, sum.lo + (T.lo + u.lo)};
    const TDoublePair product = dpair::TwoProduct(T.hi, dpair::Split(T.hi), u.hi, dpair::Split(u.hi));
    const TDoublePair difference = dpair::FastTwoSum(1, -product.hi);
    const TDoublePair denominator{difference.hi, difference.lo - (product.lo + (T.hi * u.lo + T.lo * u.hi))};
    const bool bSwap = step.bQuarterOn != bReciprocal;
    const TDoublePair dividend = bSwap ? denominator : numerator, divisor = bSwap ? numerator : denominator;
    return dpair::CutQuotient({rSign * dividend.hi, rSign * dividend.lo}, divisor);
}

// v rounded to Extended, when every value within kQuickTangentError of it rounds to
// the same: rounding is monotonic, so it is enough that both ends of that interval do.
inline bool RoundedForSure(dpair::TDoublePair v, Extended& rResult) {
    const double rSlack = std::fabs(v.hi) * kQuickTangentError;
    const Extended rHigh = v.hi;
    rResult = rHigh + v.lo;
    return rHigh + (v.lo - rSlack) == rHigh + (v.lo + rSlack);
}

}  // namespace rtl::trig
