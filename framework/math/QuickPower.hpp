// Internal to the math unit: the quick kernel for whole powers x^n with 1 <= |n| <= 8.
// The significand's power comes from at most four truncated 128-bit products, a
// negative power from one Newton step on a double's reciprocal. The result is known to
// within 2^kQuickPowerSlack units of its 128th bit (2^kQuickReciprocalSlack for a
// negative power), which decides the rounding for all but about one argument in 2^50
// (2^36); those, and results near the ends of the range, are left to the full routine,
// which rounds them alike.
#pragma once

#include <cstdint>

#include "framework/math/ExtendedBits.hpp"
#include "framework/math/Wide.hpp"

namespace rtl::wide {

// The bounds on the error: 7 units below m^n, times 2^8 for its normalisation; and for
// the reciprocal, the Newton step's dropped eps^2 (below 2^-102.8 of the result) with
// the truncations and the power's own error, about 2^25.3 units.
inline constexpr int kQuickPowerSlack = 12;
inline constexpr int kQuickReciprocalSlack = 27;

// Powers of x whose exponent stays this far inside the range can neither overflow nor
// fall into the denormals, their rounding carries included.
inline constexpr int kQuickPowerExponentBound = 16320;

inline unsigned AbsoluteExponent(int n) { return n < 0 ? 0u - unsigned(n) : unsigned(n); }

// Whether the kernel takes x^n: 1 <= |n| <= 8, x normal (its leading bit set) and its
// power far from both ends of the range, which also keeps out 0, the denormals, INF
// and NaN.
inline bool IsQuickPower(bits::TUnpacked x, int n) {
    const unsigned k = AbsoluteExponent(n);
    const std::int64_t iExponent = std::int64_t(k) * x.iExponent;
    return k - 1 <= 7 && (x.iSignificand >> 63) != 0 && iExponent <= kQuickPowerExponentBound &&
           iExponent >= -kQuickPowerExponentBound;
}

// bCondition ? a : b, chosen half by half: the compiler would copy a whole 128-bit
// value through memory in two halves and read it back at once, which stalls.
inline TUInt128 Chosen(bool bCondition, TUInt128 a, TUInt128 b) {
    const std::uint64_t iHigh = bCondition ? High(a) : High(b), iLow = bCondition ? Low(a) : Low(b);
    return TUInt128(iHigh) << 64 | iLow;
}

// m^k / 2^(64 (k - 2)) for a significand m (top bit set) and 1 <= k <= 8: at least
// 2^(128 - k), at most 7 below the exact value (2 from each factor, 3 from their
// product), exact for k <= 2. From k = 3, m^k is m^2 m^(k-2) up to k = 4, then
// m^4 m^(k-4).
inline TUInt128 ScaledPower(std::uint64_t m, unsigned k) {
    const TUInt128 iFirst = TUInt128(m) << 64;  // m 2^64, exact
    const TUInt128 iSquare = TUInt128(m) * m;   // m^2, exact
    if (k <= 2) return k == 1 ? iFirst : iSquare;
    const TUInt128 iCube = HighProduct(iSquare, m);  // m^3 / 2^64, at most 1 below
    const TUInt128 iFourth = HighSquare(iSquare);    // m^4 / 2^128, at most 2 below
    const unsigned iRest = k > 4 ? k - 4 : k - 2;
    const TUInt128 iRight =
        Chosen(iRest > 2, Chosen(iRest == 4, iFourth, iCube), Chosen(iRest == 2, iSquare, iFirst));
    return HighProduct(Chosen(k > 4, iFourth, iSquare), iRight);
}

// |x|^k for 1 <= k <= 8, below the exact value by at most 2^kQuickPowerSlack units.
inline TWide QuickMagnitude(bits::TUnpacked x, unsigned k) {
    const TUInt128 iPower = ScaledPower(x.iSignificand, k);
    const int iShift = LeadingZeros(iPower);  // at most 8
    return {iPower << iShift, std::int64_t(k) * x.iExponent + std::int64_t(k) - 1 - iShift};
}

// 1 / w: y = 1/s, s = w's significand in [1, 2), from doubles to within 2^-51.4; then
// 1/s = y / (1 - eps) = y (1 + eps + eps^2 + ...), eps = 1 - s y taken from the top of
// the product s y in integers, and y (1 + eps) in 128 bits.
inline TWide Reciprocal(TWide w) {
    const double y = 0x1p52 / double(std::int64_t(High(w.iSignificand) >> 11));
    const std::int64_t iY = std::int64_t(y * 0x1p62);  // whole: y has 53 bits, y >= 1/2
    // eps 2^125, below 2^73.6 in size.
    const TInt128 iEps = (TInt128(1) << 125) - TInt128(HighProduct(w.iSignificand, std::uint64_t(iY)));
    // y 2^127 + y eps 2^127, the latter from eps's top 64 bits.
    const TUInt128 iQuotient =
        (TUInt128(iY) << 65) + TUInt128((TInt128(iY) * std::int64_t(iEps >> 12)) >> 48);
    const int iShift = LeadingZeros(iQuotient);  // the quotient lies in (2^126, 2^127]
    return {iQuotient << iShift, -w.iExponent - iShift};
}

// x^n for IsQuickPower(x, n) and n > 0, its sign aside; false when the rounding is left
// undecided.
inline bool QuickPower(bits::TUnpacked x, int n, TWide& power) {
    power = QuickMagnitude(x, unsigned(n));
    return IsFarFromTie(power, kQuickPowerSlack);
}

// The same for n < 0.
inline bool QuickReciprocalPower(bits::TUnpacked x, int n, TWide& power) {
    power = Reciprocal(QuickMagnitude(x, AbsoluteExponent(n)));
    return IsFarFromTie(power, kQuickReciprocalSlack);
}

}  // namespace rtl::wide
