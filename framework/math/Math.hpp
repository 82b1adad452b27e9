// The math unit: elementary functions, statistics and Power in Extended precision.
//
// Failures follow one rule: a routine whose arguments are finite never returns INF or
// NAN; it raises EOverflow (too large), EZeroDivide (a pole) or EInvalidOp (no real
// value) instead. Underflow quietly gives 0 or a denormal.
//
// Lists of values are doubles; sums over them are compensated and carried in more than
// Extended precision, so cancellation between large values costs no digits.
#pragma once

#include <span>

#include "framework/base/Types.hpp"

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

// The Extended value nearest to pi.
inline constexpr Extended Pi = 0xC90FDAA22168C235p-62L;

// Runtime trigonometry, in radians. Computed with + - * / and sqrt alone, so every
// machine gives the same bits: always within an ulp, and correctly rounded for all but
// a rare argument; the reduction of an argument is right over the whole range.
Extended Sin(Extended X);
Extended Cos(Extended X);
Extended Tan(Extended X);
Extended Cotan(Extended X);   // raises EZeroDivide at 0
Extended ArcCos(Extended X);  // |X| > 1 raises EInvalidOp
Extended ArcSin(Extended X);  // |X| > 1 raises EInvalidOp
// The angle of the point (X, Y), in (-pi, pi]; ArcTan2(0, 0) is 0.
Extended ArcTan2(Extended Y, Extended X);
Extended Hypot(Extended X, Extended Y);

// Angle units, rounded once from the exact product.
Extended DegToRad(Extended Degrees);
Extended RadToDeg(Extended Radians);
Extended GradToRad(Extended Grads);
Extended RadToGrad(Extended Radians);
Extended CycleToRad(Extended Cycles);
Extended RadToCycle(Extended Radians);

Extended Cosh(Extended X);
Extended Sinh(Extended X);
Extended Tanh(Extended X);
Extended ArcCosh(Extended X);  // X < 1 raises EInvalidOp
Extended ArcSinh(Extended X);
Extended ArcTanh(Extended X);  // |X| = 1 raises EZeroDivide, |X| > 1 EInvalidOp

// The exponential, and e^X - 1 exact also for tiny X; too large raises EOverflow.
Extended Exp(Extended X);
Extended ExpM1(Extended X);

// Logarithms: of 0 raise EZeroDivide, of a negative number EInvalidOp.
Extended Ln(Extended X);     // natural logarithm
Extended LnXP1(Extended X);  // ln(1 + X), exact also for tiny X
Extended Log10(Extended X);
Extended Log2(Extended X);
// The logarithm of X to the base Base; base 1 (ln 1 = 0) is a division by zero.
Extended LogN(Extended Base, Extended X);

// The whole number next to X (toward zero, up, down), as a 32-bit integer; beyond its
// range raises EOverflow rather than wrapping around.
int Trunc(Extended X);
int Ceil(Extended X);
int Floor(Extended X);

// Base raised to a whole power by repeated squaring; a negative exponent gives the
// reciprocal. 0 raised to a negative power raises EZeroDivide.
Extended IntPower(Extended Base, int Exponent);
// IntPower of a Base that lies in memory, its bits read there: quicker for a caller
// that holds it so, since handing an Extended over costs an 80-bit store and load.
Extended IntPowerAt(const Extended& Base, int Exponent);
// IntPowerAt of two bases to one exponent: the two run side by side.
TExtendedTwo IntPowersAt(const Extended& Base1, const Extended& Base2, int Exponent);

// Base raised to any power: exponent 0 gives 1 (base 0 too); base 0 with a positive
// exponent gives 0 and with a negative one raises EZeroDivide; a whole exponent within
// the 32-bit range goes through IntPower, so a negative base works; otherwise a
// negative base raises EInvalidOp.
Extended Power(Extended Base, Extended Exponent);
// Whether Power takes Exponent as a whole power, and which (n): a whole number within
// the 32-bit range.
bool IsWholeExponent(Extended Exponent, int& n);

// Coefficients[0] + Coefficients[1] * X + Coefficients[2] * X^2 + ...
Extended Poly(Extended X, std::span<const double> Coefficients);

// Statistics over a list. An empty list has no mean, least or greatest value and no
// population variance (EInvalidOp); a sample variance needs two values (EInvalidOp),
// since with one the divisor n - 1 is 0. Sums of nothing are 0.
Extended Sum(std::span<const double> Data);
Extended SumOfSquares(std::span<const double> Data);
Extended Mean(std::span<const double> Data);
Extended MinValue(std::span<const double> Data);
Extended MaxValue(std::span<const double> Data);
Extended TotalVariance(std::span<const double> Data);  // sum of squared deviations
Extended Variance(std::span<const double> Data);       // divided by n - 1
Extended PopnVariance(std::span<const double> Data);   // divided by n
Extended StdDev(std::span<const double> Data);
Extended PopnStdDev(std::span<const double> Data);
Extended Norm(std::span<const double> Data);  // square root of the sum of squares

}  // namespace rtl
