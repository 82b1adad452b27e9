#include <cmath>
#include <cstdint>

#include "framework/Math.hpp"
#include "framework/math/ExpLog.hpp"
#include "framework/math/ExtendedBits.hpp"
#include "framework/math/Wide.hpp"

namespace rtl {

using pair::TPair;
using wide::TInt128;
using wide::TUInt128;

namespace {

// sqrt(a^2 + b^2) as a pair, the squares exact: for sides whose result may leave the
// normal range, where a second rounding would spoil a denormal.
TPair HypotPair(Extended a, Extended b) {
    return pair::Sqrt(pair::Add(pair::TwoSquare(a), pair::TwoSquare(b)));
}

// A whole number S + f, f in [0, 1) held as f 2^128.
struct TSquareSum {
    TUInt128 iWhole;
    TUInt128 iFraction;
};

// a^2 + b^2 in units of 2^(2 ea - 126), for significands a (the larger side's) and b,
// b's exponent d below a's, d <= 35; the sum as S (at most 2^128 - 1) and f; false
// when it reaches 2^128.
bool SquareSum(std::uint64_t a, std::uint64_t b, int d, TSquareSum& sum) {
    const TUInt128 iSquareB = TUInt128(b) * b;
    const TUInt128 iShiftedB = d == 0 ? iSquareB : iSquareB >> (2 * d);
    sum.iFraction = d == 0 ? 0 : iSquareB << (128 - 2 * d);
    sum.iWhole = TUInt128(a) * a + iShiftedB;
    return sum.iWhole >= iShiftedB;
}

// Whether S + f, compared with the square of the midpoint q + 1/2 (bAbove) or q - 1/2,
// lies beyond it: with D = S - q^2, beyond q^2 + q + 1/4 or below q^2 - q + 1/4.
bool BeyondMidpoint(TInt128 D, TInt128 q, TUInt128 f, bool bAbove) {
    constexpr TUInt128 kQuarter = TUInt128(1) << 126;
    if (bAbove) return D > q || (D == q && f > kQuarter);
    return D < -q || (D == -q && f < kQuarter);
}

// The square root of S + f rounded to a whole number, for 2^126 <= S < 2^128 - 2^64:
// a double's root, one Newton step in integers, then the exact choice between
// neighbours by comparing with the squares of the midpoints.
std::uint64_t RoundedRoot(const TSquareSum& sum) {
    // The root is at least 2^63: converted as a signed number from there.
    constexpr double kHalfRange = 0x1p63;
    const double rRoot = std::sqrt(double(wide::High(sum.iWhole)) * 0x1p64);
    std::uint64_t q = rRoot >= 0x1p64 ? ~std::uint64_t(0) : std::uint64_t(std::int64_t(rRoot - kHalfRange)) + (std::uint64_t(1) << 63);
    const TInt128 D0 = TInt128(sum.iWhole - TUInt128(q) * q);
    // q + D0 / 2q, the correction a few thousand at most, rounded by adding 1.5 2^52.
    constexpr double kRounder = 0x1.8p52;
    const double rStep = double(std::int64_t(D0 >> 16)) * (0x1p15 / rRoot);
    q += std::int64_t((rStep + kRounder) - kRounder);
    const TInt128 D = TInt128(sum.iWhole - TUInt128(q) * q);
    if (BeyondMidpoint(D, q, sum.iFraction, true)) return q + 1;
    if (BeyondMidpoint(D, q, sum.iFraction, false)) return q - 1;
    return q;
}

// sqrt(a^2 + b^2) for sides in the normal range, a >= b > 0, b >= 2^-35 a, whose result
// is normal too: the root of the exact sum of squares, rounded once.
Extended HypotOfNormals(bits::TUnpacked a, bits::TUnpacked b) {
    TSquareSum sum;
    int e = a.iExponent - 63;  // of the root's unit
    if (!SquareSum(a.iSignificand, b.iSignificand, a.iExponent - b.iExponent, sum)) {
        // The carry out: (2^128 + S + f) / 4, the root's unit one up.
        const TUInt128 iLost = (sum.iWhole & 3) << 126;
        sum.iFraction = iLost | (sum.iFraction >> 2) | ((sum.iFraction & 3) != 0);
        sum.iWhole = (TUInt128(1) << 126) | (sum.iWhole >> 2);
        ++e;
    }
    // From (2^64 - 1/2)^2 on, the root rounds to 2^64.
    constexpr TUInt128 kTop = ~TUInt128(0) - (TUInt128(1) << 64) + 2;
    if (sum.iWhole >= kTop) return bits::ScaledByPowerOfTwo(1, e + 64);
    return bits::ScaledByPowerOfTwo(wide::FromSignificand(RoundedRoot(sum)), e);
}

}  // namespace

// sqrt(X^2 + Y^2), rounded once. The sides are read from their bits; those whose root
// may leave the normal range are scaled first so that the larger is in [1, 2), and the
// scale goes back in with the final rounding, which also gets a denormal result right.
Extended Hypot(Extended X, Extended Y) {
    bits::TUnpacked a = bits::Unpacked(X), b = bits::Unpacked(Y);
    if (__builtin_expect(a.iExponent > bits::kMaxExponent || b.iExponent > bits::kMaxExponent, 0)) {
        explog::Finite(X);
        explog::Finite(Y);
    }
    // A zero's exponent field says nothing of its size.
    const bool bSwap = a.iSignificand == 0 || (b.iSignificand != 0 && (b.iExponent > a.iExponent ||
                                                                      (b.iExponent == a.iExponent && b.iSignificand > a.iSignificand)));
    if (bSwap) std::swap(a, b);
    const Extended rLarger = std::fabs(bSwap ? Y : X);
    if (b.iSignificand == 0) return rLarger;
    // From 2^-35 a down, b^2 is lost below the last bit of a^2 and b below that of the root.
    if (a.iExponent - b.iExponent >= 35) return rLarger;
    constexpr int kSafe = 16000;
    if (a.iExponent < kSafe && a.iExponent > -kSafe) return HypotOfNormals(a, b);
    const Extended rSmaller = std::fabs(bSwap ? X : Y);
    const int e = a.iExponent;
    const TPair root = HypotPair(bits::ScaledByPowerOfTwo(rLarger, -e), bits::ScaledByPowerOfTwo(rSmaller, -e));
    return explog::Finite(explog::Rounded({root, e}));
}

}  // namespace rtl
