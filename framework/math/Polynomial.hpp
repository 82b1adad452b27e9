// Internal to the math unit: polynomial evaluation in Extended precision.
#pragma once

#include <cstddef>

#include "framework/Types.hpp"

namespace rtl::math {

// coefficients[0] + coefficients[1] z + ... by Horner's scheme.
template <std::size_t N>
Extended Horner(const Extended (&coefficients)[N], Extended z) {
    Extended rSum = coefficients[N - 1];
    for (std::size_t i = N - 1; i-- > 0;) rSum = rSum * z + coefficients[i];
    return rSum;
}

}  // namespace rtl::math
