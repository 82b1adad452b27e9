#include "framework/math/ExpLog.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

#include "framework/Math.hpp"
#include "framework/math/ExtendedBits.hpp"

namespace rtl {

using pair::TPair;

namespace explog {

namespace {

// hi + lo, two doubles with 106 bits between them.
struct TSplitConstant {
    double hi;
    double lo;
};

struct TLogCentre {
    double rReciprocal;
    TSplitConstant rLn;
};

#include "framework/math/ExpLogTables.inc"

constexpr Extended kInfinity = std::numeric_limits<Extended>::infinity();

// c[0] + c[1] x + c[2] x^2 + ... as E(x^2) + x O(x^2): the even and the odd
// coefficients in two independent chains, half as long as one.
template <std::size_t N>
Extended Polynomial(const double (&c)[N], Extended x) {
    const Extended x2 = x * x;
    std::size_t i = N - 1;
    Extended rTop = c[i], rNext = c[i - 1];
    for (; i >= 3; i -= 2) {
        rTop = rTop * x2 + c[i - 2];
        rNext = rNext * x2 + c[i - 3];
    }
    if (i == 2) return (rTop * x2 + c[0]) + x * rNext;  // odd N: rTop holds the even chain
    return rNext + x * rTop;
}

// x rounded to a whole number, for |x| < 2^62: adding 1.5 * 2^63 leaves no fraction bits.
Extended Nearest(Extended x) {
    constexpr Extended kShift = 0x3p62L;
    return (x + kShift) - kShift;
}

TPair Scaled(TPair x, int e) {
    const Extended rFactor = bits::PowerOfTwo(e);
    return {x.hi * rFactor, x.lo * rFactor};
}

// hi + lo rounded to a multiple of the denormal spacing for the result exponent e,
// given 1 <= hi < 2: the sum hi + 2^63 g rounds hi to a multiple of g, and lo then
// decides whether the rounding of hi alone went the wrong way.
Extended RoundedToDenormal(TPair x, int e) {
    if (e < bits::kMinNormalExponent - 64) return 0;
    const Extended rSpacing = bits::PowerOfTwo(bits::kMinNormalExponent - 63 - e);
    const Extended rShift = 0x1p63L * rSpacing;
    Extended rRounded = (rShift + x.hi) - rShift;
    const Extended rRest = (x.hi - rRounded) + x.lo;
    if (rRest > rSpacing / 2) rRounded += rSpacing;
    if (rRest < -rSpacing / 2) rRounded -= rSpacing;
    // A multiple of the spacing: both scalings are exact.
    return rRounded * bits::PowerOfTwo(e - bits::kMinNormalExponent) *
           bits::PowerOfTwo(bits::kMinNormalExponent);
}

// e^r - 1 for the reduced argument r = rHigh + rLow, |r| <= ln(2)/512.
TPair ExpM1Reduced(Extended rHigh, Extended rLow) {
    const TPair square = pair::TwoSquare(rHigh);
    const Extended rTail = square.hi * rHigh * (kExpTailLead + rHigh * Polynomial(kExpTail, rHigh));
    const TPair s = pair::FastTwoSum(rHigh, square.hi / 2);
    return pair::FastTwoSum(s.hi, s.lo + square.lo / 2 + rTail + rLow * (1 + rHigh));
}

}  // namespace

Extended Rounded(TScaled value) {
    TPair x = value.rSignificand;
    if (x.hi == 0) return 0;
    const bool bNegative = x.hi < 0;
    if (bNegative) x = pair::Negated(x);
    const int iOwnExponent = bits::ExponentOf(x.hi);
    const int e = iOwnExponent + value.iExponent;
    Extended rResult;
    if (e > bits::kMaxExponent) {
        rResult = kInfinity;
    } else if (e >= bits::kMinNormalExponent) {
        // Each half of the scaling stays within the range; only an overflow rounds.
        const int iHalf = value.iExponent / 2;
        rResult = pair::Value(x) * bits::PowerOfTwo(iHalf) * bits::PowerOfTwo(value.iExponent - iHalf);
    } else {
        rResult = RoundedToDenormal(Scaled(x, -iOwnExponent), e);
    }
    return bNegative ? -rResult : rResult;
}

TPair LnPair(TPair x) {
    // x = 2^e m, m in [1, 2); with the centre c' nearest to m and c ~ 1/c',
    // ln x = e ln 2 - ln c + ln(1 + r), r = m c - 1, |r| <= 2^-9.
    const bits::TUnpacked u = bits::Unpacked(x.hi);
    const unsigned iNearest = unsigned((u.iSignificand >> 54) + 1 - 0x200) >> 1;
    const TLogCentre& centre = kLogCentres[iNearest];
    const Extended e = u.iExponent + (iNearest >= unsigned(kLogFoldIndex) ? 1 : 0);
    // m in two 32-bit halves, whose products with the 32-bit c are exact; so is r.
    const Extended rHighHalf = Extended(std::int64_t(u.iSignificand >> 32)) * 0x1p-31L;
    const Extended rLowHalf = Extended(std::int64_t(u.iSignificand & 0xFFFFFFFF)) * 0x1p-63L;
    TPair r = pair::TwoSum(rHighHalf * centre.rReciprocal - 1, rLowHalf * centre.rReciprocal);
    if (x.lo != 0) r = pair::Add(r, x.lo * bits::PowerOfTwo(-u.iExponent) * centre.rReciprocal);

    // ln(1 + r) = r - r^2/2 + r^3 P(r); the first terms exact, the rest well below them.
    const TPair square = pair::TwoSquare(r.hi);
    const Extended rTail = square.hi * r.hi * (kLogTailLead + r.hi * Polynomial(kLogTail, r.hi));
    const TPair a = pair::TwoSum(e * kLn2[0], centre.rLn.hi);
    const TPair b = pair::TwoSum(a.hi, r.hi);
    const TPair c = pair::TwoSum(b.hi, -square.hi / 2);
    const Extended rLow = (e * kLn2[1] + e * kLn2[2] + centre.rLn.lo) + (a.lo + b.lo + c.lo) +
                          (r.lo - r.hi * r.lo - square.lo / 2 + rTail);
    return pair::FastTwoSum(c.hi, rLow);
}

TScaled ExpScaled(TPair x) {
    // x = n ln(2)/256 + r, n = 256 k + j: e^x = 2^k 2^(j/256) e^r.
    const Extended n = Nearest(x.hi * kStepsPerLn);
    const TPair r = pair::TwoSum(x.hi - n * kLn2Step[0], -n * kLn2Step[1]);
    const TPair q = ExpM1Reduced(r.hi, r.lo + (x.lo - n * kLn2Step[2]));
    const std::int64_t iSteps = std::int64_t(n);
    const TSplitConstant& t = kExp2Fraction[iSteps & 255];
    // t (1 + q), with t q.hi exact.
    const TPair p = pair::TwoProduct(t.hi, q.hi);
    const TPair s = pair::FastTwoSum(t.hi, p.hi);
    const Extended rLow = s.lo + p.lo + t.hi * q.lo + Extended(t.lo) * (1 + q.hi);
    return {pair::FastTwoSum(s.hi, rLow), int(iSteps >> 8)};
}

TPair ExpM1Pair(Extended x) {
    if (std::fabs(x) <= kLn2Step[0] / 2) return ExpM1Reduced(x, 0);
    const TScaled e = ExpScaled({x, 0});
    return pair::Add(Scaled(e.rSignificand, e.iExponent), -1);
}

Extended ExpOrInfinity(Extended x) {
    if (std::isnan(x)) return x;
    if (x > kExpOverflowBound) return kInfinity;
    if (x < kExpUnderflowBound) return 0;
    return Rounded(ExpScaled({x, 0}));
}

Extended ExpM1OrInfinity(Extended x) {
    // Beyond 64 in size, e^x and e^x - 1 round alike (or to -1).
    constexpr Extended kBound = 64;
    if (std::isnan(x)) return x;
    if (x > kBound) return ExpOrInfinity(x);
    if (x < -kBound) return -1;
    return pair::Value(ExpM1Pair(x));
}

}  // namespace explog

namespace {

// The logarithms share their failures: 0 is a pole, a negative number has none.
void RequireLogArgument(Extended X) {
    FiniteOrRaise(X);
    if (X == 0) RaiseZeroDivide();
    if (X < 0) RaiseInvalidOp();
}

}  // namespace

Extended Exp(Extended X) { return FiniteOrRaise(explog::ExpOrInfinity(X)); }
Extended ExpM1(Extended X) { return FiniteOrRaise(explog::ExpM1OrInfinity(X)); }

Extended Ln(Extended X) {
    RequireLogArgument(X);
    return pair::Value(explog::LnPair(X));
}

Extended LnXP1(Extended X) {
    RequireLogArgument(X + 1);
    return pair::Value(explog::LnPair(pair::TwoSum(1, X)));
}

Extended Log10(Extended X) {
    RequireLogArgument(X);
    return pair::Value(pair::Multiply(explog::LnPair(X), TPair{explog::kLog10OfE.hi, explog::kLog10OfE.lo}));
}

Extended Log2(Extended X) {
    RequireLogArgument(X);
    return pair::Value(pair::Multiply(explog::LnPair(X), TPair{explog::kLog2OfE.hi, explog::kLog2OfE.lo}));
}

Extended LogN(Extended Base, Extended X) {
    RequireLogArgument(Base);
    RequireLogArgument(X);
    const TPair rBaseLn = explog::LnPair(Base);
    // ln 1 is exactly 0: 0 / 0 has no value, anything else / 0 is a pole.
    if (rBaseLn.hi == 0) {
        if (X == 1) RaiseInvalidOp();
        RaiseZeroDivide();
    }
    return pair::Value(pair::Divide(explog::LnPair(X), rBaseLn));
}

}  // namespace rtl
