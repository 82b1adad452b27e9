// Basic types shared by every part of the framework and the system above it.
#pragma once

#include <cstdint>
#include <limits>

namespace rtl {

// Every value of an expression is parsed, computed, stored and returned in the
// 80-bit x87 extended format.
using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64,
              "rtl::Extended must be the 80-bit x87 format with a 64-bit significand");

}  // namespace rtl
