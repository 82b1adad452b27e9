// Seeded random arguments for the math checks, the same on every machine: built from
// the raw bits of a 64-bit Mersenne Twister, not from the library's distributions.
#pragma once

#include <cstdint>
#include <random>
#include <string_view>

#include "framework/base/Types.hpp"

namespace quorix::mathcheck {

using rtl::Extended;

// Binary exponents of the least denormal and of the greatest finite Extended.
inline constexpr int kLeastExponent = -16445;
inline constexpr int kGreatestExponent = 16383;

class TDraws {
public:
    // The same name and purpose always give the same draws, whatever else is drawn.
    TDraws(std::string_view sName, std::string_view sPurpose);

    int Below(int n);  // 0 .. n - 1
    // A random significand times 2^e, e uniform in [iLow, iHigh]: magnitudes spread
    // evenly over the binades (log-uniform). Below the normal range, denormals.
    Extended Magnitude(int iLow, int iHigh);
    Extended Signed(Extended X);  // X or -X
    Extended Uniform(Extended rLow, Extended rHigh);
    Extended Near(Extended X);  // X moved by up to 8 ulps either way

private:
    uint64_t Bits() { return Generator(); }
    std::mt19937_64 Generator;
};

}  // namespace quorix::mathcheck
