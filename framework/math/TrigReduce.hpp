// Internal to the math unit: reduction of a trigonometric argument to a small remainder.
#pragma once

#include "framework/math/Pair.hpp"

namespace rtl::trig {

// X = (iStep + 2 kTableSteps m) pi / kTableSteps + t for some whole m, with
// |t| <= pi / (2 kTableSteps) (a hair more when X * kTableSteps / pi rounds across a
// half). iStep is in [0, 2 kTableSteps). The error of the pair t is below 2^-105, and
// where X is near a multiple of pi / 2 (iStep a multiple of kTableSteps / 2), where a
// result may be as small as t itself, also below 2^-100 of t, however close X comes and
// however large it is.
struct TReduced {
    unsigned iStep;
    pair::TPair t;
};

// X must be finite.
TReduced Reduce(Extended X);

}  // namespace rtl::trig
