#include <cmath>
#include <cstdint>

#include "framework/math/ExpLog.hpp"
#include "framework/math/ExtendedBits.hpp"
#include "framework/math/Math.hpp"
#include "framework/math/NearestWhole.hpp"
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

// a^2 + b^2 as a whole number S and a fraction f in [0, 1). f counts only next to a
// midpoint's square, so the common path leaves it out: it is the bits of b^2 shifted out
// (SquareSumFraction), and after a carry out, which takes the sum down by a quarter, the
// sum's two lowest bits above them (iCarried, held times 2^128).
struct TSquareSum {
    TUInt128 iWhole;
    TUInt128 iCarried;
    bool bCarry;
};

// a^2 + b^2 in units of 2^(2 ea - 126), for significands a (of the larger exponent) and b,
// b's exponent d below a's, d <= 35; S at most 2^128 - 1; false when it reaches 2^128.
bool SquareSum(std::uint64_t a, std::uint64_t b, int d, TSquareSum& sum) {
    const TUInt128 iSquareB = TUInt128(b) * b;
    const TUInt128 iShiftedB = d == 0 ? iSquareB : iSquareB >> (2 * d);
    sum.iWhole = TUInt128(a) * a + iShiftedB;
    return sum.iWhole >= iShiftedB;
}

// f held as f 2^128, for the side b whose exponent is d below the other's.
TUInt128 SquareSumFraction(std::uint64_t b, int d, const TSquareSum& sum) {
    const TUInt128 iFraction = d == 0 ? 0 : (TUInt128(b) * b) << (128 - 2 * d);
    if (!sum.bCarry) return iFraction;
    return sum.iCarried | iFraction >> 2 | TUInt128((iFraction & 3) != 0);  // the last bit sticky
}

// The root of S (2^126 <= S <= 2^128 - 2^64) times 2^-32, rounded: from S rounded to
// its top 64 bits, less than 3/2 units of the root from sqrt(S + f) (half a unit and a
// hair for the rounding of S, as S is at least 2^126, half for the root's), so that
// q = root 2^32 is within one of the nearest whole number to sqrt(S + f). The x87 converts signed
// numbers only: the top bit goes in with an addition. At this scale the root needs no
// scaling before it is returned.
Extended ScaledRootEstimate(TUInt128 S) {
    // Half a unit added for the rounding, and 2^127 taken off for the signed conversion.
    constexpr TUInt128 kOffset = (TUInt128(1) << 63) - (TUInt128(1) << 127);
    Extended rRoot = Extended(std::int64_t(wide::High(S + kOffset))) + 0x1p63L;
    asm("fsqrt" : "+t"(rRoot));  // without the library's test for a negative argument
    return rRoot;
}

// The step, +1 or -1, from a q that is not the nearest whole number to sqrt(S + f):
// D = S - q^2 is then at least q or at most -q, and its sign says which way. Only at
// D = +-q, next to a midpoint's square q^2 +- q + 1/4, does the fraction decide;
// exactly on it the even neighbour wins, and q stays where it is even. Without a branch
// on the sign, which is a coin toss.
int StepBeyond(TInt128 D, std::uint64_t q, std::uint64_t b, int d, const TSquareSum& sum) {
    if (__builtin_expect(D == TInt128(q) || D == -TInt128(q), 0)) {
        constexpr TUInt128 kQuarter = TUInt128(1) << 126;
        const TUInt128 f = SquareSumFraction(b, d, sum);
        if (f == kQuarter) return (q & 1) == 0 ? 0 : D > 0 ? 1 : -1;
        if (D > 0) return f > kQuarter;
        return -int(f < kQuarter);
    }
    return 2 * int(D > 0) - 1;
}

// The square root of S + f rounded to a whole number, times 2^-32, for
// 2^126 <= S <= 2^128 - 2^64: the x87's estimate, right for most arguments, and the
// exact check of its whole number q, which says when it is not.
Extended RoundedRoot(const TSquareSum& sum, std::uint64_t b, int d) {
    const Extended rRoot = ScaledRootEstimate(sum.iWhole);
    const std::uint64_t q =
        std::uint64_t(math::NearestInteger((rRoot - 0x1p31L) * 0x1p32L)) + (std::uint64_t(1) << 63);
    // q is the nearest whole number to sqrt(S + f) when D = S - q^2 lies in [1 - q, q - 1],
    // that is when D + q - 1 lies in [0, 2q - 2]. Beyond, S + f may lie beyond a
    // midpoint's square q^2 +- q + 1/4.
    const TUInt128 iShifted = sum.iWhole - TUInt128(q) * (q - 1) - 1;  // D + q - 1
    if (__builtin_expect(iShifted < TUInt128(q - 1) + q, 1)) return rRoot;
    // The steps -1, 0 and +1 at this scale, read rather than converted.
    static constexpr double kScaledSteps[] = {-0x1p-32, 0, 0x1p-32};
    return rRoot + kScaledSteps[StepBeyond(TInt128(iShifted) - (q - 1), q, b, d, sum) + 1];
}

// sqrt(a^2 + b^2) for sides in the normal range, neither 0, b's exponent at most 34
// below a's and not above it, whose result is normal too: the root of the exact sum of squares, rounded once.
Extended HypotOfNormals(bits::TUnpacked a, bits::TUnpacked b) {
    TSquareSum sum;
    int e = a.iExponent - 63;  // of the root's unit
    const int d = a.iExponent - b.iExponent;
    sum.bCarry = !SquareSum(a.iSignificand, b.iSignificand, d, sum);
    if (sum.bCarry) {
        // The carry out: (2^128 + S + f) / 4, the root's unit one up.
        sum.iCarried = (sum.iWhole & 3) << 126;
        sum.iWhole = (TUInt128(1) << 126) | (sum.iWhole >> 2);
        ++e;
    }
    // From (2^64 - 1/2)^2 on, the root rounds to 2^64.
    constexpr TUInt128 kTop = ~TUInt128(0) - (TUInt128(1) << 64) + 2;
    if (__builtin_expect(sum.iWhole >= kTop, 0)) return bits::ScaledByPowerOfTwo(1, e + 64);
    return bits::ScaledByPowerOfTwo(RoundedRoot(sum, b.iSignificand, d), e + 32);
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
    // The sides' values are read only where they are returned: the x87 load of an
    // argument whose bits were just read costs more than the rest of the common path.
    // A zero's exponent field says nothing of its size.
    if (a.iSignificand == 0 || b.iSignificand == 0) return std::fabs(a.iSignificand == 0 ? Y : X);
    // a takes the larger exponent; with equal ones the order does not matter.
    const bool bSwap = b.iExponent > a.iExponent;
    if (bSwap) std::swap(a, b);
    // From 2^-35 a down, b^2 is lost below the last bit of a^2 and b below that of the root.
    if (a.iExponent - b.iExponent >= 35) return std::fabs(bSwap ? Y : X);
    constexpr int kSafe = 16000;
    if (a.iExponent < kSafe && a.iExponent > -kSafe) return HypotOfNormals(a, b);
    const int e = a.iExponent;
    const TPair root = HypotPair(bits::ScaledByPowerOfTwo(std::fabs(bSwap ? Y : X), -e),
                                 bits::ScaledByPowerOfTwo(std::fabs(bSwap ? X : Y), -e));
    return explog::Finite(explog::Rounded({root, e}));
}

}  // namespace rtl
