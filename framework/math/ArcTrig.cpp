// Arc sine, arc cosine and the angle of a point. Each comes down to the angle of a
// point (x, y) of the first quadrant, folded into its first octant: with r = y / x in
// [0, 1] and c = i / 64 the nearest table point,
//     atan r = atan c + atan u,   u = (y - c x) / (x + c y),   |u| <= 1 / 128,
// where atan c comes from the table as a pair (already combined with the octant's
// multiple of pi / 2), u is formed as a pair and atan u - u, below 2^-15 of u, needs
// only Extended precision. The result is rounded once, at the end.
#include <cmath>

#include "framework/Math.hpp"
#include "framework/math/DoublePair.hpp"
#include "framework/math/ExtendedBits.hpp"
#include "framework/math/NearestWhole.hpp"
#include "framework/math/Polynomial.hpp"
#include "framework/math/TrigTables.hpp"

namespace rtl {

namespace {

using pair::TPair;
using namespace trig;

// Coordinates come as pairs or, from ArcTan2, as plain Extended values, whose absent
// low parts then cost nothing.
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

// The angle of the point (x, y) for y, x > 0, reflected as in Angle, from the bits of
// the coordinates. With far <= near the two magnitudes, far = F 2^-d, near = N (their
// significands F, N and exponent difference d), and c = i / kAtanSteps next to their
// ratio,
//     u = (far - c near) / (near + c far) = (kAtanSteps F - i N 2^d) / (kAtanSteps N 2^d + i F)
// is a quotient of two whole numbers of at most 80 bits, formed exactly in integers and
// divided once in doubles. Where c is 0 (d >= 8 or a small ratio) u = F / N 2^-d.
// Only the arc tangent's excess over u needs the x87.
constexpr int kPlainShift = 40;  // the largest d taken here; beyond it u is tiny

// A positive coordinate (iSignificand + rLow) 2^(iExponent - 63), the significand's top
// bit set: an Extended (rLow = 0), or a cathetus carried beyond 64 bits (|rLow| < 1).
struct TCoordinate {
    std::uint64_t iSignificand;
    int iExponent;
    double rLow;
};

TCoordinate CoordinateOf(const bits::TUnpacked& a) { return {a.iSignificand, a.iExponent, 0}; }

struct TRatio {
    dpair::TDoublePair u;
    unsigned iStep;  // i
};

__extension__ typedef unsigned __int128 TUInt128;

// The significand's low 11 bits and rLow, in units of its top 53 bits. Extended
// coordinates (bLow false) have no rLow, and skip its arithmetic.
template <bool bLow>
double LowOf(const TCoordinate& a) {
    if constexpr (bLow) return (double(a.iSignificand & 0x7FF) + a.rLow) * 0x1p-11;
    return double(a.iSignificand & 0x7FF) * 0x1p-11;
}

template <bool bLow>
TRatio PlainRatio(const TCoordinate& far, const TCoordinate& near) {
    const int d = near.iExponent - far.iExponent;
    const double rFar = double(std::int64_t(far.iSignificand >> 11));
    const double rNear = double(std::int64_t(near.iSignificand >> 11));
    // The ratio estimated with N's inverse to 2^-8 rather than divided, which would
    // hold up all that follows: i may miss the nearest by a quarter, which the arc
    // tangent's series allows for.
    const double rInverse = kSliceInverse[(near.iSignificand >> 56) % kInverseSlots];
    const unsigned i = d >= 8 ? 0 : unsigned(rFar * (kAtanSteps * 0x1p-52 * bits::PowerOfTwo(-d)) * rInverse + 0.5);
    if (i == 0) {
        const dpair::TDoublePair q = dpair::Quotient({rFar, LowOf<bLow>(far)}, {rNear, LowOf<bLow>(near)});
        const double rScale = bits::PowerOfTwo(-d);
        return {{q.hi * rScale, q.lo * rScale}, 0};
    }
    const TUInt128 rShiftedNear = TUInt128(near.iSignificand) << d;
    const dpair::TInt128 numerator = dpair::TInt128(TUInt128(far.iSignificand) * kAtanSteps - rShiftedNear * i);
    const TUInt128 denominator = rShiftedNear * kAtanSteps + TUInt128(far.iSignificand) * i;
    dpair::TDoublePair a = dpair::FromWhole(numerator), b = dpair::FromWhole(dpair::TInt128(denominator));
    if constexpr (bLow) {
        // The low parts add far less than the whole numbers' last bits, however those
        // cancel.
        const double rNearLow = near.rLow * bits::PowerOfTwo(d);
        a.lo += far.rLow * kAtanSteps - rNearLow * i;
        b.lo += rNearLow * kAtanSteps + far.rLow * i;
    }
    return {dpair::Quotient(a, b), i};
}

// The series' lead as two doubles: loading an Extended constant is slow.
constexpr double kArcTanLeadHigh = double(kArcTanLead);
constexpr double kArcTanLeadLow = double(kArcTanLead - kArcTanLeadHigh);

bool IsGreater(const TCoordinate& a, const TCoordinate& b) {
    return a.iExponent > b.iExponent || (a.iExponent == b.iExponent && a.iSignificand > b.iSignificand);
}

template <bool bLow>
Extended PlainAngle(const TCoordinate& y, const TCoordinate& x, bool bReflected) {
    const bool bSteep = IsGreater(y, x);
    const TRatio ratio = PlainRatio<bLow>(bSteep ? x : y, bSteep ? y : x);
    // atan is odd: the octants that subtract their arc tangent take it of -u.
    const unsigned iOctant = bReflected ? (bSteep ? 2 : 3) : (bSteep ? 1 : 0);
    const double q = iOctant & 1 ? -ratio.u.hi : ratio.u.hi, ql = iOctant & 1 ? -ratio.u.lo : ratio.u.lo;
    // atan u = atan q + ql / (1 + q^2) for u = q + ql, to far below an ulp, and
    // atan q = q + q^3 (lead + tail): only q^3 and its sum with the lead need the x87;
    // the tail, below 2^-16, and ql's share are formed in doubles meanwhile.
    const double z = q * q;
    const double rTail = z * math::EstrinIn<double>(kArcTanPoly, z, z * z);
    const double rLowShare = ql * (1 - z);
    const Extended rQ = q;
    const Extended rExcess = rQ * rQ * rQ * (Extended(kArcTanLeadHigh) + (kArcTanLeadLow + rTail));
    const TTableEntry& base = kOctantAngles[iOctant][ratio.iStep];
    const TPair sum = pair::FastTwoSum(base.Hi(), rQ);
    return sum.hi + (sum.lo + (base.lo + (rLowShare + rExcess)));
}

bool IsNormal(const bits::TUnpacked& a) {
    return a.iExponent >= bits::kMinNormalExponent && a.iExponent <= bits::kMaxExponent && (a.iSignificand >> 63) != 0;
}

bool IsPlainPoint(const bits::TUnpacked& y, const bits::TUnpacked& x) {
    const int d = y.iExponent - x.iExponent;
    return IsNormal(y) && IsNormal(x) && d <= kPlainShift && d >= -kPlainShift;
}

// sqrt(1 - X^2) for 2^-kPlainShift <= |X| < 1 from the bits of X, or false where the
// root's first guess lands on the edge of its binade (rare; the caller takes another
// way). With X = S 2^-m, 1 - X^2 = W 2^-128 for W = 2^128 - S^2 2^(128 - 2m), exact
// where it cancels (m = 64); W is shifted up by an even 2k, and its root r + delta
// taken from the double root r and the remainder W - r^2, exact in integers.
bool PlainCathetus(const bits::TUnpacked& x, TCoordinate& cathetus) {
    const int m = 63 - x.iExponent;
    const TUInt128 w = TUInt128(0) - ((TUInt128(x.iSignificand) * x.iSignificand) >> (2 * m - 128));
    const std::uint64_t iHigh = std::uint64_t(w >> 64);
    const int iLeading = iHigh != 0 ? __builtin_clzll(iHigh) : 64 + __builtin_clzll(std::uint64_t(w));
    const int k = iLeading / 2;
    const TUInt128 wShifted = w << (2 * k);
    const double rRoot = std::sqrt(double(std::int64_t(wShifted >> 65)) * 0x1p65);
    // r is a multiple of 2^11; outside [2^63, 2^64) it would not fit the significand.
    if (!(rRoot >= 0x1p63 && rRoot < 0x1p64)) return false;
    const std::uint64_t r = std::uint64_t(std::int64_t(rRoot * 0.5)) << 1;
    const dpair::TInt128 remainder = dpair::TInt128(wShifted - TUInt128(r) * r);
    const double rDelta = dpair::FromWhole(remainder).hi / (2 * rRoot);
    const std::int64_t iDelta = std::int64_t(rDelta);
    cathetus = {r + std::uint64_t(iDelta), -1 - k, rDelta - double(iDelta)};
    return (cathetus.iSignificand >> 63) != 0;
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

// Whether |X| lies in [2^-kPlainShift, 1), where the cathetus is a plain coordinate
// beside X.
bool IsPlainLeg(const bits::TUnpacked& x) {
    return x.iExponent >= -kPlainShift && x.iExponent < 0 && (x.iSignificand >> 63) != 0;
}

// Below this asin X = X + X^3 / 6 to far beyond Extended precision.
constexpr Extended kTinyArcSine = 0x1p-40L;

// The angle of a point off the plain path: a zero, infinite or NaN coordinate, or two
// of very different sizes. Kept out of ArcTan2, so that its registers and its merged
// returns through memory stay off the common path. A point on the negative axis gets
// pi whatever the sign of its zero ordinate, and (0, 0) gets 0.
[[gnu::noinline]] Extended AngleOfUnusualPoint(Extended Y, Extended X) {
    const Extended rY = std::fabs(Y), rX = std::fabs(X);
    const Extended rLarger = rY > rX ? rY : rX, rSmaller = rY > rX ? rX : rY;
    if (rLarger <= kPlainHigh && rSmaller >= kPlainLow) {
        const Extended rAngle = Angle(rY, rX, X < 0);
        return Y < 0 ? -rAngle : rAngle;
    }
    if (std::isnan(Y) || std::isnan(X)) RaiseInvalidOp();
    ReduceInfinities(Y, X);
    if (Y == 0) return X < 0 ? Pi : Y;
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
    if (!IsPlainPoint(y, x)) [[unlikely]] return AngleOfUnusualPoint(Y, X);
    const Extended rAngle = PlainAngle<false>(CoordinateOf(y), CoordinateOf(x), x.bNegative);
    return y.bNegative ? -rAngle : rAngle;
}

}  // namespace rtl
