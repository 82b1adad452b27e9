// Exact decimal rounding of Extended values: the digits that FloatToStr and
// FormatFloat print, rounded half away from zero on the value's exact expansion
// (never through a double or the C library's current rounding mode).
#pragma once

#include <string>

#include "framework/base/Types.hpp"

namespace rtl::detail {

// A rounded non-negative value 0.Digits x 10^Exponent. Digits has no leading or
// trailing zeros and is empty for zero.
struct TDecimal {
    std::string Digits;
    int Exponent = 0;

    bool IsZero() const { return Digits.empty(); }
};

// Value (finite, >= 0) rounded to Count significant digits (Count >= 1).
TDecimal RoundToSignificant(Extended Value, int Count);

// Value (finite, >= 0) rounded at 10^-Decimals, but to no more than MaxSignificant
// significant digits.
TDecimal RoundToDecimals(Extended Value, int Decimals, int MaxSignificant);

}  // namespace rtl::detail
