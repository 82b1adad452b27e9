// Internal to the math unit: polynomial evaluation in Extended precision.
#pragma once

#include <cstddef>

#include "framework/base/Types.hpp"

namespace rtl::math {

// coefficients[0] + coefficients[1] z + ..., given z2 = z * z: the terms
// c[2i] + c[2i+1] z are independent and summed by Horner's scheme in z2 (Estrin's
// scheme), which halves the chain of dependent operations.
// In doubles too (TReal = double), for terms small enough that their rounding to a
// double is far below the result's ulp.
template <class TReal, std::size_t N>
TReal EstrinIn(const double (&coefficients)[N], TReal z, TReal z2) {
    auto term = [&](std::size_t i) {
        return 2 * i + 1 < N ? coefficients[2 * i] + coefficients[2 * i + 1] * z : TReal(coefficients[2 * i]);
    };
    constexpr std::size_t kTerms = (N + 1) / 2;
    TReal rSum = term(kTerms - 1);
    for (std::size_t i = kTerms - 1; i-- > 0;) rSum = rSum * z2 + term(i);
    return rSum;
}

template <std::size_t N>
Extended Estrin(const double (&coefficients)[N], Extended z, Extended z2) {
    return EstrinIn<Extended>(coefficients, z, z2);
}

// lead + z (coefficients[0] + coefficients[1] z + ...): a series whose first
// coefficient needs Extended precision and whose others, weighing little, do with doubles.
template <std::size_t N>
Extended Series(Extended lead, const double (&coefficients)[N], Extended z, Extended z2) {
    return lead + z * Estrin(coefficients, z, z2);
}

}  // namespace rtl::math
