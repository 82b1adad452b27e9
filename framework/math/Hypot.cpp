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
    Extended a = std::fabs(explog::Finite(X)), b = std::fabs(explog::Finite(Y));
    if (a < b) std::swap(a, b);
    if (a == 0) return 0;
    // Below 2^-34 a, b^2 is lost below the last bit of a^2 and b below that of the root.
    if (b < a * 0x1p-34L) return a;
    const bits::TExtracted parts = bits::Extracted(a);
    const int e = bits::ToInt(parts.rExponent);
    const TPair sum = pair::Add(pair::TwoSquare(parts.rSignificand),
                                pair::TwoSquare(bits::ScaledByPowerOfTwo(b, -e)));
    return explog::Finite(explog::Rounded({pair::Sqrt(sum), e}));
}

}  // namespace rtl
