#include <cmath>

#include "framework/Math.hpp"
#include "framework/math/ExpLog.hpp"
#include "framework/math/ExtendedBits.hpp"

namespace rtl {

using pair::TPair;

// sqrt(X^2 + Y^2), rounded once. Both sides are scaled so that the larger is in [1, 2):
// the squares then neither overflow nor underflow, and the scale goes back in with the
// final rounding, which also gets a denormal result right.
Extended Hypot(Extended X, Extended Y) {
    Extended a = std::fabs(FiniteOrRaise(X)), b = std::fabs(FiniteOrRaise(Y));
    if (a < b) std::swap(a, b);
    if (a == 0) return 0;
    const int e = bits::ExponentOf(a);
    // Below 2^-34 a, b^2 is lost below the last bit of a^2 and b below that of the root.
    if (b < a * 0x1p-34L) return a;
    // Scaling each side rather than through 2^-e, which may lie beyond the range.
    const TPair sum = pair::Add(pair::TwoSquare(std::ldexp(a, -e)), pair::TwoSquare(std::ldexp(b, -e)));
    return FiniteOrRaise(explog::Rounded({pair::Sqrt(sum), e}));
}

}  // namespace rtl
