// The binary operators of the expression language, shared by the evaluators and the
// constant folding of both engine flavours.
#pragma once

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include "framework/base/Exceptions.hpp"
#include "framework/base/Types.hpp"
#include "framework/math/Math.hpp"

namespace quorix::core {

// rtl::FiniteOrRaise with its test inline, for the evaluators' common path.
inline rtl::Extended Finite(rtl::Extended rResult) {
    if (!std::isfinite(rResult)) [[unlikely]]
        return rtl::FiniteOrRaise(rResult);
    return rResult;
}

// Finite for a value a handler has just stored through a reference: its exponent
// field and integer bit are read as integers where it lies, since comparing it on the
// x87 would wait for the 80-bit store to complete. Any doubt (an infinity, a NaN, an
// unnormal, a denormal) takes the x87's test.
inline rtl::Extended FiniteStored(const rtl::Extended& rValue) {
    std::uint64_t iSignificand = 0;
    std::uint16_t iSignAndExponent = 0;
    std::memcpy(&iSignificand, &rValue, sizeof iSignificand);
    std::memcpy(&iSignAndExponent, reinterpret_cast<const char*>(&rValue) + 8, sizeof iSignAndExponent);
    const unsigned iField = iSignAndExponent & 0x7FFFu;
    if (iField - 1 < 0x7FFEu && iSignificand >> 63) [[likely]]
        return rValue;
    return Finite(rValue);
}

// (x_sign rAnswer)^n for an answer a handler has just stored, read where it lies
// (IntPowerAt): rtl::Power(x, n) for the value x its node takes, bit for bit and
// failure for failure (a whole power's sign is the base's for odd n alone).
inline rtl::Extended WholePowerOfAnswer(const rtl::Extended& rAnswer, bool bNegate, int n) {
    const rtl::Extended rPower = rtl::IntPowerAt(rAnswer, n);
    return bNegate && (n & 1) ? -rPower : rPower;
}

// Sets to 0 a value that a handler is about to write through a reference, with
// integer stores: an 80-bit store of it would be slower than the handler's own.
inline void ZeroInPlace(rtl::Extended& rValue) { std::memset(&rValue, 0, sizeof rValue); }

// rValue * iSign for a node's sign of +1 or -1: exact either way, so negating gives
// the same bits as the multiplication, without converting the sign.
inline rtl::Extended Signed(rtl::Extended rValue, bool bNegate) { return bNegate ? -rValue : rValue; }

// rLeft cOperator rRight for one of "+-*/^" ("^" is rtl::Power). A result that is not
// finite raises the framework's math exception (EOverflow, EZeroDivide, EInvalidOp);
// it is never returned. Callers treat a division by exactly 0 as an expression error
// before they get here.
inline rtl::Extended ApplyOperator(char cOperator, rtl::Extended rLeft, rtl::Extended rRight) {
    switch (cOperator) {
        case '+': return Finite(rLeft + rRight);
        case '-': return Finite(rLeft - rRight);
        case '*': return Finite(rLeft * rRight);
        case '/': {
            const rtl::Extended rQuotient = rLeft / rRight;
            if (!std::isfinite(rQuotient)) [[unlikely]]
                return rtl::FiniteOrRaise(rQuotient, rRight == 0);
            return rQuotient;
        }
        case '^': return rtl::Power(rLeft, rRight);
        default: rtl::RaiseInvalidOp();
    }
}

// What Compute gives where it succeeds cleanly: a finite value, no math exception, no
// overflow, invalid-operation or division-by-zero flag raised on the way. For folding
// constants once, which is only right where every evaluation would succeed alike. The
// floating-point status is left as it was found: evaluations that read the flags
// afterwards see only their own. Whatever Compute throws (a caller's routine may throw
// anything) leaves the value to the evaluations, which meet it where they would.
template <class F>
std::optional<rtl::Extended> CleanValue(F&& Compute) {
    constexpr int kFailures = FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO;
    std::fexcept_t Before;
    std::fegetexceptflag(&Before, FE_ALL_EXCEPT);
    std::feclearexcept(kFailures);
    std::optional<rtl::Extended> rClean;
    try {
        const rtl::Extended rValue = Compute();
        if (!std::fetestexcept(kFailures) && std::isfinite(rValue)) rClean = rValue;
    } catch (...) {}
    std::fesetexceptflag(&Before, FE_ALL_EXCEPT);
    return rClean;
}

}  // namespace quorix::core
