// The math unit: elementary functions, statistics and Power in Extended precision.
//
// Failures follow one rule: a routine whose arguments are finite never returns INF or
// NAN; it raises EOverflow (too large), EZeroDivide (a pole) or EInvalidOp (no real
// value) instead. Underflow quietly gives 0 or a denormal.
#pragma once

#include "framework/Types.hpp"

namespace rtl {

// The framework's floating-point failures, with their usual messages.
[[noreturn]] void RaiseOverflow();
[[noreturn]] void RaiseZeroDivide();
[[noreturn]] void RaiseInvalidOp();

// Shared by every arithmetic operator and math routine, so that all of them report the
// same failure for the same cause: returns rResult when it is finite; otherwise raises
// EInvalidOp for a NaN, and for an infinity EZeroDivide when bPole says the operation
// hit a pole (x / 0 with x non-zero, the logarithm of 0), else EOverflow.
// A quotient, for instance, is FiniteOrRaise(x / y, y == 0): 0 / 0 is a NaN and so an
// invalid operation, 1 / 0 a division by zero, 1e4000 / 1e-4000 an overflow.
Extended FiniteOrRaise(Extended rResult, bool bPole = false);

// Base raised to a whole power by repeated squaring; a negative exponent gives the
// reciprocal. 0 raised to a negative power raises EZeroDivide.
Extended IntPower(Extended Base, int Exponent);

// Base raised to any power: exponent 0 gives 1 (base 0 too); base 0 with a positive
// exponent gives 0 and with a negative one raises EZeroDivide; a whole exponent within
// the 32-bit range goes through IntPower, so a negative base works; otherwise a
// negative base raises EInvalidOp.
Extended Power(Extended Base, Extended Exponent);

}  // namespace rtl
