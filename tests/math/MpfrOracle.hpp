// The reference values of the math checks: MPFR, correctly rounded to Extended (64-bit
// significand, Extended's exponent range, denormals included).
#pragma once

#include <mpfr.h>

#include "framework/base/Types.hpp"

namespace quorix::mathcheck {

using rtl::Extended;

// An MPFR routine of one or two arguments (unary ones ignore the second), rounding to
// the precision of its result.
using TReference = int (*)(mpfr_ptr rop, mpfr_srcptr a, mpfr_srcptr b, mpfr_rnd_t rnd);

// An MPFR number of a given precision, freed with its scope.
class TNumber {
public:
    explicit TNumber(mpfr_prec_t iBits) { mpfr_init2(Value, iBits); }
    TNumber(mpfr_prec_t iBits, Extended X) : TNumber(iBits) { mpfr_set_ld(Value, X, MPFR_RNDN); }
    ~TNumber() { mpfr_clear(Value); }
    TNumber(const TNumber&) = delete;
    TNumber& operator=(const TNumber&) = delete;

    operator mpfr_ptr() { return Value; }

private:
    mpfr_t Value;
};

// What a math routine must do for given arguments: return a value, or raise.
enum class TOutcome { Value, Overflow, ZeroDivide, InvalidOp };

struct TResult {
    TOutcome Outcome = TOutcome::Value;
    Extended rValue = 0;  // when Outcome is Value

    bool operator==(const TResult&) const = default;
};

const char* OutcomeName(TOutcome Outcome);

// The correctly rounded result, or the failure that the math unit raises where the
// exact result is not finite: a NaN is an invalid operation, a pole (MPFR's
// division-by-zero flag) a division by zero, an infinity otherwise an overflow.
TResult Expected(TReference Reference, Extended A, Extended B);

// The distance of rActual from the exact result (MPFR at 128 bits), in units in the
// last place of Extended at the exact result.
double UlpError(TReference Reference, Extended A, Extended B, Extended rActual);

// The Extended nearest to k * pi / 2.
Extended NearestHalfPiMultiple(unsigned long k);

// The Extended nearest to 10^k.
Extended NearestPowerOfTen(long k);

}  // namespace quorix::mathcheck
