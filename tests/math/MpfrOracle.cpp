#include "tests/math/MpfrOracle.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace quorix::mathcheck {

namespace {

constexpr mpfr_prec_t kExtendedBits = 64;
constexpr mpfr_prec_t kExactBits = 128;
// Exponents of MPFR's convention (significand in [1/2, 1)): the least denormal is
// 2^-16445, the greatest finite value just below 2^16384.
constexpr mpfr_exp_t kLeastExponent = -16444;
constexpr mpfr_exp_t kGreatestExponent = 16384;
constexpr long kLeastUlpExponent = -16445;

// MPFR's exponent range narrowed to Extended's while it lives.
class TExtendedRange {
public:
    TExtendedRange() : iSavedLeast(mpfr_get_emin()), iSavedGreatest(mpfr_get_emax()) {
        mpfr_set_emin(kLeastExponent);
        mpfr_set_emax(kGreatestExponent);
    }
    ~TExtendedRange() {
        mpfr_set_emin(iSavedLeast);
        mpfr_set_emax(iSavedGreatest);
    }
    TExtendedRange(const TExtendedRange&) = delete;
    TExtendedRange& operator=(const TExtendedRange&) = delete;

private:
    mpfr_exp_t iSavedLeast, iSavedGreatest;
};

}  // namespace

const char* OutcomeName(TOutcome Outcome) {
    switch (Outcome) {
        case TOutcome::Value: return "value";
        case TOutcome::Overflow: return "EOverflow";
        case TOutcome::ZeroDivide: return "EZeroDivide";
        case TOutcome::InvalidOp: return "EInvalidOp";
    }
    return "?";
}

TResult Expected(TReference Reference, Extended A, Extended B) {
    const TExtendedRange range;
    TNumber a(kExtendedBits, A), b(kExtendedBits, B), result(kExtendedBits);
    mpfr_clear_flags();
    const int iTernary = Reference(result, a, b, MPFR_RNDN);
    mpfr_subnormalize(result, iTernary, MPFR_RNDN);
    if (mpfr_nan_p(result)) return {TOutcome::InvalidOp};
    if (mpfr_divby0_p()) return {TOutcome::ZeroDivide};
    if (mpfr_inf_p(result)) return {TOutcome::Overflow};
    return {TOutcome::Value, mpfr_get_ld(result, MPFR_RNDN)};
}

double UlpError(TReference Reference, Extended A, Extended B, Extended rActual) {
    TNumber a(kExtendedBits, A), b(kExtendedBits, B), exact(kExactBits);
    Reference(exact, a, b, MPFR_RNDN);
    if (mpfr_zero_p(exact)) return rActual == 0 ? 0 : std::numeric_limits<double>::infinity();
    const long iUlpExponent = std::max<long>(mpfr_get_exp(exact) - kExtendedBits, kLeastUlpExponent);
    TNumber difference(2 * kExactBits, rActual);
    mpfr_sub(difference, difference, exact, MPFR_RNDN);
    mpfr_mul_2si(difference, difference, -iUlpExponent, MPFR_RNDN);
    return std::fabs(mpfr_get_d(difference, MPFR_RNDN));
}

Extended NearestHalfPiMultiple(unsigned long k) {
    // 64 bits of k and 64 of the result, with bits to spare for the rounding.
    TNumber multiple(4 * kExtendedBits);
    mpfr_const_pi(multiple, MPFR_RNDN);
    mpfr_mul_ui(multiple, multiple, k, MPFR_RNDN);
    mpfr_div_2ui(multiple, multiple, 1, MPFR_RNDN);
    return mpfr_get_ld(multiple, MPFR_RNDN);
}

Extended NearestPowerOfTen(long k) {
    const TExtendedRange range;
    TNumber power(kExtendedBits);
    const std::string sPower = "1e" + std::to_string(k);
    const int iTernary = mpfr_strtofr(power, sPower.c_str(), nullptr, 10, MPFR_RNDN);
    mpfr_subnormalize(power, iTernary, MPFR_RNDN);
    return mpfr_get_ld(power, MPFR_RNDN);
}

}  // namespace quorix::mathcheck
