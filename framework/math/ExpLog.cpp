// The exponential and the logarithms.
#include "framework/math/ExpLog.hpp"

#include "framework/math/ExpLogWide.hpp"
#include "framework/math/Math.hpp"
#include "framework/math/QuickLog.hpp"

namespace rtl {

using pair::TPair;
using wide::TSigned;
using wide::TUInt128;

namespace {

// The logarithms share their failures: 0 is a pole, a negative number has none.
[[gnu::noinline, gnu::cold]] void RequireLogArgument(Extended X) {
    explog::Finite(X);
    if (X == 0) RaiseZeroDivide();
    if (X < 0) RaiseInvalidOp();
}

// The bits of a logarithm's argument, which must be positive and finite.
[[gnu::always_inline]] inline bits::TUnpacked LogArgument(Extended X) {
    const bits::TUnpacked x = bits::Unpacked(X);
    if (__builtin_expect(x.bNegative || x.iSignificand == 0 || x.iExponent > bits::kMaxExponent, 0))
        RequireLogArgument(X);
    return x;
}

[[gnu::always_inline]] inline TSigned LnOf(bits::TUnpacked x, wide::TWideFactor factor = wide::kNatural) {
    return wide::LnWide(TUInt128(x.iSignificand) << 64, x.iExponent, factor);
}

Extended Rounded(TSigned x) { return wide::Rounded(x.magnitude, x.bNegative); }

TPair PairOf(TSigned x) {
    const TPair p = wide::SignificandPair(x.magnitude.iSignificand);
    const double rScale = bits::PowerOfTwo(int(x.magnitude.iExponent));
    return {x.bNegative ? -p.hi * rScale : p.hi * rScale, x.bNegative ? -p.lo * rScale : p.lo * rScale};
}

// Below 2^-17 in size, ln(1 + X) is taken relative to X itself: 1 + X would not hold
// all of X's bits in 128.
constexpr int kLnXP1DirectExponent = -17;

// ln(1 + x) for |x| < 2^kLnXP1DirectExponent, x also in fixed point.
TSigned LnOnePlusSmall(bits::TUnpacked x) {
    const int iShift = x.iExponent + 64;  // to 127 fraction bits
    const TUInt128 iWide = x.iSignificand;
    const TUInt128 iFixed = iShift >= 0 ? iWide << iShift : iShift > -64 ? iWide >> -iShift : 0;
    const wide::TInt128 r = x.bNegative ? -wide::TInt128(iFixed) : wide::TInt128(iFixed);
    return wide::LnNearOne({{iWide << 64, x.iExponent}, x.bNegative}, r);
}

// 1 + x exactly, for 2^kLnXP1DirectExponent <= |x|, x > -1: in fixed point with room
// for x's bits and the carry (beyond 2^126 the 1 is lost below them, harmlessly).
wide::TWide OnePlus(bits::TUnpacked x) {
    const int iTop = x.iExponent > 0 ? x.iExponent : 0;
    const int iFractionBits = 126 - iTop;
    const TUInt128 iX = TUInt128(x.iSignificand) << (63 + x.iExponent - iTop);
    const TUInt128 iOne = iTop <= 126 ? TUInt128(1) << iFractionBits : 0;
    return wide::FromFixed(x.bNegative ? iOne - iX : iOne + iX, iFractionBits);
}

// The full kernel's logarithm, for the few arguments the quick one leaves: apart, so
// that the quick path keeps its registers.
[[gnu::noinline]] Extended FullLog(bits::TUnpacked x, wide::TWideFactor factor) {
    return Rounded(LnOf(x, factor));
}

// The quick logarithm where it decides the rounding, else the full kernel.
template <const wide::TQuickLogBase& base>
Extended LogToBase(Extended X, wide::TWideFactor fullFactor) {
    const bits::TUnpacked x = LogArgument(X);
    const TSigned quick = wide::QuickLog<base>(x);
    if (__builtin_expect(wide::RoundingIsDecided(quick.magnitude), 1)) return Rounded(quick);
    return FullLog(x, fullFactor);
}

}  // namespace

Extended Exp(Extended X) { return explog::Finite(explog::ExpOrInfinity(X)); }
Extended ExpM1(Extended X) { return explog::Finite(explog::ExpM1OrInfinity(X)); }

Extended Ln(Extended X) { return Rounded(LnOf(LogArgument(X))); }

Extended LnXP1(Extended X) {
    const bits::TUnpacked x = bits::Unpacked(X);
    if (x.iExponent < kLnXP1DirectExponent) return Rounded(LnOnePlusSmall(x));
    // At or below -1, an infinity or NaN: the failure of the logarithm of 1 + X.
    if (__builtin_expect((x.bNegative && x.iExponent >= 0) || x.iExponent > bits::kMaxExponent, 0))
        RequireLogArgument(X + 1);
    const wide::TWide y = OnePlus(x);
    return Rounded(wide::LnWide(y.iSignificand, int(y.iExponent)));
}

Extended Log10(Extended X) { return LogToBase<wide::tables::kQuickLog10>(X, wide::tables::kLog10OfE); }

Extended Log2(Extended X) { return LogToBase<wide::tables::kQuickLog2>(X, wide::tables::kLog2OfE); }

Extended LogN(Extended Base, Extended X) {
    const TSigned rBaseLn = LnOf(LogArgument(Base));
    const TSigned rLn = LnOf(LogArgument(X));
    // ln 1 is exactly 0: 0 / 0 has no value, anything else / 0 is a pole.
    if (rBaseLn.magnitude.iSignificand == 0) {
        if (X == 1) RaiseInvalidOp();
        RaiseZeroDivide();
    }
    if (rLn.magnitude.iSignificand == 0) return 0;
    return pair::Value(pair::Divide(PairOf(rLn), PairOf(rBaseLn)));
}

}  // namespace rtl
