#include "framework/math/Math.hpp"

#include <cmath>
#include <cstdint>

#include "framework/base/Exceptions.hpp"
#include "framework/math/MathQuad.hpp"

namespace rtl {

using quad::Quad;

namespace {

// Pi to 128 bits as the sum of two Extended values; their binary128 sum carries all
// 113 bits of that format.
constexpr Extended kPiLow = -0xECE675D1FC8F8CBBp-128L;
const Quad kQuadPi = Quad(Pi) + Quad(kPiLow);

Extended Rounded(Quad rValue) { return FiniteOrRaise(Extended(rValue)); }

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

Extended DegToRad(Extended Degrees) { return Rounded(Quad(Degrees) * kQuadPi / 180); }
Extended RadToDeg(Extended Radians) { return Rounded(Quad(Radians) * 180 / kQuadPi); }
Extended GradToRad(Extended Grads) { return Rounded(Quad(Grads) * kQuadPi / 200); }
Extended RadToGrad(Extended Radians) { return Rounded(Quad(Radians) * 200 / kQuadPi); }
Extended CycleToRad(Extended Cycles) { return Rounded(Quad(Cycles) * 2 * kQuadPi); }
Extended RadToCycle(Extended Radians) { return Rounded(Quad(Radians) / (2 * kQuadPi)); }

int Trunc(Extended X) { return CheckedInt(std::trunc(X)); }
int Ceil(Extended X) { return CheckedInt(std::ceil(X)); }
int Floor(Extended X) { return CheckedInt(std::floor(X)); }

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
