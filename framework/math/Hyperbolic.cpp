// The hyperbolic functions and their inverses. The first are sums and differences of
// e^a and e^-a in 128-bit integers, whose precision outlasts the cancellation near 0;
// the inverses go through the pair logarithm in ln(1 + ...) forms.
#include <cmath>

#include "framework/math/ExpLog.hpp"
#include "framework/math/ExtendedBits.hpp"
#include "framework/math/Math.hpp"
#include "framework/math/QuickHyperbolic.hpp"
#include "framework/math/Wide.hpp"

namespace rtl {

using pair::TPair;

namespace {

// Below this size f(x) = x + O(x^3) rounds to x for sinh, tanh and their inverses.
constexpr Extended kTiny = 0x1p-33L;
constexpr int kTinyExponent = -33;  // the same, as the exponent of the bits
// From 2^5 = 32 on, e^-|x| is lost below the last bit of e^|x| (e^-64 < 2^-92).
constexpr int kLargeExponent = 5;
// ... and 1 + x^2 below the last bit of x^2, in the inverses.
constexpr Extended kHuge = 0x1p33L;
// From 2^-2 on, the cancellation in e^a - e^-a leaves the quick kernel
// (QuickHyperbolic.hpp) enough bits.
constexpr int kQuickExponent = -2;

Extended WithSignOf(Extended x, Extended rMagnitude) { return x < 0 ? -rMagnitude : rMagnitude; }

// The bits of a finite X; an infinity or NaN raises its failure. Read from the caller's
// argument in memory: an Extended held in a register would be stored to be read.
[[gnu::always_inline]] inline bits::TUnpacked FiniteBits(const Extended& X) {
    const bits::TUnpacked x = bits::Unpacked(X);
    if (__builtin_expect(x.iExponent > bits::kMaxExponent, 0)) explog::Finite(X);
    return x;
}

wide::TInt128 FixedMagnitude(bits::TUnpacked x) {
    x.bNegative = false;
    return wide::FixedArgument(x);
}

// e^|x| / 2 for |x| >= 32, rounded once and overflowing only where the result does.
[[gnu::noinline]] Extended HalfExp(bits::TUnpacked x, bool bNegative = false) {
    constexpr wide::TInt128 kBound = wide::TInt128(explog::kExpOverflowBound + 1)
                                     << wide::kArgumentFractionBits;
    if (x.iExponent >= 14) RaiseOverflow();
    const wide::TInt128 a = FixedMagnitude(x);
    if (a > kBound) RaiseOverflow();
    wide::TWide e = wide::ExpWide(a);
    --e.iExponent;
    return explog::Finite(wide::Rounded(e, bNegative));
}

// (e^a + e^-a) / 2 or (e^a - e^-a) / 2 for a = |x| < 32, in 128-bit integers: e^-a
// shifted to e^a's exponent, then added or taken away.
wide::TWide HalfSumOfExp(bits::TUnpacked x, bool bDifference) {
    const auto [plus, minus] = wide::ExpBothWide(FixedMagnitude(x));
    const int iShift = int(plus.iExponent - minus.iExponent);
    const wide::TUInt128 iMinus = iShift < 128 ? minus.iSignificand >> iShift : 0;
    // A sum would carry beyond 128 bits: it is formed halved.
    wide::TWide half = bDifference ? wide::FromFixed(plus.iSignificand - iMinus, 127)
                                   : wide::FromFixed((plus.iSignificand >> 1) + (iMinus >> 1), 126);
    half.iExponent += plus.iExponent - 1;
    return half;
}

// sinh x (bDifference) or cosh x for |x| < 32, rounded: the quick kernel where it
// decides the rounding, else the full one, which stands apart so that the quick path
// keeps its registers.
[[gnu::noinline]] Extended FullHalfSumOfExp(bits::TUnpacked x, bool bDifference) {
    return wide::Rounded(HalfSumOfExp(x, bDifference), bDifference && x.bNegative);
}

Extended RoundedHalfSumOfExp(bits::TUnpacked x, bool bDifference) {
    wide::TWide quick;
    if (x.iExponent >= kQuickExponent && wide::QuickHalfSumOfExp(x, bDifference, quick)) [[likely]]
        return wide::Rounded(quick, bDifference && x.bNegative);
    return FullHalfSumOfExp(x, bDifference);
}

// q.hi + q.lo (> 0) rounded once to Extended, and whether every value within 2^-74 of
// it rounds the same way: both ends of that interval, added to the rounded value,
// leave it as it is.
bool RoundedSurely(dpair::TDoublePair q, Extended& rResult) {
    const Extended hi = q.hi, lo = q.lo;
    rResult = hi + lo;
    const Extended rRest = (hi - rResult) + lo, rSlack = rResult * 0x1p-74L;
    return rResult + (rRest + rSlack) == rResult && rResult + (rRest - rSlack) == rResult;
}

// ln(2x) for x beyond kHuge, where ln(x + sqrt(x^2 +- 1)) differs from it by less than
// 2^-66.
Extended LnOfTwice(const Extended& x) {
    const bits::TUnpacked bits = bits::Unpacked(x);
    return wide::Rounded(wide::LnWide(wide::TUInt128(bits.iSignificand) << 64, bits.iExponent + 1).magnitude,
                         false);
}

// ln(x.hi + x.lo) rounded once, x.hi > 0 and at least 2^-34 from 1, x.lo within half an
// ulp of it: the pair's 128 bits as one significand.
Extended LnOfPair(TPair x) {
    const bits::TUnpacked hi = bits::Unpacked(x.hi);
    // x.lo in units of 2^(e - 126): below 2^62 in size, and its 53 bits in double suffice.
    const std::int64_t iLow = std::int64_t(double(bits::ScaledByPowerOfTwo(x.lo, 126 - hi.iExponent)));
    const wide::TUInt128 iSum =
        (wide::TUInt128(hi.iSignificand) << 64) + wide::TUInt128(wide::TInt128(iLow) << 1);
    const wide::TWide w = wide::FromFixed(iSum, 127 - hi.iExponent);
    const wide::TSigned ln = wide::LnWide(w.iSignificand, int(w.iExponent), wide::kNatural, false);
    return wide::Rounded(ln.magnitude, ln.bNegative);
}

}  // namespace

Extended Sinh(Extended X) {
    const bits::TUnpacked x = FiniteBits(X);
    if (x.iExponent < kTinyExponent) return X;
    if (x.iExponent >= kLargeExponent) return HalfExp(x, x.bNegative);
    return RoundedHalfSumOfExp(x, true);
}

Extended Cosh(Extended X) {
    const bits::TUnpacked x = FiniteBits(X);
    if (x.iExponent >= kLargeExponent) return HalfExp(x);
    return RoundedHalfSumOfExp(x, false);
}

Extended Tanh(Extended X) {
    // Infinities saturate, as everything from 23 on.
    if (std::isnan(X)) RaiseInvalidOp();
    const Extended a = std::fabs(X);
    // From 23 on, 1 - tanh a < 2 e^-46 is below half the last bit under 1.
    constexpr Extended kSaturation = 23;
    if (a < kTiny) return X;
    if (a >= kSaturation) return WithSignOf(X, 1);
    const bits::TUnpacked x = bits::Unpacked(X);
    Extended rQuick;
    if (x.iExponent >= kQuickExponent && RoundedSurely(wide::QuickTanh(x), rQuick)) [[likely]]
        return WithSignOf(X, rQuick);
    // sinh a / cosh a, their significands divided as pairs.
    const wide::TWide sinh = HalfSumOfExp(x, true), cosh = HalfSumOfExp(x, false);
    const TPair q =
        pair::Divide(wide::SignificandPair(sinh.iSignificand), wide::SignificandPair(cosh.iSignificand));
    return WithSignOf(X, pair::Value(q) * bits::PowerOfTwo(int(sinh.iExponent - cosh.iExponent)));
}

Extended ArcSinh(Extended X) {
    const Extended a = std::fabs(explog::Finite(X));
    if (a < kTiny) return X;
    if (a > kHuge) return WithSignOf(X, LnOfTwice(a));
    // ln(a + sqrt(a^2 + 1)), its argument carried as a pair: near 0 it is 1 + a + ...
    const TPair root = pair::Sqrt(pair::Add(pair::TwoSquare(a), 1));
    return WithSignOf(X, LnOfPair(pair::Add(root, a)));
}

Extended ArcCosh(Extended X) {
    if (explog::Finite(X) < 1) RaiseInvalidOp();
    if (X > kHuge) return LnOfTwice(X);
    // ln(x + sqrt((x - 1)(x + 1))): near 1, x - 1 is exact and keeps the root's digits.
    const TPair square = pair::Multiply(pair::TwoSum(X, -1), pair::TwoSum(X, 1));
    return LnOfPair(pair::Add(pair::Sqrt(square), X));
}

Extended ArcTanh(Extended X) {
    const Extended a = std::fabs(explog::Finite(X));
    if (a == 1) RaiseZeroDivide();
    if (a > 1) RaiseInvalidOp();
    if (a < kTiny) return X;
    // ln((1 + a) / (1 - a)) / 2; near 1, 1 - a is exact.
    const TPair q = pair::Divide(pair::TwoSum(1, a), pair::TwoSum(1, -a));
    return WithSignOf(X, LnOfPair(q) / 2);
}

}  // namespace rtl
