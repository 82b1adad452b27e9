#include "framework/Math.hpp"

#include <cmath>
#include <cstdint>

#include "framework/Exceptions.hpp"

namespace rtl {

namespace {

// Products by squaring lose about one bit per squaring; carried out in the 113-bit
// binary128 format, 31 squarings still leave the result exact to the last bit of
// Extended. binary128 has the same exponent range as Extended, so nothing overflows
// or underflows early.
__extension__ typedef __float128 Quad;

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
    return FiniteOrRaise(Extended(rProduct));
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

}  // namespace rtl
