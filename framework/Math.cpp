#include "framework/Math.hpp"

#include <cmath>
#include <cstdint>

#include "framework/Exceptions.hpp"
#include "framework/MathQuad.hpp"

namespace rtl {

using quad::Quad;

namespace {

// Pi to 128 bits as the sum of two Extended values; their binary128 sum carries all
// 113 bits of that format.
constexpr Extended kPiLow = -0xECE675D1FC8F8CBBp-128L;
const Quad kQuadPi = Quad(Pi) + Quad(kPiLow);

Extended Rounded(Quad rValue) { return FiniteOrRaise(Extended(rValue)); }

// The logarithms share their failures: 0 is a pole, a negative number has none.
void RequireLogArgument(Extended X) {
    if (X == 0) RaiseZeroDivide();
    if (X < 0) RaiseInvalidOp();
}

void RequireValues(std::span<const double> Data, std::size_t iMinimum) {
    if (Data.size() < iMinimum) RaiseInvalidOp();
}

Quad QuadSum(std::span<const double> Data) {
    quad::TSum sum;
    for (double rValue : Data) sum.Add(rValue);
    return sum.Value();
}

// The sum of squared deviations from the mean. The mean is rounded, so the deviations
// are corrected by their own (tiny) sum: the classic corrected two-pass formula.
Quad QuadTotalVariance(std::span<const double> Data) {
    if (Data.empty()) return 0;
    const Quad rMean = QuadSum(Data) / Quad(Data.size());
    quad::TSum squares, deviations;
    for (double rValue : Data) {
        const Quad rDeviation = Quad(rValue) - rMean;
        squares.Add(rDeviation * rDeviation);
        deviations.Add(rDeviation);
    }
    const Quad rDrift = deviations.Value();
    return squares.Value() - rDrift * rDrift / Quad(Data.size());
}

int CheckedInt(Extended rWhole) {
    if (rWhole < INT32_MIN || rWhole > INT32_MAX) RaiseOverflow();
    return int(rWhole);
}

}  // namespace

void RaiseOverflow() { throw EOverflow("Floating point overflow"); }
void RaiseZeroDivide() { throw EZeroDivide("Floating point division by zero"); }
void RaiseInvalidOp() { throw EInvalidOp("Invalid floating point operation"); }

Extended FiniteOrRaise(Extended rResult, bool bPole) {
    if (std::isfinite(rResult)) return rResult;
    if (std::isnan(rResult)) RaiseInvalidOp();
    if (bPole) RaiseZeroDivide();
    RaiseOverflow();
}

Extended Hypot(Extended X, Extended Y) { return FiniteOrRaise(std::hypot(X, Y)); }

Extended DegToRad(Extended Degrees) { return Rounded(Quad(Degrees) * kQuadPi / 180); }
Extended RadToDeg(Extended Radians) { return Rounded(Quad(Radians) * 180 / kQuadPi); }
Extended GradToRad(Extended Grads) { return Rounded(Quad(Grads) * kQuadPi / 200); }
Extended RadToGrad(Extended Radians) { return Rounded(Quad(Radians) * 200 / kQuadPi); }
Extended CycleToRad(Extended Cycles) { return Rounded(Quad(Cycles) * 2 * kQuadPi); }
Extended RadToCycle(Extended Radians) { return Rounded(Quad(Radians) / (2 * kQuadPi)); }

Extended Cosh(Extended X) { return FiniteOrRaise(std::cosh(X)); }
Extended Sinh(Extended X) { return FiniteOrRaise(std::sinh(X)); }
Extended Tanh(Extended X) { return FiniteOrRaise(std::tanh(X)); }
Extended ArcCosh(Extended X) { return FiniteOrRaise(std::acosh(X)); }
Extended ArcSinh(Extended X) { return FiniteOrRaise(std::asinh(X)); }
Extended ArcTanh(Extended X) { return FiniteOrRaise(std::atanh(X), std::fabs(X) == 1); }

Extended LnXP1(Extended X) {
    RequireLogArgument(X + 1);
    return FiniteOrRaise(std::log1p(X));
}

Extended Log10(Extended X) {
    RequireLogArgument(X);
    return FiniteOrRaise(std::log10(X));
}

Extended Log2(Extended X) {
    RequireLogArgument(X);
    return FiniteOrRaise(std::log2(X));
}

Extended LogN(Extended Base, Extended X) {
    RequireLogArgument(Base);
    RequireLogArgument(X);
    // Base-2 logarithms keep exact powers exact: LogN(2, 8) is 3, not 2.9999...
    const Extended rBaseLog = std::log2(Base);
    return FiniteOrRaise(std::log2(X) / rBaseLog, rBaseLog == 0);
}

int Trunc(Extended X) { return CheckedInt(std::trunc(X)); }
int Ceil(Extended X) { return CheckedInt(std::ceil(X)); }
int Floor(Extended X) { return CheckedInt(std::floor(X)); }

// Products by squaring lose about one bit per squaring; in binary128, 31 squarings
// still leave the result exact to the last bit of Extended.
Extended IntPower(Extended Base, int Exponent) {
    if (Exponent == 0) return 1;
    if (Base == 0) {
        if (Exponent < 0) RaiseZeroDivide();
        return 0;
    }
    // The reciprocal is taken first, not last, so that a result in the denormal range
    // is not lost to an overflow of the intermediate power.
    Quad rFactor = Exponent < 0 ? Quad(1) / Quad(Base) : Quad(Base);
    // Widened before negating: -INT32_MIN does not fit an int.
    uint64_t iCount = Exponent < 0 ? -int64_t(Exponent) : int64_t(Exponent);
    Quad rProduct = 1;
    for (;;) {
        if (iCount & 1) rProduct *= rFactor;
        iCount >>= 1;
        if (iCount == 0) break;
        rFactor *= rFactor;
    }
    return Rounded(rProduct);
}

Extended Power(Extended Base, Extended Exponent) {
    if (Exponent == 0) return 1;
    if (Base == 0) {
        if (Exponent < 0) RaiseZeroDivide();
        return 0;
    }
    if (Exponent == std::trunc(Exponent) && Exponent >= INT32_MIN && Exponent <= INT32_MAX)
        return IntPower(Base, int(Exponent));
    if (Base < 0) RaiseInvalidOp();
    // exp(Exponent * ln(Base)), but without the error that rounding the product would
    // magnify for large results.
    return FiniteOrRaise(std::pow(Base, Exponent));
}

Extended Poly(Extended X, std::span<const double> Coefficients) {
    Quad rValue = 0;
    for (auto it = Coefficients.rbegin(); it != Coefficients.rend(); ++it)
        rValue = rValue * Quad(X) + Quad(*it);
    return Rounded(rValue);
}

Extended Sum(std::span<const double> Data) { return Rounded(QuadSum(Data)); }

Extended SumOfSquares(std::span<const double> Data) {
    // The square of a double is exact in binary128.
    quad::TSum sum;
    for (double rValue : Data) sum.Add(Quad(rValue) * Quad(rValue));
    return Rounded(sum.Value());
}

Extended Mean(std::span<const double> Data) {
    RequireValues(Data, 1);
    return Rounded(QuadSum(Data) / Quad(Data.size()));
}

Extended MinValue(std::span<const double> Data) {
    RequireValues(Data, 1);
    double rLeast = Data[0];
    for (double rValue : Data) rLeast = std::fmin(rLeast, rValue);
    return FiniteOrRaise(rLeast);
}

Extended MaxValue(std::span<const double> Data) {
    RequireValues(Data, 1);
    double rGreatest = Data[0];
    for (double rValue : Data) rGreatest = std::fmax(rGreatest, rValue);
    return FiniteOrRaise(rGreatest);
}

Extended TotalVariance(std::span<const double> Data) { return Rounded(QuadTotalVariance(Data)); }

Extended Variance(std::span<const double> Data) {
    RequireValues(Data, 2);
    return Rounded(QuadTotalVariance(Data) / Quad(Data.size() - 1));
}

Extended PopnVariance(std::span<const double> Data) {
    RequireValues(Data, 1);
    return Rounded(QuadTotalVariance(Data) / Quad(Data.size()));
}

Extended StdDev(std::span<const double> Data) { return std::sqrt(Variance(Data)); }
Extended PopnStdDev(std::span<const double> Data) { return std::sqrt(PopnVariance(Data)); }
Extended Norm(std::span<const double> Data) { return std::sqrt(SumOfSquares(Data)); }

}  // namespace rtl
