// Internal to the math unit: whole powers without the failures of IntPower, for the
// financial searches that probe bases whose powers overflow.
#pragma once

#include "framework/base/Types.hpp"

namespace rtl::power {

// Base^Exponent rounded once; INF (with the sign of the result) when it overflows,
// INF also for 0 to a negative power.
Extended IntPowerOrInfinity(Extended Base, int Exponent);

}  // namespace rtl::power
