// Sine, cosine, tangent and cotangent. The argument is reduced to a table step j and a
// remainder t (TrigReduce), and with S, C the sine and cosine of the step (from the
// table, as pairs)
//     sin(j pi / 128 + t) = S + C t + S (cos t - 1) + C (sin t - t)
// where S + C t is formed exactly and the other terms, below 2^-13 of the result, only
// need Extended precision. The result comes out as a pair good to about 2^-76 and is
// rounded once, which gives the correctly rounded value for nearly every argument. The
// tangent takes a quotient from a table of tangents (QuickTangent.hpp).
#include <cmath>

#include "framework/math/Math.hpp"
#include "framework/math/Polynomial.hpp"
#include "framework/math/QuickTangent.hpp"
#include "framework/math/TrigReduce.hpp"

namespace rtl {

namespace {

using pair::TPair;
using namespace trig;

constexpr unsigned kQuarterTurn = kTableSteps / 2;

// The remainder's share of the sine and cosine beyond 1 + t.
struct TRemainder {
    TPair t;
    Extended rSineExcess;    // sin t - t
    Extended rCosineExcess;  // cos t - 1
};

inline TRemainder RemainderOf(const TPair& t) {
    const Extended z = t.hi * t.hi, z2 = z * z;
    return {t, t.hi * z * math::Series(kSineLead, kSinePoly, z, z2),
            z * math::Series(kCosineLead, kCosinePoly, z, z2)};
}

// sin(j pi / kTableSteps + t) as an unnormalized pair: S + C t exactly in the high part
// (|S| > |C t| unless S is 0), the rest in the low part.
inline TPair SineAt(unsigned j, const TRemainder& r) {
    const TTableEntry& S = kSineTable[j & kStepMask];
    const TTableEntry& C = kSineTable[(j + kQuarterTurn) & kStepMask];
    const Extended th = r.t.hi, Sh = S.Hi(), Ch = C.Hi();
    const TPair product = pair::TwoProduct(Ch, C.Halves(), th);
    const TPair sum = pair::FastTwoSum(Sh, product.hi);
    // t.lo goes in to first order, times the derivative cos(j pi / kTableSteps + t.hi).
    const Extended rSlope = Ch + (Ch * r.rCosineExcess - Sh * (th + r.rSineExcess));
    const Extended rLow = ((sum.lo + product.lo) + (S.lo + C.lo * th)) +
                          ((Sh * r.rCosineExcess + Ch * r.rSineExcess) + rSlope * r.t.lo);
    return {sum.hi, rLow};
}

// tan(j pi / kTableSteps + t), or its reciprocal: the quotient of QuickTangent.hpp with
// both parts formed as pairs of Extended values and divided once.
Extended TangentAt(unsigned j, const TPair& t, bool bReciprocal) {
    const TTangentStep step = TangentStepOf(j);
    const TTableEntry& T = kTangentTable[step.iIndex];
    const Extended z = t.hi * t.hi;
    // tan t - t.hi, with t.lo times the derivative 1 + tan^2 t.
    const Extended rTanLow = t.lo * (1 + z) + t.hi * z * math::Series(kTangentLead, kTangentPoly, z, z * z);
    const Extended Th = T.Hi();
    // |T| > |t| unless T is 0, and |T tan t| < 1.
    const TPair sum = pair::FastTwoSum(Th, t.hi);
    const TPair numerator{sum.hi, sum.lo + (T.lo + rTanLow)};
    const TPair product = pair::TwoProduct(Th, T.Halves(), t.hi);
    const TPair difference = pair::FastTwoSum(1, -product.hi);
    const TPair denominator{difference.hi, difference.lo - (product.lo + (Th * rTanLow + T.lo * t.hi))};
    const TPair quotient = step.bQuarterOn != bReciprocal ? pair::Quotient(denominator, numerator)
                                                          : pair::Quotient(numerator, denominator);
    const Extended rValue = pair::Value(quotient);
    return step.bQuarterOn ? -rValue : rValue;
}

// The full kernel from the start, for the rare argument whose rounding the quick one
// leaves open: reducing X again spares the common path from keeping the remainder.
[[gnu::noinline]] Extended FullTangent(Extended X, bool bReciprocal) {
    const TReduced reduced = Reduce(X, kTangentZerosAndPoles);
    return TangentAt(reduced.iStep, reduced.t, bReciprocal);
}

// The quick kernel, and the full one where the quick one cannot decide the rounding.
// Inline, so that the remainder reaches the kernel in registers: an Extended stored
// and loaded again costs more than the kernel's first steps.
[[gnu::always_inline]] inline Extended TangentOf(Extended X, bool bReciprocal) {
    const TReduced reduced = Reduce(X, kTangentZerosAndPoles);
    Extended rResult;
    if (RoundedForSure(QuickTangentAt(reduced.iStep, reduced.t, bReciprocal), rResult)) [[likely]]
        return rResult;
    return FullTangent(X, bReciprocal);
}

void RequireFinite(Extended X) {
    if (!std::isfinite(X)) RaiseInvalidOp();
}

// Below this sin X and tan X differ from X by less than a quarter of its ulp: they are
// X, and a zero keeps its sign.
constexpr Extended kOwnSine = 0x1p-32L;

// Below this cot X = 1 / X - X / 3 to far beyond Extended precision.
constexpr Extended kTinyCotangent = 0x1p-40L;

// 1 / X - X / 3 from the exact quotient's pair. Scaled to [1, 2) first, so that neither
// the quotient of a tiny X nor the pair arithmetic on it overflows before the end.
Extended TinyCotangent(Extended X) {
    int iExponent;
    const Extended rScaled = std::frexp(X, &iExponent) * 2;
    const TPair q = pair::Divide({1, 0}, {rScaled, 0});
    const Extended rCorrection = std::ldexp(rScaled / 3, 2 * (iExponent - 1));
    return FiniteOrRaise(std::ldexp(pair::Value({q.hi, q.lo - rCorrection}), 1 - iExponent));
}

}  // namespace

Extended Sin(Extended X) {
    RequireFinite(X);
    if (std::fabs(X) < kOwnSine) [[unlikely]]
        return X;
    const TReduced reduced = Reduce(X, kSineZeros);
    return pair::Value(SineAt(reduced.iStep, RemainderOf(reduced.t)));
}

Extended Cos(Extended X) {
    RequireFinite(X);
    const TReduced reduced = Reduce(X, kCosineZeros);
    return pair::Value(SineAt(reduced.iStep + kQuarterTurn, RemainderOf(reduced.t)));
}

// No Extended lies close enough to a pole for the tangent to overflow.
Extended Tan(Extended X) {
    RequireFinite(X);
    if (std::fabs(X) < kOwnSine) [[unlikely]]
        return X;
    return TangentOf(X, false);
}

// The reciprocal of the tangent from the same pairs, so it is rounded once; 0 is the
// only argument whose sine is 0.
Extended Cotan(Extended X) {
    RequireFinite(X);
    if (X == 0) RaiseZeroDivide();
    if (std::fabs(X) < kTinyCotangent) [[unlikely]]
        return TinyCotangent(X);
    return TangentOf(X, true);
}

}  // namespace rtl
