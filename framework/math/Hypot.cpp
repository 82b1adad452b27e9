#include <cmath>
#include <cstdint>

#include "framework/math/ExpLog.hpp"
#include "framework/math/ExtendedBits.hpp"
#include "framework/math/Math.hpp"
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

// A whole Extended value below 2^63 as an integer, by the x87's own conversion (which
// rounds as the unit does, to nearest): a plain cast would switch the rounding mode.
inline std::int64_t WholeBits(Extended rWhole) {
    std::int64_t i;
    asm("fistpll %0" : "=m"(i) : "t"(rWhole) : "st");
    return i;
}

// The square root of S + f rounded to a whole number, for 2^126 <= S < 2^128 - 2^64, as
// an Extended: the x87's root of S rounded to 64 bits, within one of the nearest whole
// number (half a unit for the rounding of S, half for the root's), then the exact
// choice between neighbours by comparing with the squares of the midpoints.
Extended RoundedRoot(const TSquareSum& sum) {
    // S rounded once to 64 bits, from its top 63 bits and the 63 below them (S's last
    // two bits weigh nothing), each converted as a signed number. S is at most
    // 2^128 - 2^64 here, and so is its rounding: the root stays below 2^64 - 1/2.
    constexpr std::uint64_t kLow63 = ~std::uint64_t(0) >> 1;
    const Extended rSquare = Extended(std::int64_t(sum.iWhole >> 65)) * 0x1p65L +
                             Extended(std::int64_t(std::uint64_t(sum.iWhole >> 2) & kLow63)) * 4;
    const Extended rRoot = std::sqrt(rSquare);
    const std::uint64_t q = std::uint64_t(WholeBits(rRoot - 0x1p63)) + (std::uint64_t(1) << 63);
    const TInt128 D = TInt128(sum.iWhole - TUInt128(q) * q);
    if (BeyondMidpoint(D, q, sum.iFraction, true)) return rRoot + 1;
    if (BeyondMidpoint(D, q, sum.iFraction, false)) return rRoot - 1;
    return rRoot;
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
    return bits::ScaledByPowerOfTwo(RoundedRoot(sum), e);
}

}  // namespace

// sqrt(X^2 + Y^2), rounded once. The sides are read from their bits; those whose root
// may leave the normal range are scaled first so that the larger is in [1, 2), and the
// scale goes back in with the final rounding, which also gets a denormal result right.
Extended Hypot(Extended X, Extended Y) {
    bits::TUnpacked a = bits::UnpackedInPlace(X), b = bits::UnpackedInPlace(Y);
    if (__builtin_expect(a.iExponent > bits::kMaxExponent || b.iExponent > bits::kMaxExponent, 0)) {
        explog::Finite(X);
        explog::Finite(Y);
    }
    // A zero's exponent field says nothing of its size.
    const bool bSwap =
        a.iSignificand == 0 ||
        (b.iSignificand != 0 &&
         (b.iExponent > a.iExponent || (b.iExponent == a.iExponent && b.iSignificand > a.iSignificand)));
    if (bSwap) std::swap(a, b);
    // The larger side's value is read only where it is returned: the x87 load of an
    // argument whose bits were just read costs more than the rest of the common path.
    // From 2^-35 a down, b^2 is lost below the last bit of a^2 and b below that of the root.
    if (b.iSignificand == 0 || a.iExponent - b.iExponent >= 35) return std::fabs(bSwap ? Y : X);
    constexpr int kSafe = 16000;
    if (a.iExponent < kSafe && a.iExponent > -kSafe) return HypotOfNormals(a, b);
    const int e = a.iExponent;
    const TPair root = HypotPair(bits::ScaledByPowerOfTwo(std::fabs(bSwap ? Y : X), -e),
                                 bits::ScaledByPowerOfTwo(std::fabs(bSwap ? X : Y), -e));
    return explog::Finite(explog::Rounded({root, e}));
}

}  // namespace rtl
