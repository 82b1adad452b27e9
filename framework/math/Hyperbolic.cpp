// The hyperbolic functions and their inverses, through the pair exponential and
// logarithm: cancellation near 0 is avoided by e^x - 1 and ln(1 + ...) forms.
#include <cmath>

#include "framework/Math.hpp"
#include "framework/math/ExpLog.hpp"
#include "framework/math/ExtendedBits.hpp"

namespace rtl {

using pair::TPair;

namespace {

// Below this size f(x) = x + O(x^3) rounds to x for sinh, tanh and their inverses.
constexpr Extended kTiny = 0x1p-33L;
// Beyond this size e^-|x| is lost below the last bit of e^|x| (e^-64 < 2^-92).
constexpr Extended kLarge = 32;
// ... and 1 + x^2 below the last bit of x^2, in the inverses.
constexpr Extended kHuge = 0x1p33L;

Extended WithSignOf(Extended x, Extended rMagnitude) { return x < 0 ? -rMagnitude : rMagnitude; }

// e^x / 2, rounded once and overflowing only where the result does.
Extended HalfExp(Extended x) {
    if (x > explog::kExpOverflowBound + 1) RaiseOverflow();
    explog::TScaled rExp = explog::ExpScaled({x, 0});
    --rExp.iExponent;
    return explog::Finite(explog::Rounded(rExp));
}

// ln(2x) for x beyond kHuge, where ln(x + sqrt(x^2 +- 1)) differs from it by less than
// 2^-66; x / 2^32 keeps 2x within the range.
Extended LnOfTwice(Extended x) {
    using explog::tables::kLn2;
    const TPair rLn = explog::LnPair(x * 0x1p-32L);
    return pair::Value(pair::Add(pair::Add(rLn, 33 * kLn2[0]), 33 * kLn2[1]));
}

}  // namespace

Extended Sinh(Extended X) {
    const Extended a = std::fabs(explog::Finite(X));
    if (a < kTiny) return X;
    if (a >= kLarge) return WithSignOf(X, HalfExp(a));
    // With m = e^a - 1: sinh a = m (m + 2) / (2 (m + 1)), no cancellation.
    const TPair m = explog::ExpM1Pair(a);
    const TPair q = pair::Divide(pair::Multiply(m, pair::Add(m, 2)), pair::Add(m, 1));
    return WithSignOf(X, pair::Value(q) / 2);
}

Extended Cosh(Extended X) {
    const Extended a = std::fabs(explog::Finite(X));
    if (a >= kLarge) return HalfExp(a);
    const explog::TScaled rExp = explog::ExpScaled({a, 0});
    const double rScale = bits::PowerOfTwo(rExp.iExponent);
    const TPair e{rExp.rSignificand.hi * rScale, rExp.rSignificand.lo * rScale};
    return pair::Value(pair::Add(e, pair::Divide({1, 0}, e))) / 2;
}

Extended Tanh(Extended X) {
    // Infinities saturate, as everything from 23 on.
    if (std::isnan(X)) RaiseInvalidOp();
    const Extended a = std::fabs(X);
    // From 23 on, 1 - tanh a < 2 e^-46 is below half the last bit under 1.
    constexpr Extended kSaturation = 23;
    if (a < kTiny) return X;
    if (a >= kSaturation) return WithSignOf(X, 1);
    // With m = e^2a - 1: tanh a = m / (m + 2).
    const TPair m = explog::ExpM1Pair(2 * a);
    return WithSignOf(X, pair::Value(pair::Divide(m, pair::Add(m, 2))));
}

Extended ArcSinh(Extended X) {
    const Extended a = std::fabs(explog::Finite(X));
    if (a < kTiny) return X;
    if (a > kHuge) return WithSignOf(X, LnOfTwice(a));
    // ln(a + sqrt(a^2 + 1)), its argument carried as a pair: near 0 it is 1 + a + ...
    const TPair root = pair::Sqrt(pair::Add(pair::TwoSquare(a), 1));
    return WithSignOf(X, pair::Value(explog::LnPair(pair::Add(root, a))));
}

Extended ArcCosh(Extended X) {
    if (explog::Finite(X) < 1) RaiseInvalidOp();
    if (X > kHuge) return LnOfTwice(X);
    // ln(x + sqrt((x - 1)(x + 1))): near 1, x - 1 is exact and keeps the root's digits.
    const TPair square = pair::Multiply(pair::TwoSum(X, -1), pair::TwoSum(X, 1));
    return pair::Value(explog::LnPair(pair::Add(pair::Sqrt(square), X)));
}

Extended ArcTanh(Extended X) {
    const Extended a = std::fabs(explog::Finite(X));
    if (a == 1) RaiseZeroDivide();
    if (a > 1) RaiseInvalidOp();
    if (a < kTiny) return X;
    // ln((1 + a) / (1 - a)) / 2; near 1, 1 - a is exact.
    const TPair q = pair::Divide(pair::TwoSum(1, a), pair::TwoSum(1, -a));
    return WithSignOf(X, pair::Value(explog::LnPair(q)) / 2);
}

}  // namespace rtl
