#include "framework/math/Power.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

#include "framework/Math.hpp"
#include "framework/math/ExpLog.hpp"
#include "framework/math/ExtendedBits.hpp"

namespace rtl {

using pair::TPair;

namespace {

__extension__ typedef unsigned __int128 TUInt128;

constexpr Extended kInfinity = std::numeric_limits<Extended>::infinity();

// A positive m 2^e, 1 <= m < 2, with m held to 128 bits as iSignificand = m 2^127. Products
// of whole powers are carried this way: each one is cut to 128 bits (a relative error
// below 2^-126), and the exponent cannot overflow, however large the power.
struct TWide {
    TUInt128 iSignificand;
    std::int64_t iExponent;
};

// iTop = m 2^126 with 1 <= m < 4, back to the form above.
TWide Normalized(TUInt128 iTop, std::int64_t iExponent) {
    if (iTop >> 127) return {iTop, iExponent + 1};
    return {iTop << 1, iExponent};
}

TWide Squared(TWide a) {
    const std::uint64_t hi = std::uint64_t(a.iSignificand >> 64), lo = std::uint64_t(a.iSignificand);
    // The top half of the 256-bit square; lo * lo and the carries below it are dropped.
    const TUInt128 iTop = TUInt128(hi) * hi + ((TUInt128(hi) * lo) >> 63);
    return Normalized(iTop, 2 * a.iExponent);
}

TWide Times(TWide a, bits::TUnpacked b) {
    const std::uint64_t hi = std::uint64_t(a.iSignificand >> 64), lo = std::uint64_t(a.iSignificand);
    const TUInt128 iTop = TUInt128(hi) * b.iSignificand + ((TUInt128(lo) * b.iSignificand) >> 64);
    return Normalized(iTop, a.iExponent + b.iExponent);
}

// |x|^n for n >= 1, by squaring from the top bit of n down.
TWide WidePower(Extended x, std::uint64_t n) {
    const bits::TUnpacked base = bits::Unpacked(x);
    TWide power{TUInt128(base.iSignificand) << 64, base.iExponent};
    for (int iBit = 62 - __builtin_clzll(n); iBit >= 0; --iBit) {
        power = Squared(power);
        if ((n >> iBit) & 1) power = Times(power, base);
    }
    return power;
}

// The 128-bit significand as an exact pair in [1, 2).
TPair SignificandPair(TUInt128 iSignificand) {
    const Extended hi = bits::FromRaw(std::uint64_t(iSignificand >> 64), bits::kExponentBias);
    const std::uint64_t iLow = std::uint64_t(iSignificand);
    if (iLow == 0) return {hi, 0};
    const int iShift = __builtin_clzll(iLow);
    const Extended lo = bits::FromRaw(iLow << iShift, std::uint16_t(bits::kExponentBias - 64 - iShift));
    return pair::FastTwoSum(hi, lo);
}

// Far enough beyond the range that the pair's rounding gives INF or 0.
int ClampedExponent(std::int64_t e) {
    constexpr std::int64_t kLimit = 40000;
    return int(e > kLimit ? kLimit : e < -kLimit ? -kLimit : e);
}

}  // namespace

namespace power {

Extended IntPowerOrInfinity(Extended Base, int Exponent) {
    if (Exponent == 0) return 1;
    const bool bNegative = Base < 0 && (Exponent & 1);
    Extended rMagnitude;
    if (Base == 0) {
        rMagnitude = Exponent < 0 ? kInfinity : 0;
    } else {
        // Widened before negating: -INT32_MIN does not fit an int.
        const std::int64_t n = Exponent;
        const TWide power = WidePower(Base, std::uint64_t(n < 0 ? -n : n));
        const TPair significand = SignificandPair(power.iSignificand);
        // A negative power divides only once, at the end, so that neither an overflow
        // of the intermediate power nor a second rounding can spoil a tiny result.
        rMagnitude = n > 0 ? explog::Rounded({significand, ClampedExponent(power.iExponent)})
                           : explog::Rounded({pair::Divide({1, 0}, significand),
                                              ClampedExponent(-power.iExponent)});
    }
    return bNegative ? -rMagnitude : rMagnitude;
}

}  // namespace power

Extended IntPower(Extended Base, int Exponent) {
    if (Base == 0 && Exponent < 0) RaiseZeroDivide();
    return FiniteOrRaise(power::IntPowerOrInfinity(FiniteOrRaise(Base), Exponent));
}

Extended Power(Extended Base, Extended Exponent) {
    if (Exponent == 0) return 1;
    if (Base == 0) {
        if (Exponent < 0) RaiseZeroDivide();
        return 0;
    }
    if (Exponent == std::trunc(Exponent) && Exponent >= INT32_MIN && Exponent <= INT32_MAX)
        return IntPower(Base, int(Exponent));
    if (Base < 0) RaiseInvalidOp();
    // e^(Exponent ln Base), the logarithm and the product carried as pairs, so that a
    // large result keeps its last digits.
    const TPair rLn = explog::LnPair(FiniteOrRaise(Base));
    const Extended rEstimate = FiniteOrRaise(Exponent) * rLn.hi;
    if (rEstimate > explog::kExpOverflowBound) RaiseOverflow();
    if (rEstimate < explog::kExpUnderflowBound) return 0;
    return FiniteOrRaise(explog::Rounded(explog::ExpScaled(pair::Multiply(rLn, Exponent))));
}

}  // namespace rtl
