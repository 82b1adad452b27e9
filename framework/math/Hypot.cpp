#include <cmath>

#include "framework/Math.hpp"
#include "framework/math/ExpLog.hpp"
#include "framework/math/ExtendedBits.hpp"

namespace rtl {

using pair::TPair;

namespace {

// sqrt(a^2 + b^2) as a pair, the squares exact.
TPair HypotPair(Extended a, Extended b) {
    return pair::Sqrt(pair::Add(pair::TwoSquare(a), pair::TwoSquare(b)));
}

}  // namespace

// sqrt(X^2 + Y^2), rounded once. Sides whose squares could overflow or underflow are
// scaled first so that the larger is in [1, 2); the scale goes back in with the final
// rounding, which also gets a denormal result right.
Extended Hypot(Extended X, Extended Y) {
    Extended a = std::fabs(explog::Finite(X)), b = std::fabs(explog::Finite(Y));
    if (a < b) std::swap(a, b);
    if (a == 0) return 0;
    // Below 2^-34 a, b^2 is lost below the last bit of a^2 and b below that of the root.
    if (b < a * 0x1p-34L) return a;
    constexpr Extended kSafe = 0x1p8000L;
    if (a < kSafe && a > 1 / kSafe) return pair::Value(HypotPair(a, b));
    const bits::TExtracted parts = bits::Extracted(a);
    const int e = bits::ToInt(parts.rExponent);
    const TPair root = HypotPair(parts.rSignificand, bits::ScaledByPowerOfTwo(b, -e));
    return explog::Finite(explog::Rounded({root, e}));
}

}  // namespace rtl
