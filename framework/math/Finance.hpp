// Financial routines, following the usual spreadsheet conventions.
//
// Money paid out is negative, money received positive. With rate r per period, n
// periods, payment pmt, present value pv, future value fv and t = 1 for payments at the
// start of each period (0 at the end), the values balance:
//     pv (1+r)^n + pmt (1 + r t) ((1+r)^n - 1) / r + fv = 0,
// which at r = 0 becomes its limit pv + pmt n + fv = 0. Each routine solves the balance
// for one of its quantities.
//
// Failures follow the math unit: no routine returns INF or NAN. A balance that cannot be
// solved divides by zero (EZeroDivide) or has no real value (EInvalidOp); arguments out
// of range (a period outside the life of a loan or an asset) and searches that find no
// rate raise EInvalidArgument.
#pragma once

#include <span>

#include "framework/base/Types.hpp"

namespace rtl {

enum TPaymentTime { ptEndOfPeriod, ptStartOfPeriod };

Extended FutureValue(Extended rRate, int iPeriods, Extended rPayment, Extended rPresentValue,
                     TPaymentTime PaymentTime);
Extended PresentValue(Extended rRate, int iPeriods, Extended rPayment, Extended rFutureValue,
                      TPaymentTime PaymentTime);
Extended Payment(Extended rRate, int iPeriods, Extended rPresentValue, Extended rFutureValue,
                 TPaymentTime PaymentTime);
// Need not be whole.
Extended NumberOfPeriods(Extended rRate, Extended rPayment, Extended rPresentValue, Extended rFutureValue,
                         TPaymentTime PaymentTime);
// The rate per period that balances the other quantities, searched from 10%.
Extended InterestRate(int iPeriods, Extended rPayment, Extended rPresentValue, Extended rFutureValue,
                      TPaymentTime PaymentTime);

// The interest and principal parts of the payment in period iPeriod (1 to iPeriods);
// they add up to Payment.
Extended InterestPayment(Extended rRate, int iPeriod, int iPeriods, Extended rPresentValue,
                         Extended rFutureValue, TPaymentTime PaymentTime);
Extended PeriodPayment(Extended rRate, int iPeriod, int iPeriods, Extended rPresentValue,
                       Extended rFutureValue, TPaymentTime PaymentTime);

// The cash flows discounted one period apart; at the end of the periods the first flow
// is discounted by one period, at the start it is not.
Extended NetPresentValue(Extended rRate, std::span<const double> CashFlows, TPaymentTime PaymentTime);
// The rate at which the flows, the first undiscounted, are worth 0 together; the search
// starts at rGuess.
Extended InternalRateOfReturn(Extended rGuess, std::span<const double> CashFlows);

// Depreciation in period iPeriod (1 to iLife) of an asset that loses 2 / iLife of its
// book value each period, never going below the salvage value.
Extended DoubleDecliningBalance(Extended rCost, Extended rSalvage, int iLife, int iPeriod);
// Straight-line depreciation per period.
Extended SLNDepreciation(Extended rCost, Extended rSalvage, int iLife);
// Sum-of-years'-digits depreciation in period iPeriod (1 to iLife).
Extended SYDDepreciation(Extended rCost, Extended rSalvage, int iLife, int iPeriod);

}  // namespace rtl
