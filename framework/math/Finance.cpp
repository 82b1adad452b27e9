#include "framework/math/Finance.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "framework/base/Exceptions.hpp"
#include "framework/math/ExpLog.hpp"
#include "framework/math/Math.hpp"
#include "framework/math/Power.hpp"

namespace rtl {

namespace {

Extended Timing(TPaymentTime PaymentTime) { return PaymentTime == ptStartOfPeriod ? 1 : 0; }

// (1+r)^n and (1+r)^n - 1, the latter free of cancellation for small rates. Raw values:
// the searches below probe rates where these overflow.
struct TGrowth {
    Extended rFactor;
    Extended rExcess;
};

TGrowth Growth(Extended rRate, int iPeriods) {
    if (rRate > -1) {
        // 1 + r > 0 here, so the logarithm cannot fail.
        const Extended rLog = iPeriods * LnXP1(rRate);
        return {explog::ExpOrInfinity(rLog), explog::ExpM1OrInfinity(rLog)};
    }
    // 1 + r is 0 or negative: no cancellation to avoid.
    const Extended rFactor = power::IntPowerOrInfinity(1 + rRate, iPeriods);
    return {rFactor, rFactor - 1};
}

TGrowth CheckedGrowth(Extended rRate, int iPeriods) {
    if (rRate == -1 && iPeriods < 0) RaiseZeroDivide();
    const TGrowth growth = Growth(rRate, iPeriods);
    if (!std::isfinite(growth.rFactor)) RaiseOverflow();
    return growth;
}

// (1 + r t) ((1+r)^n - 1) / r: what a payment of 1 each period is worth after the last
// period; n at r = 0.
Extended AnnuityFactor(Extended rRate, Extended rPeriods, const TGrowth& growth, Extended rTiming) {
    if (rRate == 0) return rPeriods;
    return (1 + rRate * rTiming) * growth.rExcess / rRate;
}

void RequirePeriod(int iPeriod, int iPeriods) {
    if (iPeriod < 1 || iPeriod > iPeriods)
        throw EInvalidArgument("Period " + std::to_string(iPeriod) + " lies outside 1 to " +
                               std::to_string(iPeriods));
}

// ---- Rate searches ----

// The balance a rate search drives to 0, its slope (d/dr), and the size of the terms
// it sums, against which a remainder counts as rounding noise.
struct TBalance {
    Extended rValue;
    Extended rSlope;
    Extended rScale;
};

const Extended kRootTolerance = 1e-12L;

bool IsRoot(const TBalance& balance) {
    return std::isfinite(balance.rValue) && std::fabs(balance.rValue) <= kRootTolerance * balance.rScale;
}

template <typename TBalanceAt>
bool NewtonSearch(Extended rGuess, const TBalanceAt& BalanceAt, Extended& rRoot) {
    Extended rRate = rGuess;
    for (int iStep = 0; iStep < 100; ++iStep) {
        if (!(rRate > -1)) return false;  // also for a NaN
        const TBalance balance = BalanceAt(rRate);
        if (!std::isfinite(balance.rValue) || !std::isfinite(balance.rSlope) || balance.rSlope == 0)
            return false;
        const Extended rStep = balance.rValue / balance.rSlope;
        rRate -= rStep;
        if (std::fabs(rStep) <= 1e-18L * std::max<Extended>(1, std::fabs(rRate))) {
            rRoot = rRate;
            return rRate > -1 && IsRoot(BalanceAt(rRate));
        }
    }
    return false;
}

// Walks outward from the guess in steps of ln(1 + r), both ways at once, up to rates
// of about -100% and +10^13, and bisects the first interval over which the balance
// changes sign: the root nearest the guess, found whenever one is crossed. The steps
// are fine near the guess and widen with the distance from it.
template <typename TBalanceAt>
bool BracketingSearch(Extended rGuess, const TBalanceAt& BalanceAt, Extended& rRoot) {
    const Extended kReach = 30;
    auto StepAt = [](Extended rDistance) { return std::max(1.0L / 128, rDistance / 64); };
    auto ValueAt = [&](Extended rLogGrowth) { return BalanceAt(explog::ExpM1OrInfinity(rLogGrowth)).rValue; };
    auto Opposite = [](Extended a, Extended b) {
        return std::isfinite(a) && std::isfinite(b) && ((a < 0 && b > 0) || (a > 0 && b < 0));
    };
    auto Bisect = [&](Extended a, Extended fa, Extended b) {
        for (int i = 0; i < 200; ++i) {
            const Extended m = a + (b - a) / 2;
            if (m == a || m == b) break;
            const Extended fm = ValueAt(m);
            if (fm == 0) return m;
            if (Opposite(fa, fm)) {
                b = m;
            } else {
                a = m;
                fa = fm;
            }
        }
        return a;
    };

    const Extended rStart = rGuess > -1 ? std::clamp<Extended>(LnXP1(rGuess), -kReach, kReach) : 0;
    const Extended fStart = ValueAt(rStart);
    Extended rUp = rStart, fUp = fStart, rDown = rStart, fDown = fStart;
    if (fStart == 0) {
        rRoot = ExpM1(rStart);
        return true;
    }
    while (rUp < kReach || rDown > -kReach) {
        if (rUp < kReach) {
            const Extended r = rUp + StepAt(rUp - rStart), f = ValueAt(r);
            if (f == 0 || Opposite(fUp, f)) {
                rRoot = ExpM1(f == 0 ? r : Bisect(rUp, fUp, r));
                return true;
            }
            rUp = r;
            fUp = f;
        }
        if (rDown > -kReach) {
            const Extended r = rDown - StepAt(rStart - rDown), f = ValueAt(r);
            if (f == 0 || Opposite(f, fDown)) {
                rRoot = ExpM1(f == 0 ? r : Bisect(r, f, rDown));
                return true;
            }
            rDown = r;
            fDown = f;
        }
    }
    return false;
}

[[noreturn]] void RaiseNoRate() { throw EInvalidArgument("No rate of interest balances the payments"); }

// Newton steps from the guess; should they wander off or stall, the bracketing walk.
template <typename TBalanceAt>
Extended SearchRate(Extended rGuess, const TBalanceAt& BalanceAt) {
    // With every term 0, every rate balances and none is the answer.
    if (BalanceAt(0).rScale == 0) RaiseNoRate();
    Extended rRoot = 0;
    if (NewtonSearch(rGuess, BalanceAt, rRoot) || BracketingSearch(rGuess, BalanceAt, rRoot)) return rRoot;
    RaiseNoRate();
}

// The flows c0, c1, ... discounted to the time of c0: sum of c_i x^i with x = 1 / (1+r),
// by Horner's scheme, with its slope d/dr = P'(x) * -x^2.
TBalance DiscountedFlows(Extended rRate, std::span<const double> CashFlows) {
    const Extended x = 1 / (1 + rRate);
    Extended rValue = 0, rDerivative = 0, rScale = 0;
    for (auto it = CashFlows.rbegin(); it != CashFlows.rend(); ++it) {
        rDerivative = rDerivative * x + rValue;
        rValue = rValue * x + *it;
        rScale = rScale * std::fabs(x) + std::fabs(*it);
    }
    return {rValue, -rDerivative * x * x, rScale};
}

}  // namespace

Extended FutureValue(Extended rRate, int iPeriods, Extended rPayment, Extended rPresentValue,
                     TPaymentTime PaymentTime) {
    const TGrowth growth = CheckedGrowth(rRate, iPeriods);
    const Extended rAnnuity = AnnuityFactor(rRate, iPeriods, growth, Timing(PaymentTime));
    return FiniteOrRaise(-(rPresentValue * growth.rFactor + rPayment * rAnnuity));
}

Extended PresentValue(Extended rRate, int iPeriods, Extended rPayment, Extended rFutureValue,
                      TPaymentTime PaymentTime) {
    const TGrowth growth = CheckedGrowth(rRate, iPeriods);
    const Extended rAnnuity = AnnuityFactor(rRate, iPeriods, growth, Timing(PaymentTime));
    return FiniteOrRaise(-(rFutureValue + rPayment * rAnnuity) / growth.rFactor, growth.rFactor == 0);
}

Extended Payment(Extended rRate, int iPeriods, Extended rPresentValue, Extended rFutureValue,
                 TPaymentTime PaymentTime) {
    const TGrowth growth = CheckedGrowth(rRate, iPeriods);
    const Extended rAnnuity = AnnuityFactor(rRate, iPeriods, growth, Timing(PaymentTime));
    return FiniteOrRaise(-(rPresentValue * growth.rFactor + rFutureValue) / rAnnuity, rAnnuity == 0);
}

Extended NumberOfPeriods(Extended rRate, Extended rPayment, Extended rPresentValue, Extended rFutureValue,
                         TPaymentTime PaymentTime) {
    if (rRate == 0) return FiniteOrRaise(-(rPresentValue + rFutureValue) / rPayment, rPayment == 0);
    // The balance gives (1+r)^n = 1 + x with x below; ln(1 + x) is taken without
    // forming 1 + x, which would round away the digits of a small rate.
    const Extended rDenominator = rPayment * (1 + rRate * Timing(PaymentTime)) + rPresentValue * rRate;
    const Extended x =
        FiniteOrRaise(-rRate * (rPresentValue + rFutureValue) / rDenominator, rDenominator == 0);
    return FiniteOrRaise(LnXP1(x) / LnXP1(rRate));
}

Extended InterestRate(int iPeriods, Extended rPayment, Extended rPresentValue, Extended rFutureValue,
                      TPaymentTime PaymentTime) {
    // Without periods the rate plays no part in the balance.
    if (iPeriods == 0) RaiseNoRate();
    const Extended n = iPeriods, t = Timing(PaymentTime);
    auto BalanceAt = [&](Extended r) -> TBalance {
        const TGrowth growth = Growth(r, iPeriods);
        const Extended rAnnuity = AnnuityFactor(r, n, growth, t);
        const Extended rFactorSlope = n * growth.rFactor / (1 + r);
        const Extended rAnnuitySlope =
            r == 0 ? t * n + n * (n - 1) / 2
                   : t * growth.rExcess / r + (1 + r * t) * (rFactorSlope * r - growth.rExcess) / (r * r);
        return {rPresentValue * growth.rFactor + rPayment * rAnnuity + rFutureValue,
                rPresentValue * rFactorSlope + rPayment * rAnnuitySlope,
                std::fabs(rPresentValue * growth.rFactor) + std::fabs(rPayment * rAnnuity) +
                    std::fabs(rFutureValue)};
    };
    return SearchRate(0.1L, BalanceAt);
}

Extended InterestPayment(Extended rRate, int iPeriod, int iPeriods, Extended rPresentValue,
                         Extended rFutureValue, TPaymentTime PaymentTime) {
    RequirePeriod(iPeriod, iPeriods);
    const Extended rPayment = Payment(rRate, iPeriods, rPresentValue, rFutureValue, PaymentTime);
    if (PaymentTime == ptEndOfPeriod)
        // Interest on the balance owed during the period, after the payments before it.
        return FiniteOrRaise(rRate * FutureValue(rRate, iPeriod - 1, rPayment, rPresentValue, ptEndOfPeriod));
    // Paid in advance, a payment carries the interest of the period before it: none in
    // the first period.
    if (iPeriod == 1) return 0;
    return FiniteOrRaise(
        rRate * (FutureValue(rRate, iPeriod - 2, rPayment, rPresentValue, ptStartOfPeriod) - rPayment));
}

Extended PeriodPayment(Extended rRate, int iPeriod, int iPeriods, Extended rPresentValue,
                       Extended rFutureValue, TPaymentTime PaymentTime) {
    const Extended rInterest =
        InterestPayment(rRate, iPeriod, iPeriods, rPresentValue, rFutureValue, PaymentTime);
    return FiniteOrRaise(Payment(rRate, iPeriods, rPresentValue, rFutureValue, PaymentTime) - rInterest);
}

Extended NetPresentValue(Extended rRate, std::span<const double> CashFlows, TPaymentTime PaymentTime) {
    if (rRate == -1) RaiseZeroDivide();
    const Extended rAtFirstFlow = DiscountedFlows(rRate, CashFlows).rValue;
    if (PaymentTime == ptStartOfPeriod) return FiniteOrRaise(rAtFirstFlow);
    return FiniteOrRaise(rAtFirstFlow / (1 + rRate));
}

Extended InternalRateOfReturn(Extended rGuess, std::span<const double> CashFlows) {
    return SearchRate(rGuess, [&](Extended r) { return DiscountedFlows(r, CashFlows); });
}

Extended DoubleDecliningBalance(Extended rCost, Extended rSalvage, int iLife, int iPeriod) {
    RequirePeriod(iPeriod, iLife);
    const Extended rRate = std::min<Extended>(2.0L / iLife, 1);
    // Untouched by the salvage value, the book value shrinks geometrically. Once it
    // would fall below the salvage value, that period takes only what is left above it,
    // and later periods nothing.
    const Extended rBookBefore = rCost * IntPower(1 - rRate, iPeriod - 1);
    const Extended rBookAfter = rBookBefore * (1 - rRate);
    const Extended rDepreciation = rBookAfter < rSalvage ? rBookBefore - rSalvage : rBookBefore * rRate;
    return FiniteOrRaise(std::max<Extended>(rDepreciation, 0));
}

Extended SLNDepreciation(Extended rCost, Extended rSalvage, int iLife) {
    return FiniteOrRaise((rCost - rSalvage) / iLife, iLife == 0);
}

Extended SYDDepreciation(Extended rCost, Extended rSalvage, int iLife, int iPeriod) {
    RequirePeriod(iPeriod, iLife);
    const Extended rLife = iLife;
    return FiniteOrRaise((rCost - rSalvage) * (rLife - iPeriod + 1) * 2 / (rLife * (rLife + 1)));
}

}  // namespace rtl
