// Internal to the math unit: polynomial evaluation in Extended precision.
#pragma once

#include <cstddef>

#include "framework/Types.hpp"

namespace rtl::math {

// coefficients[0] + coefficients[1] z + ..., given z2 = z * z: the terms
// c[2i] + c[2i+1] z are independent and summed by Horner's scheme in z2 (Estrin's
// scheme), which halves the chain of dependent operations.
template <std::size_t N>
Extended Estrin(const Extended (&coefficients)[N], Extended z, Extended z2) {
    auto term = [&](std::size_t i) {
        return 2 * i + 1 < N ? coefficients[2 * i] + coefficients[2 * i + 1] * z : coefficients[2 * i];
    };
    constexpr std::size_t kTerms = (N + 1) / 2;
    Extended rSum = term(kTerms - 1);
    for (std::size_t i = kTerms - 1; i-- > 0;) rSum = rSum * z2 + term(i);
    return rSum;
}

}  // namespace rtl::math
