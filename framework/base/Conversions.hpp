// Number <-> text conversion that never depends on the C locale: every separator
// comes from FormatSettings.
#pragma once

#include <string>

#include "framework/base/Types.hpp"

namespace rtl {

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
};

// The process-wide settings; an application may change them.
extern TFormatSettings FormatSettings;

// Text to number. Accepts [spaces][sign]digits[.digits][(E|e)[sign]digits][spaces]
// with at least one digit around the separator; the value is correctly rounded.
// StrToFloat raises EConvertError naming the text; TryStrToFloat returns false and
// leaves Value unchanged.
Extended StrToFloat(const std::string& S);
bool TryStrToFloat(const std::string& S, Extended& Value);

// General format with 15 significant digits ("6", "0.333333333333333", "1E15",
// "1E-5", "NAN", "INF", "-INF").
std::string FloatToStr(Extended Value);

// Formats by a pattern of 0 # . , E+ E- e+ e- '...' "..." and ; sections
// (positive;negative;zero), rounding half away from zero to at most 18 significant
// digits. An empty pattern, NaN, the infinities and a value with more than 18 integer
// digits are written as by FloatToStr.
std::string FormatFloat(const std::string& Format, Extended Value);

}  // namespace rtl
