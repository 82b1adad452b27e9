#include "framework/math/Power.hpp"

#include <cmath>
#include <cstdint>

#include "framework/math/ExpLog.hpp"
#include "framework/math/ExtendedBits.hpp"
#include "framework/math/Math.hpp"
#include "framework/math/QuickFractionalPower.hpp"
#include "framework/math/QuickPower.hpp"
#include "framework/math/Wide.hpp"

namespace rtl {

using pair::TPair;

namespace {

using wide::TUInt128;
using wide::TWide;

TWide Squared(TWide a) { return wide::Normalized(wide::HighSquare(a.iSignificand), 2 * a.iExponent); }

// a * b, b a 64-bit significand iFactor * 2^(iExponent - 63).
TWide Times(TWide a, std::uint64_t iFactor, int iExponent) {
    return wide::Normalized(wide::HighProduct(a.iSignificand, iFactor), a.iExponent + iExponent);
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

// Far enough beyond the range that the pair's rounding gives INF or 0.
int ClampedExponent(std::int64_t e) {
    constexpr std::int64_t kLimit = 40000;
    return int(e > kLimit ? kLimit : e < -kLimit ? -kLimit : e);
}

// Base^Exponent for a Base already unpacked; the sign and the failures are the caller's.
Extended Magnitude(bits::TUnpacked base, int Exponent) {
    if (base.iSignificand == 0) return Exponent < 0 ? explog::kInfinity : 0;
    // Widened before negating: -INT32_MIN does not fit an int.
    const std::int64_t n = Exponent;
    const TWide power = WidePower(base, std::uint64_t(n < 0 ? -n : n));
    if (n > 0) return wide::Rounded(power, false);
    // A negative power divides only once, at the end, so that neither an overflow of
    // the intermediate power nor a second rounding can spoil a tiny result.
    return explog::Rounded(
        {pair::Divide({1, 0}, wide::SignificandPair(power.iSignificand)), ClampedExponent(-power.iExponent)});
}

// Base^Exponent from the bits of Base, which the callers take from their argument in
// memory: handing an Extended to a function costs an 80-bit store and load.
Extended SignedPower(bits::TUnpacked base, int Exponent) {
    if (Exponent == 0) return 1;
    const Extended rMagnitude = Magnitude(base, Exponent);
    return base.bNegative && (Exponent & 1) ? -rMagnitude : rMagnitude;
}

// The same with the failures of IntPower.
[[gnu::noinline]] Extended FullWholePower(bits::TUnpacked base, int Exponent) {
    if (Exponent == 0) return 1;
    // An infinity (significand 1.0) or a NaN: the greatest exponent field. As in IEEE
    // arithmetic, an infinity to a negative power is 0, signed as 1 / INF^|n| is.
    if (base.iExponent > bits::kMaxExponent) {
        if (base.iSignificand << 1 != 0) RaiseInvalidOp();
        if (Exponent < 0) return base.bNegative && (Exponent & 1) ? -0.0L : 0.0L;
        RaiseOverflow();
    }
    // 0 to a negative power is a pole; any other infinity an overflow.
    return explog::Finite(SignedPower(base, Exponent), base.iSignificand == 0);
}

// |base|^n by the quick kernel, for IsQuickPower(base, n); false when it leaves the
// rounding undecided. Inline: where n is known, the kernel's products fold to the few
// that n needs.
[[gnu::always_inline]] inline bool QuickWholePower(bits::TUnpacked base, int n, TWide& power) {
    return n > 0 ? wide::QuickPower(base, n, power) : wide::QuickReciprocalPower(base, n, power);
}

// The quick kernel's |base|^n rounded, with the sign of base^n.
inline Extended RoundedPower(TWide power, bits::TUnpacked base, int n) {
    return wide::Rounded(power, base.bNegative && (n & 1));
}

// Base^Exponent for IsQuickPower(base, Exponent): the quick kernel's when it decides
// the rounding, else Full's. Out of line, so that the callers keep few registers and
// reach either routine by a jump.
template <Extended (*Full)(bits::TUnpacked, int)>
[[gnu::noinline]] Extended QuickPower(bits::TUnpacked base, int Exponent) {
    TWide power;
    if (QuickWholePower(base, Exponent, power)) return RoundedPower(power, base, Exponent);
    return Full(base, Exponent);
}

template <Extended (*Full)(bits::TUnpacked, int)>
Extended QuickOrFullPower(bits::TUnpacked base, int Exponent) {
    return wide::IsQuickPower(base, Exponent) ? QuickPower<Full>(base, Exponent) : Full(base, Exponent);
}

Extended WholePower(bits::TUnpacked base, int Exponent) {
    return QuickOrFullPower<FullWholePower>(base, Exponent);
}

}  // namespace

namespace power {

Extended IntPowerOrInfinity(Extended Base, int Exponent) {
    return QuickOrFullPower<SignedPower>(bits::Unpacked(Base), Exponent);
}

}  // namespace power

namespace {

// The quick kernel for a whole exponent n known at compile time, false when it leaves
// the result to the full routine: code of its own for each n, where the shared kernel
// picks among its products without a branch, for exponents that vary from call to call.
template <int n>
[[gnu::always_inline]] inline bool QuickKnownPower(bits::TUnpacked base, TWide& power) {
    return wide::IsQuickPower(base, n) && QuickWholePower(base, n, power);
}

template <int n>
[[gnu::noinline]] Extended KnownWholePower(bits::TUnpacked base) {
    TWide power;
    if (QuickKnownPower<n>(base, power)) return RoundedPower(power, base, n);
    return FullWholePower(base, n);
}

// Both kernels in one body, so that their independent chains interleave.
template <int n>
[[gnu::noinline]] TExtendedTwo KnownWholePowers(bits::TUnpacked first, bits::TUnpacked second) {
    TWide power1{}, power2{};
    if (QuickKnownPower<n>(first, power1) & QuickKnownPower<n>(second, power2)) [[likely]]
        return ExtendedTwo(RoundedPower(power1, first, n), RoundedPower(power2, second, n));
    return ExtendedTwo(KnownWholePower<n>(first), KnownWholePower<n>(second));
}

// The quick exponents from 3 up (a square is a single product, which callers take
// themselves) and their negatives, each with its own code; f is called with the
// exponent as a template argument, or with 0 for any other.
template <class F>
decltype(auto) ByKnownExponent(int Exponent, F f) {
    switch (Exponent) {
        case 3: return f.template operator()<3>();
        case 4: return f.template operator()<4>();
        case 5: return f.template operator()<5>();
        case 6: return f.template operator()<6>();
        case 7: return f.template operator()<7>();
        case 8: return f.template operator()<8>();
        case -3: return f.template operator()<-3>();
        case -4: return f.template operator()<-4>();
        case -5: return f.template operator()<-5>();
        case -6: return f.template operator()<-6>();
        case -7: return f.template operator()<-7>();
        case -8: return f.template operator()<-8>();
        default: return f.template operator()<0>();
    }
}

}  // namespace

Extended IntPower(Extended Base, int Exponent) { return WholePower(bits::Unpacked(Base), Exponent); }

Extended IntPowerAt(const Extended& Base, int Exponent) {
    const bits::TUnpacked base = bits::UnpackedInPlace(Base);
    return ByKnownExponent(Exponent, [&]<int n>() {
        if constexpr (n == 0) return WholePower(base, Exponent);
        else return KnownWholePower<n>(base);
    });
}

TExtendedTwo IntPowersAt(const Extended& Base1, const Extended& Base2, int Exponent) {
    const bits::TUnpacked first = bits::UnpackedInPlace(Base1), second = bits::UnpackedInPlace(Base2);
    return ByKnownExponent(Exponent, [&]<int n>() {
        if constexpr (n == 0) return ExtendedTwo(WholePower(first, Exponent), WholePower(second, Exponent));
        else return KnownWholePowers<n>(first, second);
    });
}

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

// The whole square root of m, where m is a perfect square.
bool ExactSquareRoot(std::uint64_t m, std::uint64_t& iRoot) {
    std::uint64_t r = std::uint64_t(std::sqrt(double(m)));  // within one of the root
    while (TUInt128(r) * r > m) --r;
    while (TUInt128(r + 1) * (r + 1) <= m) ++r;
    iRoot = r;
    return TUInt128(r) * r == m;
}

// Base^Exponent where it is a number of at most 65 significant bits. One of 65 lies
// exactly halfway between two Extended values, where no approximation, however
// close, tells which way to round. With Exponent = n / 2^s (n odd, s >= 1) and
// Base = m 2^e (m odd), the power is such a number only where Base is the 2^s-th
// power of r 2^(e / 2^s), r whole and odd: then it is r^n 2^(e n / 2^s). False for
// every other power (r = 1 gives a power of two, which any close approximation
// rounds right).
bool ExactFractionalPower(bits::TUnpacked base, bits::TUnpacked y, TWide& power) {
    const int iBaseZeros = __builtin_ctzll(base.iSignificand),
              iExponentZeros = __builtin_ctzll(y.iSignificand);
    const std::int64_t iShift = std::int64_t(63) - iExponentZeros - y.iExponent;  // s
    // Past s = 6 the root of a 64-bit m is below 2: m = 1.
    if (y.bNegative || iShift < 1 || iShift > 6) return false;
    const std::int64_t n = std::int64_t(y.iSignificand >> iExponentZeros),
                       e = base.iExponent - 63 + iBaseZeros;
    std::uint64_t r = base.iSignificand >> iBaseZeros;
    if (r == 1 || e % (std::int64_t(1) << iShift) != 0) return false;
    for (std::int64_t k = 0; k < iShift; ++k)
        if (!ExactSquareRoot(r, r)) return false;
    // r >= 3: more than 41 factors exceed 65 bits.
    if (n > 41) return false;
    TUInt128 iPower = 1;
    for (std::int64_t k = 0; k < n; ++k) {
        iPower *= r;
        if (iPower >> 65 != 0) return false;
    }
    power = wide::FromFixed(iPower, int(-(e / (std::int64_t(1) << iShift)) * n));
    return true;
}

// Base^Exponent for a fractional (or huge) Exponent: e^(Exponent ln Base), the logarithm
// and the product in 128-bit integers. Kept out of Power: its registers would make
// Power copy Base for the whole powers too.
[[gnu::noinline]] Extended FractionalPower(const Extended& Base, const Extended& Exponent) {
    const bits::TUnpacked base = bits::UnpackedInPlace(Base), y = bits::UnpackedInPlace(Exponent);
    // The quick kernel decides the common case from the bits alone; it leaves the
    // failures and the special operands to the checks below.
    Extended rQuick;
    if (__builtin_expect(wide::QuickFractionalPower(base, y, rQuick), 1)) return rQuick;
    if (Base == 0) {
        if (Exponent < 0) RaiseZeroDivide();
        return 0;
    }
    if (Base < 0) RaiseInvalidOp();
    explog::Finite(Base);
    explog::Finite(Exponent);
    // ln 1 = 0: one raised to any exponent is one.
    if (Base == 1) return 1;
    if (TWide exact; ExactFractionalPower(base, y, exact)) return explog::Finite(wide::Rounded(exact, false));
    const wide::TSigned ln = wide::LnWide(TUInt128(base.iSignificand) << 64, base.iExponent);
    // Exponent * ln(Base): the product of the significands keeps its top 128 bits.
    const TWide product = wide::Normalized(wide::HighProduct(ln.magnitude.iSignificand, y.iSignificand),
                                           ln.magnitude.iExponent + y.iExponent);
    const bool bNegative = ln.bNegative != y.bNegative;
    // From 2^14 on, far beyond either bound.
    constexpr wide::TInt128 kOverflow = wide::TInt128(11357) << wide::kArgumentFractionBits;
    constexpr wide::TInt128 kUnderflow = wide::TInt128(-11400) << wide::kArgumentFractionBits;
    const wide::TInt128 x = product.iExponent >= 14 ? (bNegative ? kUnderflow - 1 : kOverflow + 1)
                                                    : wide::FixedArgument(wide::TSigned{product, bNegative});
    if (x > kOverflow) RaiseOverflow();
    if (x < kUnderflow) return 0;
    return explog::Finite(wide::Rounded(wide::ExpWide(x), false));
}

}  // namespace

bool IsWholeExponent(Extended Exponent, int& n) { return IsWholeInt(bits::Unpacked(Exponent), n); }

Extended Power(Extended Base, Extended Exponent) {
    int n = 0;
    if (IsWholeInt(bits::Unpacked(Exponent), n)) return WholePower(bits::Unpacked(Base), n);
    return FractionalPower(Base, Exponent);
}

}  // namespace rtl
