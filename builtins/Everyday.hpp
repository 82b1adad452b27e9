// The everyday functions: what a calculator's user reaches for first and the 54
// built-ins lack (square root, exponential and logarithm, rounding, the least and the
// greatest of a list, ...). They are rows of the built-ins' shapes, run by the same
// dispatcher, so they test their arguments the same way and report the same codes.
//
// Round rounds half away from zero (Round(2.5) is 3, Round(-2.5) is -3); Trunc, Frac
// and Round keep the Extended value, so they have no 32-bit limit. Mod(x; y) is
// x - y * Trunc(x / y), computed exactly: its sign is that of x.
#pragma once

#include <span>
#include <string>

#include "builtins/BuiltIns.hpp"

namespace quorix::builtins {

// In the order the help lists them.
std::span<const TBuiltIn> EverydayFunctions();

// The row whose upper-case name is exactly sUpperName, or nullptr.
const TBuiltIn* FindEveryday(const std::string& sUpperName);

}  // namespace quorix::builtins
