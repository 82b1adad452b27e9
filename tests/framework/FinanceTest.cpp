#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "framework/base/Exceptions.hpp"
#include "framework/math/Finance.hpp"

using rtl::Extended;
using rtl::ptEndOfPeriod;
using rtl::ptStartOfPeriod;

// Expected values: mpmath at 50 digits, from the exact binary value of each argument.
// FutureValue, PresentValue and Payment from the balance equation
//     pv (1+r)^n + pmt (1 + r t) ((1+r)^n - 1) / r + fv = 0 (its limit at r = 0);
// NumberOfPeriods, InterestRate and InternalRateOfReturn by mpmath.findroot on that
// equation and on the sum of discounted flows; InterestPayment and PeriodPayment by
// walking the repayment schedule period by period; DoubleDecliningBalance by
// depreciating period by period.

namespace {

struct FinanceCase {
    const char* sCall;
    std::function<Extended()> Compute;
    Extended rExpected;
};

const Extended kMonthlyTenPercent = 0.0083333333333333333333L;

const FinanceCase kFinanceCases[] = {
    {"FutureValue(0.05, 10, -100, -1000, end)",
     [] { return rtl::FutureValue(0.05L, 10, -100, -1000, ptEndOfPeriod); }, 2886.683880332324218764L},
    {"FutureValue(0.05, 10, -100, -1000, start)",
     [] { return rtl::FutureValue(0.05L, 10, -100, -1000, ptStartOfPeriod); }, 2949.573343010068359391L},
    {"FutureValue(0, 12, -50, 200, end)", [] { return rtl::FutureValue(0, 12, -50, 200, ptEndOfPeriod); },
     400},
    {"FutureValue(1e-10, 360, -1000, 0, end)",
     [] { return rtl::FutureValue(1e-10L, 360, -1000, 0, ptEndOfPeriod); }, 360000.0064620000771132L},
    {"FutureValue(-0.5, 3, 10, 100, start)",
     [] { return rtl::FutureValue(-0.5L, 3, 10, 100, ptStartOfPeriod); }, -21.25L},
    {"FutureValue(0.0075, 240, -500, 0, start)",
     [] { return rtl::FutureValue(0.0075L, 240, -500, 0, ptStartOfPeriod); }, 336448.0107270711511897L},

    {"PresentValue(0.005, 360, -1200, 0, end)",
     [] { return rtl::PresentValue(0.005L, 360, -1200, 0, ptEndOfPeriod); }, 200149.9372708023528228L},
    {"PresentValue(0.07, 5, 0, 10000, end)",
     [] { return rtl::PresentValue(0.07L, 5, 0, 10000, ptEndOfPeriod); }, -7129.861794836684379265L},
    {"PresentValue(0, 10, -100, -50, start)",
     [] { return rtl::PresentValue(0, 10, -100, -50, ptStartOfPeriod); }, 1050},
    {"PresentValue(0.1, 20, 500, 1000, start)",
     [] { return rtl::PresentValue(0.1L, 20, 500, 1000, ptStartOfPeriod); }, -4831.103673891353411149L},

    {"Payment(0.005, 360, 200000, 0, end)",
     [] { return rtl::Payment(0.005L, 360, 200000, 0, ptEndOfPeriod); }, -1199.101050305504789167L},
    {"Payment(0.05, 10, -1000, 5000, start)",
     [] { return rtl::Payment(0.05L, 10, -1000, 5000, ptStartOfPeriod); }, -255.2555236779302685689L},
    {"Payment(0, 24, 1200, 0, end)", [] { return rtl::Payment(0, 24, 1200, 0, ptEndOfPeriod); }, -50},
    {"Payment(1e-12, 120, 10000, 0, end)", [] { return rtl::Payment(1e-12L, 120, 10000, 0, ptEndOfPeriod); },
     -83.3333333383750000001L},

    {"NumberOfPeriods(0.01, -100, 1000, 0, end)",
     [] { return rtl::NumberOfPeriods(0.01L, -100, 1000, 0, ptEndOfPeriod); }, 10.58864445942323599518L},
    {"NumberOfPeriods(0.05, -200, 1000, -500, start)",
     [] { return rtl::NumberOfPeriods(0.05L, -200, 1000, -500, ptStartOfPeriod); }, 2.975640937389124022152L},
    {"NumberOfPeriods(0, -100, 1000, 0, end)",
     [] { return rtl::NumberOfPeriods(0, -100, 1000, 0, ptEndOfPeriod); }, 10},
    {"NumberOfPeriods(1e-10, -100, 1000, 0, end)",
     [] { return rtl::NumberOfPeriods(1e-10L, -100, 1000, 0, ptEndOfPeriod); }, 10.00000000550000000358L},

    {"InterestRate(48, -200, 8000, 0, end)",
     [] { return rtl::InterestRate(48, -200, 8000, 0, ptEndOfPeriod); }, 0.007701472488202043815969L},
    {"InterestRate(60, -1000, 50000, 0, start)",
     [] { return rtl::InterestRate(60, -1000, 50000, 0, ptStartOfPeriod); }, 0.006407985777783807098693L},
    {"InterestRate(12, 0, -1000, 1200, end)",
     [] { return rtl::InterestRate(12, 0, -1000, 1200, ptEndOfPeriod); }, 0.01530947049973121705522L},
    {"InterestRate(5, -100, -1000, 2000, end)",
     [] { return rtl::InterestRate(5, -100, -1000, 2000, ptEndOfPeriod); }, 0.07289067721265634742825L},

    {"InterestPayment(10%/12, 1, 36, 8000, 0, end)",
     [] { return rtl::InterestPayment(kMonthlyTenPercent, 1, 36, 8000, 0, ptEndOfPeriod); },
     -66.66666666666666666305L},
    {"PeriodPayment(10%/12, 1, 36, 8000, 0, end)",
     [] { return rtl::PeriodPayment(kMonthlyTenPercent, 1, 36, 8000, 0, ptEndOfPeriod); },
     -191.470830884033226108L},
    {"InterestPayment(10%/12, 3, 36, 8000, 0, start)",
     [] { return rtl::InterestPayment(kMonthlyTenPercent, 3, 36, 8000, 0, ptStartOfPeriod); },
     -62.93770866094683143656L},
    {"PeriodPayment(10%/12, 3, 36, 8000, 0, start)",
     [] { return rtl::PeriodPayment(kMonthlyTenPercent, 3, 36, 8000, 0, ptStartOfPeriod); },
     -193.0664211414001696588L},
    {"InterestPayment(0.05, 5, 10, 1000, 0, end)",
     [] { return rtl::InterestPayment(0.05L, 5, 10, 1000, 0, ptEndOfPeriod); }, -32.86626719135054801593L},
    {"PeriodPayment(0.05, 5, 10, 1000, 0, end)",
     [] { return rtl::PeriodPayment(0.05L, 5, 10, 1000, 0, ptEndOfPeriod); }, -96.63830777410614748431L},
    {"InterestPayment(0.05, 10, 10, 1000, -200, start)",
     [] { return rtl::InterestPayment(0.05L, 10, 10, 1000, -200, ptStartOfPeriod); },
     -14.22238820736350822695L},
    {"PeriodPayment(0.05, 10, 10, 1000, -200, start)",
     [] { return rtl::PeriodPayment(0.05L, 10, 10, 1000, -200, ptStartOfPeriod); },
     -93.97157367107968834472L},
    {"InterestPayment(0.05, 1, 10, 1000, 0, start)",
     [] { return rtl::InterestPayment(0.05L, 1, 10, 1000, 0, ptStartOfPeriod); }, 0},
    {"InterestPayment(0, 3, 10, 1000, 0, end)",
     [] { return rtl::InterestPayment(0, 3, 10, 1000, 0, ptEndOfPeriod); }, 0},
    {"PeriodPayment(0, 3, 10, 1000, 0, end)",
     [] { return rtl::PeriodPayment(0, 3, 10, 1000, 0, ptEndOfPeriod); }, -100},

    {"NetPresentValue(0.1, -10000 3000 4200 6800, end)",
     [] {
         return rtl::NetPresentValue(0.1L, std::vector<double>{-10000, 3000, 4200, 6800}, ptEndOfPeriod);
     },
     1188.443412335223003864L},
    {"NetPresentValue(0.08, -40000 8000 9200 10000 12000 14500, start)",
     [] {
         return rtl::NetPresentValue(0.08L, std::vector<double>{-40000, 8000, 9200, 10000, 12000, 14500},
                                     ptStartOfPeriod);
     },
     1922.061554932372201091L},
    {"NetPresentValue(0, 1 2 3, end)",
     [] {
         return rtl::NetPresentValue(0, std::vector<double>{1, 2, 3}, ptEndOfPeriod);
     },
     6},
    {"NetPresentValue(0.05, 100, end)",
     [] { return rtl::NetPresentValue(0.05L, std::vector<double>{100}, ptEndOfPeriod); },
     95.23809523809523809518L},

    {"InternalRateOfReturn(0.1, -70000 12000 15000 18000 21000 26000)",
     [] {
         return rtl::InternalRateOfReturn(0.1L,
                                          std::vector<double>{-70000, 12000, 15000, 18000, 21000, 26000});
     },
     0.08663094803653161429309L},
    // Two rates balance these flows; the search finds the one nearer its guess.
    {"InternalRateOfReturn(0.09, -100 230 -132)",
     [] {
         return rtl::InternalRateOfReturn(0.09L, std::vector<double>{-100, 230, -132});
     },
     0.1L},
    {"InternalRateOfReturn(0.25, -100 230 -132)",
     [] {
         return rtl::InternalRateOfReturn(0.25L, std::vector<double>{-100, 230, -132});
     },
     0.2L},
    // A guess far off, and one below -100%, where Newton steps cannot start.
    {"InternalRateOfReturn(100, -1000 100 100 100 1100)",
     [] {
         return rtl::InternalRateOfReturn(100, std::vector<double>{-1000, 100, 100, 100, 1100});
     },
     0.1L},
    {"InternalRateOfReturn(-3, -1000 100 100 100 1100)",
     [] {
         return rtl::InternalRateOfReturn(-3, std::vector<double>{-1000, 100, 100, 100, 1100});
     },
     0.1L},

    {"DoubleDecliningBalance(2400, 300, 10, 1)", [] { return rtl::DoubleDecliningBalance(2400, 300, 10, 1); },
     480},
    {"DoubleDecliningBalance(2400, 300, 10, 2)", [] { return rtl::DoubleDecliningBalance(2400, 300, 10, 2); },
     384},
    {"DoubleDecliningBalance(2400, 300, 10, 10)",
     [] { return rtl::DoubleDecliningBalance(2400, 300, 10, 10); }, 22.1225472L},
    {"DoubleDecliningBalance(2400, 300, 3650, 1)",
     [] { return rtl::DoubleDecliningBalance(2400, 300, 3650, 1); }, 1.315068493150684931507L},
    {"DoubleDecliningBalance(2400, 300, 120, 1)",
     [] { return rtl::DoubleDecliningBalance(2400, 300, 120, 1); }, 40},
    // The salvage value caps the second period and leaves nothing for the third.
    {"DoubleDecliningBalance(1000, 300, 4, 2)", [] { return rtl::DoubleDecliningBalance(1000, 300, 4, 2); },
     200},
    {"DoubleDecliningBalance(1000, 300, 4, 3)", [] { return rtl::DoubleDecliningBalance(1000, 300, 4, 3); },
     0},
    {"DoubleDecliningBalance(1000, 100, 1, 1)", [] { return rtl::DoubleDecliningBalance(1000, 100, 1, 1); },
     900},
    {"DoubleDecliningBalance(1000, 100, 2, 2)", [] { return rtl::DoubleDecliningBalance(1000, 100, 2, 2); },
     0},

    {"SLNDepreciation(1000, 100, 3)", [] { return rtl::SLNDepreciation(1000, 100, 3); }, 300},
    {"SYDDepreciation(1000, 100, 5, 2)", [] { return rtl::SYDDepreciation(1000, 100, 5, 2); }, 240},
    {"SYDDepreciation(1000, 100, 5, 5)", [] { return rtl::SYDDepreciation(1000, 100, 5, 5); }, 60},
};

}  // namespace

TEST(Finance, AgreesWithTheBalanceEquationToFifteenDigits) {
    for (const FinanceCase& c : kFinanceCases) {
        SCOPED_TRACE(c.sCall);
        const Extended rActual = c.Compute();
        const Extended rTolerance = c.rExpected == 0 ? 1e-15L : 1e-15L * std::fabs(c.rExpected);
        EXPECT_NEAR(double(rActual), double(c.rExpected), double(rTolerance));
    }
}

TEST(Finance, FindsARateOfZero) {
    EXPECT_NEAR(double(rtl::InterestRate(10, -100, 1000, 0, ptEndOfPeriod)), 0, 1e-15);
    EXPECT_NEAR(double(rtl::InternalRateOfReturn(0.1L, std::vector<double>{-100, 50, 50})), 0, 1e-15);
}

TEST(Finance, InterestAndPrincipalAddUpToThePayment) {
    for (rtl::TPaymentTime time : {ptEndOfPeriod, ptStartOfPeriod})
        for (int iPeriod = 1; iPeriod <= 12; ++iPeriod) {
            const Extended rSum = rtl::InterestPayment(0.01L, iPeriod, 12, 5000, 100, time) +
                                  rtl::PeriodPayment(0.01L, iPeriod, 12, 5000, 100, time);
            EXPECT_NEAR(double(rSum), double(rtl::Payment(0.01L, 12, 5000, 100, time)), 1e-12);
        }
}

TEST(Finance, ReportsASearchWithoutARootAsAnInvalidArgument) {
    // Flows of one sign are worth 0 at no rate.
    EXPECT_THROW(rtl::InternalRateOfReturn(0.1L, std::vector<double>{100, 50}), rtl::EInvalidArgument);
    EXPECT_THROW(rtl::InternalRateOfReturn(0.1L, std::vector<double>{-100, -50, -1}), rtl::EInvalidArgument);
    EXPECT_THROW(rtl::InternalRateOfReturn(0.1L, std::vector<double>{}), rtl::EInvalidArgument);
    // Paying in and still receiving nothing back.
    EXPECT_THROW(rtl::InterestRate(10, -100, -1000, 0, ptEndOfPeriod), rtl::EInvalidArgument);
    // Nothing to balance, or a balance the rate plays no part in: no rate is the answer.
    EXPECT_THROW(rtl::InternalRateOfReturn(0.1L, std::vector<double>{0, 0}), rtl::EInvalidArgument);
    EXPECT_THROW(rtl::InterestRate(10, 0, 0, 0, ptStartOfPeriod), rtl::EInvalidArgument);
    EXPECT_THROW(rtl::InterestRate(0, -100, 1000, 0, ptEndOfPeriod), rtl::EInvalidArgument);
}

TEST(Finance, RejectsPeriodsOutsideTheTerm) {
    EXPECT_THROW(rtl::InterestPayment(0.05L, 0, 10, 1000, 0, ptEndOfPeriod), rtl::EInvalidArgument);
    EXPECT_THROW(rtl::PeriodPayment(0.05L, 11, 10, 1000, 0, ptEndOfPeriod), rtl::EInvalidArgument);
    EXPECT_THROW(rtl::DoubleDecliningBalance(1000, 100, 5, 6), rtl::EInvalidArgument);
    EXPECT_THROW(rtl::DoubleDecliningBalance(1000, 100, 0, 1), rtl::EInvalidArgument);
    EXPECT_THROW(rtl::SYDDepreciation(1000, 100, 5, 0), rtl::EInvalidArgument);
    EXPECT_THROW(rtl::SYDDepreciation(1000, 100, 0, 1), rtl::EInvalidArgument);
}

TEST(Finance, RaisesWhereTheBalanceCannotBeSolved) {
    // No periods: no payment can make up for a present value.
    EXPECT_THROW(rtl::Payment(0.05L, 0, 1000, 0, ptEndOfPeriod), rtl::EZeroDivide);
    EXPECT_THROW(rtl::Payment(0, 0, 1000, 0, ptEndOfPeriod), rtl::EZeroDivide);
    EXPECT_THROW(rtl::Payment(0, 0, 0, 0, ptEndOfPeriod), rtl::EInvalidOp);
    // No payment at rate 0: the present value never moves.
    EXPECT_THROW(rtl::NumberOfPeriods(0, 0, 1000, 0, ptEndOfPeriod), rtl::EZeroDivide);
    // Payments smaller than the interest: the debt only grows.
    EXPECT_THROW(rtl::NumberOfPeriods(0.1L, -50, 1000, 0, ptEndOfPeriod), rtl::EInvalidOp);
    EXPECT_THROW(rtl::SLNDepreciation(1000, 100, 0), rtl::EZeroDivide);
    EXPECT_THROW(rtl::PresentValue(-1, 3, 10, 100, ptEndOfPeriod), rtl::EZeroDivide);
    EXPECT_THROW(rtl::NetPresentValue(-1, std::vector<double>{1, 2}, ptEndOfPeriod), rtl::EZeroDivide);
    EXPECT_THROW(rtl::FutureValue(1e10L, 2000000, -1, -1, ptEndOfPeriod), rtl::EOverflow);
}
