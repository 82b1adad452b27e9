// Arc sine, arc cosine and the angle of a point. Each comes down to the angle of a
// point (x, y) of the first quadrant, folded into its first octant: with r = y / x in
// [0, 1] and c = i / 64 the nearest table point,
//     atan r = atan c + atan u,   u = (y - c x) / (x + c y),   |u| <= 1 / 128,
// where atan c comes from the table as a pair (already combined with the octant's
// multiple of pi / 2), u is formed as a pair and atan u - u, below 2^-15 of u, needs
// only Extended precision. The result is rounded once, at the end. Points whose
// coordinates are of like size, nearly all, take the shorter way of PlainAngle.hpp.
#include <cmath>

#include "framework/math/Math.hpp"
#include "framework/math/NearestWhole.hpp"
#include "framework/math/PlainAngle.hpp"
#include "framework/math/Polynomial.hpp"
#include "framework/math/TrigTables.hpp"

namespace rtl {

namespace {

using pair::TPair;
using namespace trig;

// Coordinates come as pairs or, for the rare points of ArcTan2, as plain Extended
// values, whose absent low parts then cost nothing.
Extended High(const TPair& a) { return a.hi; }
Extended High(Extended a) { return a; }

// y - c x as an unnormalized pair, for c with a few bits: c times either half of x is
// exact.
TPair LessMultiple(const TPair& y, Extended c, const TPair& x) {
    const TPair halves = pair::Split(x.hi);
    const TPair difference = pair::TwoSum(y.hi, -(c * halves.hi));
    return {difference.hi, difference.lo - c * halves.lo + (y.lo - c * x.lo)};
}

TPair LessMultiple(Extended y, Extended c, Extended x) {
    const TPair halves = pair::Split(x);
    const TPair difference = pair::TwoSum(y, -(c * halves.hi));
    return {difference.hi, difference.lo - c * halves.lo};
}

// The angle of the point (x, y) for y, x >= 0, not both 0, in the half-plane x >= 0,
// or reflected into the half-plane x <= 0 (pi minus the angle) when bReflected. Inline:
// the pairs stay in registers rather than go through memory.
template <class TCoordinate>
[[gnu::always_inline]] inline Extended Angle(const TCoordinate& y, const TCoordinate& x, bool bReflected) {
    const bool bSteep = High(y) > High(x);
    const TCoordinate& near = bSteep ? y : x;  // the larger coordinate
    const TCoordinate& far = bSteep ? x : y;
    const math::TWhole nearest = math::NearestWhole(High(far) / High(near) * kAtanSteps);
    const Extended c = nearest.rValue / kAtanSteps;
    const TPair u = pair::Quotient(LessMultiple(far, c, near), LessMultiple(near, -c, far));
    const Extended rU = u.hi + u.lo, z = rU * rU;
    const Extended rExcess = rU * z * math::Series(kArcTanLead, kArcTanPoly, z, z * z);
    // Octants 1 and 3 subtract the arc tangent from their multiple of pi / 2.
    const unsigned iOctant = bReflected ? (bSteep ? 2 : 3) : (bSteep ? 1 : 0);
    const Extended rSign = iOctant & 1 ? -1 : 1;
    const TTableEntry& base = kOctantAngles[iOctant][nearest.iBits];
    const TPair sum = pair::FastTwoSum(base.Hi(), rSign * u.hi);
    return sum.hi + (sum.lo + (base.lo + rSign * (u.lo + rExcess)));
}

// Magnitudes within these bounds keep every step of the pair arithmetic clear of
// overflow and of the denormal range.
constexpr Extended kPlainLow = 0x1p-8000L, kPlainHigh = 0x1p8000L;

// The angle of (x, y) for magnitudes y, x >= 0 beyond those bounds, or 0.
Extended AngleOfExtremes(Extended y, Extended x, bool bReflected) {
    const Extended rLarger = y > x ? y : x, rSmaller = y > x ? x : y;
    // Scaled by the same power of two, so that the larger one is near 1.
    int iExponent;
    std::frexp(rLarger, &iExponent);
    if (std::ldexp(rSmaller, -iExponent) < kPlainLow) {
        // The ratio is so small that its arc tangent is the ratio itself, rounded once;
        // that of 0 / 0 is 0 too.
        const Extended rRatio = rLarger == 0 ? 0 : rSmaller / rLarger;
        return Angle(y > x ? 1 : rRatio, y > x ? rRatio : 1, bReflected);
    }
    return Angle(std::ldexp(y, -iExponent), std::ldexp(x, -iExponent), bReflected);
}

Extended WithSignOf(Extended rMagnitude, Extended rSign) {
    return std::signbit(rSign) ? -rMagnitude : rMagnitude;
}

// An infinite coordinate dominates: the point keeps only the signs of the finite one.
void ReduceInfinities(Extended& Y, Extended& X) {
    if (!std::isinf(Y) && !std::isinf(X)) return;
    Y = std::isinf(Y) ? std::copysign(Extended(1), Y) : std::copysign(Extended(0), Y);
    X = std::isinf(X) ? std::copysign(Extended(1), X) : std::copysign(Extended(0), X);
}

// 1 - X^2 for 0 <= X <= 1 as an unnormalized pair, exactly but for the last rounding
// of the low part, even where it cancels to a few bits near X = 1.
TPair OneLessSquare(Extended X) {
    if (X < 0.5L) {
        const TPair square = pair::TwoSquare(X);
        const TPair difference = pair::FastTwoSum(1, -square.hi);
        return {difference.hi, difference.lo - square.lo};
    }
    // (1 + X)(1 - X), whose second factor is exact.
    const Extended rLess = 1 - X;
    const TPair sum = pair::TwoSum(1, X);
    const TPair product = pair::TwoProduct(sum.hi, rLess);
    return {product.hi, product.lo + sum.lo * rLess};
}

// sqrt(1 - X^2) for 0 <= X <= 1, as an unnormalized pair.
TPair Cathetus(Extended X) { return pair::Root(OneLessSquare(X)); }

void RequireSineRange(Extended X) {
    if (!(std::fabs(X) <= 1)) RaiseInvalidOp();
}

// Below this asin X = X + X^3 / 6 to far beyond Extended precision.
constexpr Extended kTinyArcSine = 0x1p-40L;

// The angle of a point off the plain path: a zero, infinite or NaN coordinate, or two
// of very different sizes. Kept out of ArcTan2, so that its registers and its merged
// returns through memory stay off the common path. A point on the negative axis gets
// pi whatever the sign of its zero ordinate, and (0, 0) gets 0; a finite ordinate
// beside an abscissa of -INF keeps its side, pi or -pi, like any far-off point.
[[gnu::noinline]] Extended AngleOfUnusualPoint(Extended Y, Extended X) {
    const Extended rY = std::fabs(Y), rX = std::fabs(X);
    const Extended rLarger = rY > rX ? rY : rX, rSmaller = rY > rX ? rX : rY;
    if (rLarger <= kPlainHigh && rSmaller >= kPlainLow) {
        const Extended rAngle = Angle(rY, rX, X < 0);
        return Y < 0 ? -rAngle : rAngle;
    }
    if (std::isnan(Y) || std::isnan(X)) RaiseInvalidOp();
    const bool bOnAxis = Y == 0;
    ReduceInfinities(Y, X);
    if (Y == 0) return X < 0 ? (bOnAxis ? Pi : WithSignOf(Pi, Y)) : Y;
    return WithSignOf(AngleOfExtremes(std::fabs(Y), std::fabs(X), X < 0), Y);
}

}  // namespace

Extended ArcSin(Extended X) {
    RequireSineRange(X);
    const bits::TUnpacked x = bits::Unpacked(X);
    TCoordinate cathetus;
    if (IsPlainLeg(x) && PlainCathetus(x, cathetus)) [[likely]] {
        const Extended rAngle = PlainAngle<true>(CoordinateOf(x), cathetus, false);
        return x.bNegative ? -rAngle : rAngle;
    }
    const Extended rMagnitude = std::fabs(X);
    if (rMagnitude < kTinyArcSine) return X + X * X * X / 6;
    return WithSignOf(Angle(TPair{rMagnitude, 0}, Cathetus(rMagnitude), false), X);
}

Extended ArcCos(Extended X) {
    RequireSineRange(X);
    const bits::TUnpacked x = bits::Unpacked(X);
    TCoordinate cathetus;
    if (IsPlainLeg(x) && PlainCathetus(x, cathetus)) [[likely]]
        return PlainAngle<true>(cathetus, CoordinateOf(x), x.bNegative);
    const Extended rMagnitude = std::fabs(X);
    return Angle(Cathetus(rMagnitude), TPair{rMagnitude, 0}, X < 0);
}

// The angle in (-pi, pi]; see AngleOfUnusualPoint for the axes and (0, 0).
Extended ArcTan2(Extended Y, Extended X) {
    const bits::TUnpacked y = bits::Unpacked(Y), x = bits::Unpacked(X);
    if (!IsPlainPoint(y, x)) [[unlikely]]
        return AngleOfUnusualPoint(Y, X);
    const Extended rAngle = PlainAngle<false>(CoordinateOf(y), CoordinateOf(x), x.bNegative);
    return y.bNegative ? -rAngle : rAngle;
}

}  // namespace rtl
