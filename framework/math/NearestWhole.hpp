// Internal to the math unit: rounding to a whole number without leaving the x87, whose
// conversions to integers would switch its rounding mode back and forth.
#pragma once

#include <cstdint>
#include <cstring>

#include "framework/base/Types.hpp"

namespace rtl::math {

struct TWhole {
    Extended rValue;  // the whole number nearest to the argument (ties to even)
    uint64_t iBits;   // its low 64 bits, two's complement for negative values
};

// For |X| < 2^62. Adding 3 * 2^62 leaves no bits below the unit, so the sum is rounded
// to a whole number that sits in the low bits of its significand.
inline TWhole NearestWhole(Extended X) {
    constexpr uint64_t kShiftBits = uint64_t(3) << 62;
    constexpr Extended kShift = kShiftBits;
    const Extended rShifted = X + kShift;
    uint64_t iSignificand;
    std::memcpy(&iSignificand, &rShifted, sizeof iSignificand);
    return {rShifted - kShift, iSignificand - kShiftBits};
}

// The same whole number as an integer, for |X| < 2^63: the x87's own conversion, in its
// rounding mode (to nearest). Its 64-bit store reaches an integer load at once, where
// the bits of an 80-bit store, as in NearestWhole, come late.
inline std::int64_t NearestInteger(Extended X) {
    long long iWhole;
    asm("fistpll %0" : "=m"(iWhole) : "t"(X) : "st");
    return iWhole;
}

}  // namespace rtl::math
