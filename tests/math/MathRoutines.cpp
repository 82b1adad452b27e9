#include "tests/math/MathRoutines.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "framework/base/Exceptions.hpp"
#include "framework/math/Math.hpp"
#include "tests/math/ExtendedBits.hpp"

namespace quorix::mathcheck {

namespace {

using TUnaryReference = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

template <Extended (*Ours)(Extended)>
Extended CallUnary(Extended A, Extended) {
    return Ours(A);
}

template <TUnaryReference Reference>
int ReferenceUnary(mpfr_ptr Result, mpfr_srcptr A, mpfr_srcptr, mpfr_rnd_t Rounding) {
    return Reference(Result, A, Rounding);
}

template <Extended (*Ours)(Extended), TUnaryReference Reference>
constexpr TRoutine Unary(const char* sName, TArguments (*Draw)(TDraws&)) {
    return {sName, 1, CallUnary<Ours>, ReferenceUnary<Reference>, Draw};
}

Extended OursIntPower(Extended Base, Extended Exponent) { return rtl::IntPower(Base, int(Exponent)); }

int ReferenceIntPower(mpfr_ptr Result, mpfr_srcptr Base, mpfr_srcptr Exponent, mpfr_rnd_t Rounding) {
    return mpfr_pow_si(Result, Base, mpfr_get_si(Exponent, MPFR_RNDZ), Rounding);
}

// ln X / ln Base, from logarithms 64 bits wider than the result.
int ReferenceLogN(mpfr_ptr Result, mpfr_srcptr Base, mpfr_srcptr X, mpfr_rnd_t Rounding) {
    const mpfr_prec_t iBits = mpfr_get_prec(Result) + 64;
    TNumber rLnBase(iBits), rLnX(iBits);
    mpfr_log(rLnBase, Base, Rounding);
    mpfr_log(rLnX, X, Rounding);
    return mpfr_div(Result, rLnX, rLnBase, Rounding);
}

// The argument generators. Each picks one of a few regions at random: the whole range
// of its domain (log-uniform magnitudes, denormals included), the everyday range, and
// the edges where accuracy is hardest or a failure begins.

Extended AnyMagnitude(TDraws& d) { return d.Magnitude(kLeastExponent, kGreatestExponent); }

TArguments DrawAngle(TDraws& d) {
    switch (d.Below(4)) {
        case 0: return {d.Signed(AnyMagnitude(d))};
        case 1: return {d.Signed(d.Magnitude(-70, 70))};
        case 2: return {d.Uniform(-10, 10)};
        default: {
            // Around k * pi / 2 the sine or cosine nearly cancels; k up to 2^64.
            const unsigned long k = d.Below(2) ? d.Below(1000) : uint64_t(d.Magnitude(0, 63));
            return {d.Signed(d.Near(NearestHalfPiMultiple(k)))};
        }
    }
}

TArguments DrawSine(TDraws& d) {
    switch (d.Below(4)) {
        case 0: return {d.Uniform(-1, 1)};
        case 1: return {d.Signed(d.Magnitude(kLeastExponent, -1))};
        case 2: return {d.Signed(d.Near(1))};
        default: return {d.Signed(d.Below(2) ? 1 - d.Magnitude(-65, -2) : 1 + d.Magnitude(-63, 20))};
    }
}

// Zeros are positive only: the sign of a zero picks between -pi and pi, and the angle
// is documented to lie in (-pi, pi].
TArguments DrawPoint(TDraws& d) {
    // The least magnitudes round to 0, which must not come out negative.
    auto leg = [&d](Extended rMagnitude) { return rMagnitude == 0 ? rMagnitude : d.Signed(rMagnitude); };
    switch (d.Below(4)) {
        case 0: return {leg(AnyMagnitude(d)), leg(AnyMagnitude(d))};
        case 1: return {d.Signed(d.Magnitude(-40, 40)), d.Signed(d.Magnitude(-40, 40))};
        case 2: {
            // Legs of like size, anywhere in the range, up to where the length overflows.
            const int iExponent = d.Below(2) ? kGreatestExponent - d.Below(8) : d.Below(33000) - 16500;
            return {leg(d.Magnitude(iExponent - 40, iExponent)), leg(d.Magnitude(iExponent - 40, iExponent))};
        }
        default: {
            const Extended rLeg = d.Signed(d.Magnitude(-40, 40));
            return d.Below(2) ? TArguments{0, rLeg} : TArguments{rLeg, 0};
        }
    }
}

// For exponential growth: overflow (or underflow to a denormal) from about 11357 on.
TArguments DrawGrowth(TDraws& d) {
    switch (d.Below(4)) {
        case 0: return {d.Signed(d.Magnitude(kLeastExponent, 14))};
        case 1: return {d.Uniform(-50, 50)};
        case 2: return {d.Signed(d.Uniform(11340, 11410))};
        default: return {d.Signed(d.Magnitude(-70, 5))};
    }
}

TArguments DrawTanh(TDraws& d) {
    switch (d.Below(3)) {
        case 0: return {d.Signed(AnyMagnitude(d))};
        case 1: return {d.Uniform(-25, 25)};
        default: return {d.Signed(d.Magnitude(kLeastExponent, 6))};
    }
}

TArguments DrawAnyReal(TDraws& d) { return {d.Below(2) ? d.Signed(AnyMagnitude(d)) : d.Uniform(-10, 10)}; }

TArguments DrawArcCosh(TDraws& d) {
    switch (d.Below(4)) {
        case 0: return {1 + d.Magnitude(-64, 0)};
        case 1: return {d.Magnitude(0, kGreatestExponent)};
        case 2: return {d.Near(1)};
        default: return {d.Signed(d.Magnitude(kLeastExponent, -1))};
    }
}

TArguments DrawArcTanh(TDraws& d) {
    switch (d.Below(4)) {
        case 0: return {d.Signed(d.Magnitude(kLeastExponent, -1))};
        case 1: return {d.Signed(1 - d.Magnitude(-65, -2))};
        case 2: return {d.Signed(d.Near(1))};
        default: return {d.Signed(1 + d.Magnitude(-63, 10))};
    }
}

TArguments DrawLnXP1(TDraws& d) {
    switch (d.Below(5)) {
        case 0: return {AnyMagnitude(d)};
        case 1: return {d.Signed(d.Magnitude(kLeastExponent, -1))};
        case 2: return {-1 + d.Magnitude(-64, -1)};
        case 3: return {d.Near(-1)};
        default: return {-1 - d.Magnitude(-63, 20)};
    }
}

// Positive numbers of every size, those near 1 (a logarithm near 0) and near powers of
// ten; 0 is a pole, negative numbers have no logarithm.
Extended DrawLogArgumentValue(TDraws& d) {
    switch (d.Below(6)) {
        case 0:
        case 1: return AnyMagnitude(d);
        case 2: return 1 + d.Signed(d.Magnitude(-65, -8));
        case 3: return d.Near(NearestPowerOfTen(d.Below(9863) - 4931));
        case 4: return d.Near(0);
        default: return -d.Magnitude(-100, 100);
    }
}

TArguments DrawLogArgument(TDraws& d) { return {DrawLogArgumentValue(d)}; }

TArguments DrawLogN(TDraws& d) {
    const Extended rBase = d.Below(3) ? d.Magnitude(-100, 100) : d.Near(1 + d.Signed(d.Magnitude(-60, -5)));
    return {rBase, DrawLogArgumentValue(d)};
}

// An exponent that takes Base's binade to somewhere in the range, or beyond it.
Extended ExponentSpanningTheRange(TDraws& d, Extended Base) {
    return d.Signed(d.Uniform(0, 16500) / std::max(std::abs(std::ilogb(Base)), 1));
}

TArguments DrawPower(TDraws& d) {
    switch (d.Below(8)) {
        // The everyday range, and exponents about where the quick kernel hands over.
        case 6: return {d.Magnitude(-10, 10), d.Uniform(-20, 20)};
        case 7: return {1 + d.Signed(d.Magnitude(-40, -4)), d.Signed(d.Magnitude(8, 12))};
        case 0: {
            const Extended rBase = AnyMagnitude(d);
            return {rBase, ExponentSpanningTheRange(d, rBase)};
        }
        case 1: return {1 + d.Signed(d.Magnitude(-64, -20)), d.Signed(d.Magnitude(20, 75))};
        case 2: return {d.Magnitude(-10, 10), d.Signed(d.Uniform(0, 64))};
        case 3: return {-d.Magnitude(-10, 10), Extended(d.Below(129) - 64)};
        case 4: return {-d.Magnitude(-10, 10), d.Below(64) + 0.5L};
        default: return {0, d.Signed(d.Magnitude(-10, 10))};
    }
}

// Small exponents, which a quick kernel takes, to bases of every size and to bases next
// to 1 and to powers of two, whose powers fall next to ties.
TArguments DrawSmallPower(TDraws& d) {
    const Extended n = 3 + d.Below(6);
    const Extended rBase = d.Below(2) ? d.Magnitude(-2000, 2000) : d.Near(std::ldexp(1.0L, d.Below(41) - 20));
    return {d.Signed(rBase), d.Below(2) ? n : -n};
}

TArguments DrawIntPower(TDraws& d) {
    switch (d.Below(5)) {
        case 0: {
            const Extended rBase = d.Signed(AnyMagnitude(d));
            return {rBase, std::trunc(ExponentSpanningTheRange(d, rBase))};
        }
        case 1: return {d.Signed(d.Magnitude(-8, 8)), Extended(2 + d.Below(63))};
        case 2: return {1 + d.Signed(d.Magnitude(-64, -25)), d.Signed(std::trunc(d.Magnitude(20, 30)))};
        case 3: return DrawSmallPower(d);
        default: return {0, Extended(d.Below(21) - 10)};
    }
}

const TRoutine kRoutines[] = {
    Unary<rtl::Exp, mpfr_exp>("Exp", DrawGrowth),
    Unary<rtl::ExpM1, mpfr_expm1>("ExpM1", DrawGrowth),
    Unary<rtl::Ln, mpfr_log>("Ln", DrawLogArgument),
    Unary<rtl::Sin, mpfr_sin>("Sin", DrawAngle),
    Unary<rtl::Cos, mpfr_cos>("Cos", DrawAngle),
    Unary<rtl::Tan, mpfr_tan>("Tan", DrawAngle),
    Unary<rtl::Cotan, mpfr_cot>("Cotan", DrawAngle),
    Unary<rtl::ArcSin, mpfr_asin>("ArcSin", DrawSine),
    Unary<rtl::ArcCos, mpfr_acos>("ArcCos", DrawSine),
    {"ArcTan2", 2, rtl::ArcTan2, mpfr_atan2, DrawPoint},
    {"Hypot", 2, rtl::Hypot, mpfr_hypot, DrawPoint},
    Unary<rtl::Sinh, mpfr_sinh>("Sinh", DrawGrowth),
    Unary<rtl::Cosh, mpfr_cosh>("Cosh", DrawGrowth),
    Unary<rtl::Tanh, mpfr_tanh>("Tanh", DrawTanh),
    Unary<rtl::ArcSinh, mpfr_asinh>("ArcSinh", DrawAnyReal),
    Unary<rtl::ArcCosh, mpfr_acosh>("ArcCosh", DrawArcCosh),
    Unary<rtl::ArcTanh, mpfr_atanh>("ArcTanh", DrawArcTanh),
    Unary<rtl::LnXP1, mpfr_log1p>("LnXP1", DrawLnXP1),
    Unary<rtl::Log10, mpfr_log10>("Log10", DrawLogArgument),
    Unary<rtl::Log2, mpfr_log2>("Log2", DrawLogArgument),
    {"LogN", 2, rtl::LogN, ReferenceLogN, DrawLogN},
    {"Power", 2, rtl::Power, mpfr_pow, DrawPower},
    {"IntPower", 2, OursIntPower, ReferenceIntPower, DrawIntPower},
};

}  // namespace

std::span<const TRoutine> Routines() { return kRoutines; }

const TRoutine* FindRoutine(std::string_view sName) {
    for (const TRoutine& Routine : kRoutines)
        if (sName == Routine.sName) return &Routine;
    return nullptr;
}

TResult Call(const TRoutine& Routine, TArguments Arguments) {
    try {
        return {TOutcome::Value, Routine.Ours(Arguments.A, Arguments.B)};
    } catch (const rtl::EOverflow&) {
        return {TOutcome::Overflow};
    } catch (const rtl::EZeroDivide&) {
        return {TOutcome::ZeroDivide};
    } catch (const rtl::EInvalidOp&) {
        return {TOutcome::InvalidOp};
    }
}

std::string Describe(const TRoutine& Routine, TArguments Arguments) {
    std::string sCall = std::string(Routine.sName) + "(" + Describe(Arguments.A);
    if (Routine.iArity == 2) sCall += ", " + Describe(Arguments.B);
    return sCall + ")";
}

std::string Describe(const TResult& Result) {
    return Result.Outcome == TOutcome::Value ? Describe(Result.rValue) : OutcomeName(Result.Outcome);
}

}  // namespace quorix::mathcheck
