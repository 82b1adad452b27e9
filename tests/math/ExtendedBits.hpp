// Extended values as text that keeps every bit: the 80-bit pattern in hex, sign and
// exponent first, then the significand ("3FFF:8000000000000000" is 1).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "framework/base/Types.hpp"

namespace quorix::mathcheck {

std::string BitsText(rtl::Extended X);
std::optional<rtl::Extended> ParseBits(std::string_view sText);

// The bits and, for the reader, the decimal value.
std::string Describe(rtl::Extended X);

}  // namespace quorix::mathcheck
