// Internal to the math unit: the exponential and the logarithm carried in pairs of
// Extended values, shared by the public logarithms, Power, the hyperbolic functions and
// the financial routines. The pairs hold about 85 correct bits, so that results built
// from them round once, at the end, and almost always correctly.
#pragma once

#include "framework/Types.hpp"
#include "framework/math/Pair.hpp"

namespace rtl::explog {

// rSignificand * 2^iExponent: a value whose exponent may lie beyond the Extended range
// until it is rounded.
struct TScaled {
    pair::TPair rSignificand;
    int iExponent;
};

// The value rounded once to Extended: INF when it overflows, the correctly rounded
// denormal or 0 when it underflows.
Extended Rounded(TScaled value);

// ln(x.hi + x.lo) of a pair with a finite x.hi > 0 (a denormal only with x.lo = 0).
pair::TPair LnPair(pair::TPair x);
inline pair::TPair LnPair(Extended x) { return LnPair(pair::TPair{x, 0}); }

// Arguments beyond these bounds give INF or 0 in any case.
inline constexpr Extended kExpOverflowBound = 11357;
inline constexpr Extended kExpUnderflowBound = -11400;

// e^x for kExpUnderflowBound <= x.hi <= kExpOverflowBound.
TScaled ExpScaled(pair::TPair x);
// e^x - 1 for |x| <= 64, relative to its value also for tiny x.
pair::TPair ExpM1Pair(Extended x);

// e^x and e^x - 1 rounded once; INF when they overflow. The raising versions are the
// public Exp and ExpM1; the financial searches probe arguments that overflow.
Extended ExpOrInfinity(Extended x);
Extended ExpM1OrInfinity(Extended x);

}  // namespace rtl::explog
