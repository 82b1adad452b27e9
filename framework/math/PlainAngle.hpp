// Internal to the math unit: the angle of a point from the bits of its coordinates, for
// ArcTan2, ArcSin and ArcCos where the coordinates are of like size (see ArcTrig.cpp for
// the method they share with the other points).
#pragma once

#include <cmath>
#include <cstdint>

#include "framework/math/DoublePair.hpp"
#include "framework/math/ExtendedBits.hpp"
#include "framework/math/Pair.hpp"
#include "framework/math/Polynomial.hpp"
#include "framework/math/TrigTables.hpp"

namespace rtl::trig {

// The angle of the point (x, y) for y, x > 0, or reflected into the half-plane x <= 0
// (pi minus the angle), from the bits of the coordinates. With far <= near the two magnitudes, far = F 2^-d,
// near = N (their significands F, N and exponent difference d), and c = i / kAtanSteps next to their ratio,
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

inline TCoordinate CoordinateOf(const bits::TUnpacked& a) { return {a.iSignificand, a.iExponent, 0}; }

struct TRatio {
    dpair::TDoublePair u;
    unsigned iStep;  // i
};

__extension__ typedef unsigned __int128 TUInt128;

// The significand's low 11 bits and rLow, in units of its top 53 bits. Extended
// coordinates (bLow false) have no rLow, and skip its arithmetic.
template <bool bLow>
inline double LowOf(const TCoordinate& a) {
    if constexpr (bLow) return (double(a.iSignificand & 0x7FF) + a.rLow) * 0x1p-11;
    return double(a.iSignificand & 0x7FF) * 0x1p-11;
}

template <bool bLow>
inline TRatio PlainRatio(const TCoordinate& far, const TCoordinate& near) {
    const int d = near.iExponent - far.iExponent;
    const double rFar = double(std::int64_t(far.iSignificand >> 11));
    const double rNear = double(std::int64_t(near.iSignificand >> 11));
    // The ratio estimated with N's inverse to 2^-8 rather than divided, which would
    // hold up all that follows: i may miss the nearest by a quarter, which the arc
    // tangent's series allows for.
    const double rInverse = kSliceInverse[(near.iSignificand >> 56) % kInverseSlots];
    const unsigned i =
        d >= 8 ? 0 : unsigned(rFar * (kAtanSteps * 0x1p-52 * bits::PowerOfTwo(-d)) * rInverse + 0.5);
    if (i == 0) {
        const dpair::TDoublePair q = dpair::Quotient({rFar, LowOf<bLow>(far)}, {rNear, LowOf<bLow>(near)});
        const double rScale = bits::PowerOfTwo(-d);
        return {{q.hi * rScale, q.lo * rScale}, 0};
    }
    const TUInt128 rShiftedNear = TUInt128(near.iSignificand) << d;
    const dpair::TInt128 numerator =
        dpair::TInt128(TUInt128(far.iSignificand) * kAtanSteps - rShiftedNear * i);
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

inline bool IsGreater(const TCoordinate& a, const TCoordinate& b) {
    return a.iExponent > b.iExponent || (a.iExponent == b.iExponent && a.iSignificand > b.iSignificand);
}

template <bool bLow>
inline Extended PlainAngle(const TCoordinate& y, const TCoordinate& x, bool bReflected) {
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
    const pair::TPair sum = pair::FastTwoSum(base.Hi(), rQ);
    return sum.hi + (sum.lo + (base.lo + (rLowShare + rExcess)));
}

inline bool IsNormal(const bits::TUnpacked& a) {
    return a.iExponent >= bits::kMinNormalExponent && a.iExponent <= bits::kMaxExponent &&
           (a.iSignificand >> 63) != 0;
}

inline bool IsPlainPoint(const bits::TUnpacked& y, const bits::TUnpacked& x) {
    const int d = y.iExponent - x.iExponent;
    return IsNormal(y) && IsNormal(x) && d <= kPlainShift && d >= -kPlainShift;
}

// sqrt(1 - X^2) for 2^-kPlainShift <= |X| < 1 from the bits of X, or false where the
// root's first guess lands on the edge of its binade (rare; the caller takes another
// way). With X = S 2^-m, 1 - X^2 = W 2^-128 for W = 2^128 - S^2 2^(128 - 2m), exact
// where it cancels (m = 64); W is shifted up by an even 2k, and its root r + delta
// taken from the double root r and the remainder W - r^2, exact in integers.
inline bool PlainCathetus(const bits::TUnpacked& x, TCoordinate& cathetus) {
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

// Whether |X| lies in [2^-kPlainShift, 1), where the cathetus is a plain coordinate
// beside X.
inline bool IsPlainLeg(const bits::TUnpacked& x) {
    return x.iExponent >= -kPlainShift && x.iExponent < 0 && (x.iSignificand >> 63) != 0;
}

}  // namespace rtl::trig
