#include "framework/math/Power.hpp"

#include <cmath>
#include <cstdint>

#include "framework/Math.hpp"
#include "framework/math/ExpLog.hpp"
#include "framework/math/ExtendedBits.hpp"

namespace rtl {

using pair::TPair;

namespace {

__extension__ typedef unsigned __int128 TUInt128;

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

// a * b, b a 64-bit significand iFactor * 2^(iExponent - 63).
TWide Times(TWide a, std::uint64_t iFactor, int iExponent) {
    const std::uint64_t hi = std::uint64_t(a.iSignificand >> 64), lo = std::uint64_t(a.iSignificand);
    const TUInt128 iTop = TUInt128(hi) * iFactor + ((TUInt128(lo) * iFactor) >> 64);
    return Normalized(iTop, a.iExponent + iExponent);
}

// |x|^n for n >= 1, by squaring from the top bit of n down.
TWide WidePower(bits::TUnpacked base, std::uint64_t n) {
    TWide power{TUInt128(base.iSignificand) << 64, base.iExponent};
    for (int iBit = 62 - __builtin_clzll(n); iBit >= 0; --iBit) {
        power = Squared(power);
        if ((n >> iBit) & 1) power = Times(power, base.iSignificand, base.iExponent);
    }
    return power;
}

// A 64-bit significand (its top bit set) as a whole number, exactly, though the x87
// converts only signed numbers.
Extended FromSignificand(std::uint64_t i) {
    constexpr std::uint64_t kTop = std::uint64_t(1) << 63;
    return Extended(std::int64_t(i ^ kTop)) + 0x1p63;
}

// The 128-bit significand as a pair in [1, 2), exact to 2^-126.
TPair SignificandPair(TUInt128 iSignificand) {
    const Extended hi = FromSignificand(std::uint64_t(iSignificand >> 64)) * 0x1p-63L;
    const Extended lo = Extended(std::int64_t(std::uint64_t(iSignificand) >> 1)) * 0x1p-126L;
    return pair::FastTwoSum(hi, lo);
}

// Far enough beyond the range that the pair's rounding gives INF or 0.
int ClampedExponent(std::int64_t e) {
    constexpr std::int64_t kLimit = 40000;
    return int(e > kLimit ? kLimit : e < -kLimit ? -kLimit : e);
}

// The power rounded to Extended: in the normal range by rounding the significand to
// 64 bits in integers (to nearest, ties to even), elsewhere through a pair.
Extended Rounded(TWide power) {
    const std::int64_t e = power.iExponent;
    if (e < bits::kMinNormalExponent || e > bits::kMaxExponent)
        return explog::Rounded({SignificandPair(power.iSignificand), ClampedExponent(e)});
    std::uint64_t iKept = std::uint64_t(power.iSignificand >> 64);
    const std::uint64_t iRest = std::uint64_t(power.iSignificand);
    constexpr std::uint64_t kHalf = std::uint64_t(1) << 63;
    if (iRest > kHalf || (iRest == kHalf && (iKept & 1))) ++iKept;
    // A carry out of the top bit leaves 2^64 as 0: 2^63 with the exponent one up.
    if (iKept == 0) return bits::ScaledByPowerOfTwo(1, int(e) + 1);
    return bits::ScaledByPowerOfTwo(FromSignificand(iKept), int(e) - 63);
}

// Base^Exponent for a Base already unpacked; the sign and the failures are the caller's.
Extended Magnitude(bits::TUnpacked base, int Exponent) {
    if (base.iSignificand == 0) return Exponent < 0 ? explog::kInfinity : 0;
    // Widened before negating: -INT32_MIN does not fit an int.
    const std::int64_t n = Exponent;
    const TWide power = WidePower(base, std::uint64_t(n < 0 ? -n : n));
    if (n > 0) return Rounded(power);
    // A negative power divides only once, at the end, so that neither an overflow of
    // the intermediate power nor a second rounding can spoil a tiny result.
    return explog::Rounded({pair::Divide({1, 0}, SignificandPair(power.iSignificand)),
                            ClampedExponent(-power.iExponent)});
}

// Base^Exponent from the bits of Base, which the callers take from their argument in
// memory: handing an Extended to a function costs an 80-bit store and load.
Extended SignedPower(bits::TUnpacked base, int Exponent) {
    if (Exponent == 0) return 1;
    const Extended rMagnitude = Magnitude(base, Exponent);
    return base.bNegative && (Exponent & 1) ? -rMagnitude : rMagnitude;
}

Extended WholePower(bits::TUnpacked base, int Exponent) {
    if (Exponent == 0) return 1;
    // An infinity (significand 1.0) or a NaN: the greatest exponent field. As in IEEE
    // arithmetic, an infinity to a negative power is 0.
    if (base.iExponent > bits::kMaxExponent) {
        if (base.iSignificand << 1 != 0) RaiseInvalidOp();
        if (Exponent < 0) return 0;
        RaiseOverflow();
    }
    // 0 to a negative power is a pole; any other infinity an overflow.
    return explog::Finite(SignedPower(base, Exponent), base.iSignificand == 0);
}

}  // namespace

namespace power {

Extended IntPowerOrInfinity(Extended Base, int Exponent) {
    return SignedPower(bits::Unpacked(Base), Exponent);
}

}  // namespace power

Extended IntPower(Extended Base, int Exponent) { return WholePower(bits::Unpacked(Base), Exponent); }

namespace {

// Whether x is a whole number within the 32-bit range, and which, from its bits alone:
// whole powers, the common case, then need no x87 work before their final rounding.
bool IsWholeInt(bits::TUnpacked x, int& n) {
    if (x.iSignificand == 0) {
        n = 0;
        return true;
    }
    if (x.iExponent < 0 || x.iExponent > 31) return false;
    const int iFractionBits = 63 - x.iExponent;
    if (x.iSignificand << (64 - iFractionBits) != 0) return false;
    const std::int64_t iWhole = std::int64_t(x.iSignificand >> iFractionBits);
    const std::int64_t iSigned = x.bNegative ? -iWhole : iWhole;
    if (iSigned < INT32_MIN || iSigned > INT32_MAX) return false;
    n = int(iSigned);
    return true;
}

// Base^Exponent for a fractional (or huge) Exponent: e^(Exponent ln Base), the logarithm
// and the product carried as pairs, so that a large result keeps its last digits. Kept
// out of Power: its registers would make Power copy Base for the whole powers too.
[[gnu::noinline]] Extended FractionalPower(Extended Base, Extended Exponent) {
    if (Base == 0) {
        if (Exponent < 0) RaiseZeroDivide();
        return 0;
    }
    if (Base < 0) RaiseInvalidOp();
    // ln 1 = 0 times any exponent, even one too large for the exact product below.
    if (Base == 1) return 1;
    const TPair rLn = explog::LnPair(explog::Finite(Base));
    const Extended rEstimate = explog::Finite(Exponent) * rLn.hi;
    if (rEstimate > explog::kExpOverflowBound) RaiseOverflow();
    if (rEstimate < explog::kExpUnderflowBound) return 0;
    return explog::Finite(explog::Rounded(explog::ExpScaled(pair::Multiply(rLn, Exponent))));
}

}  // namespace

Extended Power(Extended Base, Extended Exponent) {
    int n = 0;
    if (IsWholeInt(bits::Unpacked(Exponent), n)) return WholePower(bits::Unpacked(Base), n);
    return FractionalPower(Base, Exponent);
}

}  // namespace rtl
