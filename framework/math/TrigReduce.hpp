// Internal to the math unit: reduction of a trigonometric argument to a small remainder.
#pragma once

#include <cmath>

#include "framework/math/NearestWhole.hpp"
#include "framework/math/Pair.hpp"
#include "framework/math/TrigTables.hpp"

namespace rtl::trig {

// X = (iStep + 2 kTableSteps m) pi / kTableSteps + t.hi + t.lo for some whole m, with
// |t| <= pi / (2 kTableSteps) (a hair more when X * kTableSteps / pi rounds across a
// half). iStep is in [0, 2 kTableSteps). The pair t is not normalized: t.lo may reach
// 2^-53, which callers carry to first order. Its error is below 2^-105, and next to the
// steps the caller names sensitive (multiples of pi / 2 where its value vanishes or has
// a pole, so that a result may be as small as t itself or as large as 1 / t), also
// below 2^-100 of t, however close X comes and however large it is.
struct TReduced {
    unsigned iStep;
    pair::TPair t;
};

constexpr unsigned kStepMask = 2 * kTableSteps - 1;

// The reduction from the bits of 2 / pi, right for any finite X.
TReduced ReduceFromBits(Extended X);

// Below this every argument is its own remainder.
constexpr Extended kNoReduction = 0x1p-7L;
// Below this the steps to subtract stay under 2^29, so that k * kStepPart1 and
// k * kStepPart2 are exact.
constexpr Extended kModerate = 0x1p22L;
// A remainder this small near a multiple of pi / 2 may have lost too many of its bits
// to the three-part step; where the function's value is as small as the remainder (or,
// for the tangent, as large as its reciprocal) it is computed again from the bits of
// 2 / pi. Where the value is near 1 in size the remainder's absolute error is enough.
constexpr Extended kCancellation = 0x1p-32L;

// The steps, iStep & iMask == iStep0, next to which a function's value vanishes or has
// a pole.
struct TSensitiveSteps {
    unsigned iMask, iStep0;
};
inline constexpr TSensitiveSteps kSineZeros{kTableSteps - 1, 0};
inline constexpr TSensitiveSteps kCosineZeros{kTableSteps - 1, kTableSteps / 2};
inline constexpr TSensitiveSteps kTangentZerosAndPoles{kTableSteps / 2 - 1, 0};

// Moderate arguments subtract k steps given in three parts (Cody and Waite's method):
// both products below are exact, and so is the first difference, X being within a step
// of k kStepPart1.
inline TReduced Reduce(Extended X, TSensitiveSteps sensitive) {
    const Extended rMagnitude = std::fabs(X);
    if (rMagnitude < kNoReduction) [[unlikely]]
        return {0, {X, 0}};
    if (rMagnitude >= kModerate) [[unlikely]]
        return ReduceFromBits(X);
    const Extended rSteps = X * kInverseStep;
    const Extended k = math::NearestWhole(rSteps).rValue;
    const unsigned iStep = unsigned(math::NearestInteger(rSteps)) & kStepMask;
    const pair::TPair t = pair::TwoSum(X - k * kStepPart1, -(k * kStepPart2));
    if ((iStep & sensitive.iMask) == sensitive.iStep0 && std::fabs(t.hi) < kCancellation) [[unlikely]]
        return ReduceFromBits(X);
    return {iStep, {t.hi, t.lo - k * kStepPart3}};
}

}  // namespace rtl::trig
