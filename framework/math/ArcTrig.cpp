// Arc sine, arc cosine and the angle of a point. Each comes down to the arc tangent of a
// ratio q in [0, 1], carried as a pair; with c = i / 64 the nearest table point,
//     atan q = atan c + atan u,   u = (q - c) / (1 + q c),   |u| <= 1 / 128,
// where atan c comes from the table as a pair and atan u - u, below 2^-15 of u, needs
// only Extended precision. Quadrants are added in pairs too, so every result is rounded
// once.
#include <cmath>

#include "framework/Math.hpp"
#include "framework/math/NearestWhole.hpp"
#include "framework/math/Polynomial.hpp"
#include "framework/math/TrigTables.hpp"

namespace rtl {

namespace {

using pair::TPair;
using namespace trig;

// atan q for q in [0, 1].
TPair ArcTanOf(const TPair& q) {
    const math::TWhole nearest = math::NearestWhole(q.hi * kAtanSteps);
    const unsigned i = unsigned(nearest.iBits);
    const Extended c = nearest.rValue / kAtanSteps;
    const TPair u = i == 0 ? q
                           : pair::Divide(pair::Add(q, -c),
                                          pair::Add(pair::Multiply(q, c), Extended(1)));
    const Extended z = u.hi * u.hi;
    const Extended rExcess = u.hi * z * math::Estrin(kArcTanPoly, z, z * z);
    const TPair table = kArcTanTable[i];
    const TPair sum = pair::TwoSum(table.hi, u.hi);
    return pair::FastTwoSum(sum.hi, sum.lo + table.lo + u.lo + rExcess);
}

// The angle of the point (x, y) in the first quadrant, y, x >= 0, not both 0.
TPair FirstQuadrantAngle(const TPair& y, const TPair& x) {
    if (y.hi <= x.hi) return ArcTanOf(pair::Divide(y, x));
    return pair::Add(kHalfPi, pair::Negated(ArcTanOf(pair::Divide(x, y))));
}

TPair Supplement(const TPair& angle) { return pair::Add(kPiPair, pair::Negated(angle)); }

// Ratios of magnitudes within these bounds keep every step of the pair arithmetic
// clear of overflow and of the denormal range.
constexpr Extended kPlainLow = 0x1p-8000L, kPlainHigh = 0x1p8000L;

// The angle of (x, y) for magnitudes y, x >= 0 of any size, not both 0.
TPair FirstQuadrantAngle(Extended y, Extended x) {
    const Extended rLarger = std::fmax(y, x), rSmaller = std::fmin(y, x);
    if (rLarger <= kPlainHigh && rSmaller >= kPlainLow)
        return FirstQuadrantAngle(TPair{y, 0}, TPair{x, 0});
    // Scaled by the same power of two, so that the larger one is near 1.
    int iExponent;
    std::frexp(rLarger, &iExponent);
    const Extended rScaledSmaller = std::ldexp(rSmaller, -iExponent);
    if (rScaledSmaller < kPlainLow) {
        // The ratio is so small that its arc tangent is the ratio itself, rounded once.
        const TPair ratio{rSmaller / rLarger, 0};
        return y <= x ? ratio : pair::Add(kHalfPi, pair::Negated(ratio));
    }
    const Extended rScaledLarger = std::ldexp(rLarger, -iExponent);
    return y <= x ? FirstQuadrantAngle(TPair{rScaledSmaller, 0}, TPair{rScaledLarger, 0})
                  : FirstQuadrantAngle(TPair{rScaledLarger, 0}, TPair{rScaledSmaller, 0});
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

// sqrt(1 - X^2) for |X| <= 1, as a pair: 1 - X^2 is formed exactly, even where it
// cancels to a few bits near |X| = 1.
TPair Cathetus(Extended rMagnitude) {
    if (rMagnitude < 0.5L) return pair::Sqrt(pair::Add(TPair{1, 0}, pair::Negated(pair::TwoSquare(rMagnitude))));
    // (1 - X)(1 + X); the first factor is exact.
    return pair::Sqrt(pair::Multiply(pair::TwoSum(1, rMagnitude), 1 - rMagnitude));
}

void RequireSineRange(Extended X) {
    if (!(std::fabs(X) <= 1)) RaiseInvalidOp();
}

// Below this asin X = X + X^3 / 6 to far beyond Extended precision.
constexpr Extended kTinyArcSine = 0x1p-40L;

}  // namespace

Extended ArcSin(Extended X) {
    RequireSineRange(X);
    const Extended rMagnitude = std::fabs(X);
    if (rMagnitude < kTinyArcSine) return X + X * X * X / 6;
    const Extended rAngle = pair::Value(FirstQuadrantAngle(TPair{rMagnitude, 0}, Cathetus(rMagnitude)));
    return WithSignOf(rAngle, X);
}

Extended ArcCos(Extended X) {
    RequireSineRange(X);
    const Extended rMagnitude = std::fabs(X);
    const TPair angle = FirstQuadrantAngle(Cathetus(rMagnitude), TPair{rMagnitude, 0});
    return pair::Value(X < 0 ? Supplement(angle) : angle);
}

// The angle in (-pi, pi]: a point on the negative axis gets pi whatever the sign of its
// zero ordinate, and (0, 0) gets 0.
Extended ArcTan2(Extended Y, Extended X) {
    if (std::isnan(Y) || std::isnan(X)) RaiseInvalidOp();
    ReduceInfinities(Y, X);
    if (Y == 0) return X < 0 ? Pi : Y;
    const TPair angle = FirstQuadrantAngle(std::fabs(Y), std::fabs(X));
    return WithSignOf(pair::Value(X < 0 ? Supplement(angle) : angle), Y);
}

}  // namespace rtl
