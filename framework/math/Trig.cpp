// Sine, cosine, tangent and cotangent. The argument is reduced to a table step j and a
// remainder t (TrigReduce), and with S, C the sine and cosine of the step (from the
// table, as pairs)
//     sin(j pi / 128 + t) = S + C t + S (cos t - 1) + C (sin t - t)
// where S + C t is formed exactly and the other terms, below 2^-13 of the result, only
// need Extended precision. The result comes out as a pair good to about 2^-76 and is
// rounded once, which gives the correctly rounded value for nearly every argument.
#include <cmath>

#include "framework/Math.hpp"
#include "framework/math/Polynomial.hpp"
#include "framework/math/TrigReduce.hpp"
#include "framework/math/TrigTables.hpp"

namespace rtl {

namespace {

using pair::TPair;
using namespace trig;
using math::Horner;

constexpr unsigned kQuarterTurn = kTableSteps / 2;

// sin(j pi / kTableSteps) for any step j of the circle, from the quarter-wave table.
TPair TableSine(unsigned j) {
    j &= 2 * kTableSteps - 1;
    const unsigned iQuadrant = j / kQuarterTurn, iOffset = j % kQuarterTurn;
    const TPair value = kSineTable[iQuadrant & 1 ? kQuarterTurn - iOffset : iOffset];
    return iQuadrant & 2 ? pair::Negated(value) : value;
}

// The remainder's share of the sine and cosine beyond 1 + t.
struct TRemainder {
    TPair t;
    Extended rSineExcess;    // sin t - t
    Extended rCosineExcess;  // cos t - 1
};

TRemainder RemainderOf(const TPair& t) {
    const Extended z = t.hi * t.hi;
    return {t, t.hi * z * Horner(kSinePoly, z), z * Horner(kCosinePoly, z)};
}

// sin(j pi / kTableSteps + t) as a pair.
TPair SineAt(unsigned j, const TRemainder& r) {
    const TPair S = TableSine(j), C = TableSine(j + kQuarterTurn);
    const TPair product = pair::TwoProduct(C.hi, r.t.hi);
    const TPair sum = pair::TwoSum(S.hi, product.hi);
    // The derivative of the whole, C - S t, carries the remainder's low part.
    const Extended rLow = sum.lo + product.lo + S.lo + C.lo * r.t.hi + S.hi * r.rCosineExcess +
                          C.hi * r.rSineExcess + (C.hi - S.hi * r.t.hi) * r.t.lo;
    return pair::FastTwoSum(sum.hi, rLow);
}

struct TSineCosine {
    TPair sine;
    TPair cosine;
};

TSineCosine SineCosine(Extended X) {
    const TReduced reduced = Reduce(X);
    const TRemainder r = RemainderOf(reduced.t);
    return {SineAt(reduced.iStep, r), SineAt(reduced.iStep + kQuarterTurn, r)};
}

void RequireFinite(Extended X) {
    if (!std::isfinite(X)) RaiseInvalidOp();
}

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
    const TReduced reduced = Reduce(X);
    return pair::Value(SineAt(reduced.iStep, RemainderOf(reduced.t)));
}

Extended Cos(Extended X) {
    RequireFinite(X);
    const TReduced reduced = Reduce(X);
    return pair::Value(SineAt(reduced.iStep + kQuarterTurn, RemainderOf(reduced.t)));
}

// No Extended lies close enough to a pole for the tangent to overflow.
Extended Tan(Extended X) {
    RequireFinite(X);
    const TSineCosine sc = SineCosine(X);
    return pair::Value(pair::Divide(sc.sine, sc.cosine));
}

// The reciprocal of the tangent from the same pairs, so it is rounded once; 0 is the
// only argument whose sine is 0.
Extended Cotan(Extended X) {
    RequireFinite(X);
    if (X == 0) RaiseZeroDivide();
    if (std::fabs(X) < kTinyCotangent) return TinyCotangent(X);
    const TSineCosine sc = SineCosine(X);
    return pair::Value(pair::Divide(sc.cosine, sc.sine));
}

}  // namespace rtl
