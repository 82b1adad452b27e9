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

// Two values at once, which a function returns in the x87's two registers (the first
// as the real part): through memory, an 80-bit value stored and loaded back at once
// stalls.
__extension__ typedef __complex__ long double TExtendedTwo;

inline TExtendedTwo ExtendedTwo(Extended rFirst, Extended rSecond) {
    TExtendedTwo Values;
    __real__ Values = rFirst;
    __imag__ Values = rSecond;
    return Values;
}

}  // namespace rtl
