#include "builtins/BuiltIns.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "framework/base/TextCase.hpp"
#include "framework/math/Finance.hpp"
#include "framework/math/Math.hpp"
#include "framework/math/Random.hpp"

namespace quorix::builtins {

using rtl::Extended;

int ResolvePosition(int iPosition, int ParCount) {
    if (iPosition == kLast) return ParCount;
    if (iPosition == kBeforeLast) return ParCount - 1;
    return iPosition;
}

TCallArguments::TCallArguments(std::span<const rParam> arrPar, int ParCount)
    : FParams(arrPar), FParCount(ParCount) {}

bool IsString(const rParam& Param) { return Param.bIsString; }

bool IsInteger(const rParam& Param) { return !Param.bIsString && Param.rValue == std::trunc(Param.rValue); }

bool IsPaymentTime(const rParam& Param) {
    if (!Param.bIsString) return false;
    const std::string sUpper = rtl::UpperCase(Param.sValue);
    return sUpper == "START" || sUpper == "END";
}

rtl::TPaymentTime GetPayment(const rParam& Param) {
    return rtl::UpperCase(Param.sValue) == "END" ? rtl::ptEndOfPeriod : rtl::ptStartOfPeriod;
}

const rParam& TCallArguments::At(int iPosition) const {
    return FParams[std::size_t(ResolvePosition(iPosition, FParCount) - 1)];
}

Extended TCallArguments::Number(int iPosition) const { return At(iPosition).rValue; }

int TCallArguments::Whole(int iPosition) const { return rtl::Trunc(At(iPosition).rValue); }

rtl::TPaymentTime TCallArguments::Payment(int iPosition) const { return GetPayment(At(iPosition)); }

std::span<const double> TCallArguments::List(int iFirst, int iLast) {
    const int iFrom = ResolvePosition(iFirst, FParCount), iTo = ResolvePosition(iLast, FParCount);
    FListBuffer.reserve(std::size_t(std::max(iTo - iFrom + 1, 0)));
    for (int i = iFrom; i <= iTo; ++i) {
        const Extended rValue = At(i).rValue;
        const double rCopy = double(rValue);
        if (std::isinf(rCopy) && std::isfinite(rValue)) rtl::RaiseOverflow();
        FListBuffer.push_back(rCopy);
    }
    return FListBuffer;
}

namespace {

using TListRoutine = Extended (*)(std::span<const double>);

constexpr TKind N = TKind::Number, W = TKind::Whole, P = TKind::PaymentTime;

bool HasKind(const rParam& Param, TKind Kind) {
    switch (Kind) {
        case TKind::Number: return !IsString(Param);
        case TKind::Whole: return IsInteger(Param);
        case TKind::PaymentTime: return IsPaymentTime(Param);
    }
    return false;
}

// The code of the last failing test, 0 when all pass: count, then kinds, then domain.
// The count is ParCount's; iWritten arguments can be read, and a test of a position
// beyond them is skipped.
int TestArguments(const TBuiltIn& Row, std::span<const rParam> arrPar, int ParCount, int iWritten) {
    int iErrCode = 0;
    if (Row.bCountTested) {
        if (ParCount < Row.iMinCount) iErrCode = epTooFewArguments;
        if (ParCount > Row.iMaxCount) iErrCode = epTooManyArguments;
    }
    ParCount = iWritten;
    auto Written = [ParCount](int iPosition) { return iPosition >= 1 && iPosition <= ParCount; };
    for (const TKindTest& test : Row.KindTests) {
        const int iLast = ResolvePosition(test.iLast, ParCount);
        for (int i = ResolvePosition(test.iFirst, ParCount); i <= iLast; ++i)
            if (Written(i) && !HasKind(arrPar[std::size_t(i - 1)], test.Kind)) iErrCode = epWrongKind;
    }
    for (const TDomainTest& test : Row.DomainTests) {
        if (!Written(test.iPosition) || (test.iOther != 0 && !Written(test.iOther))) continue;
        const Extended rOther = test.iOther != 0 ? arrPar[std::size_t(test.iOther - 1)].rValue : 0;
        if (test.Fails(arrPar[std::size_t(test.iPosition - 1)].rValue, rOther)) iErrCode = test.iCode;
    }
    return iErrCode;
}

}  // namespace

void Call(const TBuiltIn& Row, std::span<const rParam> arrPar, int ParCount, int& iErrCode,
          Extended& Result) {
    Result = 0;
    // The engine passes as many arguments as ParCount says; should a caller not, no
    // argument beyond the array is read.
    const int iWritten = std::clamp(ParCount, 0, int(arrPar.size()));
    const int iCode = TestArguments(Row, arrPar, ParCount, iWritten);
    if (iCode != 0) {
        iErrCode = iCode;
        return;
    }
    TCallArguments args(arrPar, iWritten);
    Result = Row.Compute(args);
}

TBuiltIn OneNumber(TBuiltInSignature Signature, TUnary Routine, std::vector<TDomainTest> Domain) {
    core::TPureCall Pure{nullptr, Routine, nullptr, Domain};
    return {Signature,
            {},
            true,
            1,
            1,
            {{N, 1, 1}},
            std::move(Domain),
            [Routine](TCallArguments& Args) { return Routine(Args.Number(1)); },
            std::move(Pure)};
}

TBuiltIn TwoNumbers(TBuiltInSignature Signature, TBinary Routine, std::vector<TDomainTest> Domain) {
    core::TPureCall Pure{nullptr, nullptr, Routine, Domain};
    return {Signature,
            {},
            true,
            2,
            2,
            {{N, 1, 1}, {N, 2, 2}},
            std::move(Domain),
            [Routine](TCallArguments& Args) { return Routine(Args.Number(1), Args.Number(2)); },
            std::move(Pure)};
}

TBuiltIn Impure(TBuiltIn Row) {
    Row.Pure = {};
    return Row;
}

TBuiltIn Numbers(TBuiltInSignature Signature, std::function<Extended(TCallArguments& Args)> Compute) {
    return {Signature, {}, true, 1, kUnbounded, {{N, 1, kLast}}, {}, std::move(Compute)};
}

namespace {

TBuiltIn Constant(TBuiltInSignature Signature, TNullary Value) {
    return {Signature, {}, false, 0, kUnbounded, {}, {}, [Value](TCallArguments&) { return Value(); },
            {Value}};
}

TBuiltIn Rounding(TBuiltInSignature Signature, int (*Routine)(Extended)) {
    return {Signature, {},
            true,      1,
            1,         {{N, 1, 1}},
            {},        [Routine](TCallArguments& Args) { return Extended(Routine(Args.Number(1))); }};
}

TBuiltIn ListOf(TBuiltInSignature Signature, TListRoutine Routine) {
    return Numbers(Signature, [Routine](TCallArguments& Args) { return Routine(Args.List(1, kLast)); });
}

TBuiltIn Financial(TBuiltInSignature Signature, int iCount, std::vector<TKindTest> Kinds,
                   std::function<Extended(TCallArguments&)> Compute) {
    return {Signature, {}, true, iCount, iCount, std::move(Kinds), {}, std::move(Compute)};
}

// The domain tests. A string argument reads as 0 in them.

bool AboveOne(Extended x, Extended) { return std::fabs(x) > 1; }
bool BelowOne(Extended x, Extended) { return x < 1; }
bool IsZero(Extended x, Extended) { return x == 0; }
// Beyond 2^64 in magnitude; 2^64 itself passes.
bool Beyond2To64(Extended x, Extended) { return std::fabs(x) > rtl::IntPower(2, 64); }
// An exponent too large for the repeated product on a base that has no logarithm.
bool PowerWithoutValue(Extended rBase, Extended rExponent) {
    const Extended kLargestInt32 = 2147483647;
    return std::fabs(rExponent) > kLargestInt32 && rBase <= 0;
}

const TDomainTest kAtMostOneInMagnitude{1, 0, AboveOne, epOutOfDomain};

std::vector<TBuiltIn> MakeBuiltIns() {
    std::vector<TBuiltIn> rows{
        OneNumber({"ArcCos", "x"}, rtl::ArcCos, {kAtMostOneInMagnitude}),
        OneNumber({"ArcSin", "x"}, rtl::ArcSin, {kAtMostOneInMagnitude}),
        TwoNumbers({"ArcTan2", "y; x"}, rtl::ArcTan2,
                   {{1, 0, Beyond2To64, epOutOfDomain},
                    {2, 0, Beyond2To64, epOutOfDomain},
                    {1, 0, IsZero, epOutOfDomain}}),
        OneNumber({"Sin", "x"}, rtl::Sin),
        OneNumber({"Cos", "x"}, rtl::Cos),
        OneNumber({"Tan", "x"}, rtl::Tan),
        // 0 is reported as an argument of the wrong kind, like a string.
        OneNumber({"Cotan", "x"}, rtl::Cotan, {{1, 0, IsZero, epWrongKind}}),
        TwoNumbers({"Hypot", "x; y"}, rtl::Hypot),
        OneNumber({"DegToRad", "degrees"}, rtl::DegToRad),
        OneNumber({"RadToDeg", "radians"}, rtl::RadToDeg),
        OneNumber({"GradToRad", "grads"}, rtl::GradToRad),
        OneNumber({"RadToGrad", "radians"}, rtl::RadToGrad),
        OneNumber({"CycleToRad", "cycles"}, rtl::CycleToRad),
        OneNumber({"RadToCycle", "radians"}, rtl::RadToCycle),
        OneNumber({"Cosh", "x"}, rtl::Cosh),
        OneNumber({"Sinh", "x"}, rtl::Sinh),
        OneNumber({"Tanh", "x"}, rtl::Tanh),
        OneNumber({"ArcCosh", "x"}, rtl::ArcCosh, {{1, 0, BelowOne, epOutOfDomain}}),
        OneNumber({"ArcSinh", "x"}, rtl::ArcSinh),
        OneNumber({"ArcTanh", "x"}, rtl::ArcTanh, {kAtMostOneInMagnitude}),
        OneNumber({"LnXP1", "x"}, rtl::LnXP1),
        OneNumber({"Log10", "x"}, rtl::Log10),
        OneNumber({"Log2", "x"}, rtl::Log2),
        TwoNumbers({"LogN", "base; x"}, rtl::LogN),
        TwoNumbers({"Power", "base; exponent"}, rtl::Power, {{1, 2, PowerWithoutValue, epOutOfDomain}}),
        Rounding({"Ceil", "x"}, rtl::Ceil),
        Rounding({"Floor", "x"}, rtl::Floor),
        {{"Poly", "x; c0; c1; ..."},
         {},
         true,
         2,
         kUnbounded,
         {{N, 1, kLast}},
         {},
         [](TCallArguments& Args) { return rtl::Poly(Args.Number(1), Args.List(2, kLast)); }},
        ListOf({"Mean", "x1; x2; ..."}, rtl::Mean),
        ListOf({"Sum", "x1; x2; ..."}, rtl::Sum),
        ListOf({"SumOfSquares", "x1; x2; ..."}, rtl::SumOfSquares),
        ListOf({"MinValue", "x1; x2; ..."}, rtl::MinValue),
        ListOf({"MaxValue", "x1; x2; ..."}, rtl::MaxValue),
        ListOf({"StdDev", "x1; x2; ..."}, rtl::StdDev),
        ListOf({"PopnStdDev", "x1; x2; ..."}, rtl::PopnStdDev),
        ListOf({"Variance", "x1; x2; ..."}, rtl::Variance),
        ListOf({"PopnVariance", "x1; x2; ..."}, rtl::PopnVariance),
        ListOf({"TotalVariance", "x1; x2; ..."}, rtl::TotalVariance),
        ListOf({"Norm", "x1; x2; ..."}, rtl::Norm),
        Impure(TwoNumbers({"RandG", "mean; standard deviation"}, rtl::RandG)),
        Financial({"DoubleDecliningBalance", "cost; salvage; life; period"}, 4,
                  {{N, 1, kLast}, {W, 3, 3}, {W, 4, 4}},
                  [](TCallArguments& a) {
                      return rtl::DoubleDecliningBalance(a.Number(1), a.Number(2), a.Whole(3), a.Whole(4));
                  }),
        Financial({"FutureValue", "rate; periods; payment; present value; 'START' or 'END'"}, 5,
                  {{N, 1, 4}, {W, 2, 2}, {P, 5, 5}},
                  [](TCallArguments& a) {
                      return rtl::FutureValue(a.Number(1), a.Whole(2), a.Number(3), a.Number(4),
                                              a.Payment(5));
                  }),
        Financial({"InterestPayment", "rate; period; periods; present value; future value; 'START' or 'END'"},
                  6, {{N, 1, 1}, {W, 2, 2}, {W, 3, 3}, {N, 4, 4}, {N, 5, 5}, {P, 6, 6}},
                  [](TCallArguments& a) {
                      return rtl::InterestPayment(a.Number(1), a.Whole(2), a.Whole(3), a.Number(4),
                                                  a.Number(5), a.Payment(6));
                  }),
        Financial({"InterestRate", "periods; payment; present value; future value; 'START' or 'END'"}, 5,
                  {{W, 1, 1}, {N, 2, 4}, {P, 5, 5}},
                  [](TCallArguments& a) {
                      return rtl::InterestRate(a.Whole(1), a.Number(2), a.Number(3), a.Number(4),
                                               a.Payment(5));
                  }),
        {{"InternalRateOfReturn", "guess; flow0; flow1; ..."},
         {},
         true,
         2,
         kUnbounded,
         {{N, 1, kLast}},
         {},
         [](TCallArguments& a) { return rtl::InternalRateOfReturn(a.Number(1), a.List(2, kLast)); }},
        Financial({"NumberOfPeriods", "rate; payment; present value; future value; 'START' or 'END'"}, 5,
                  {{N, 1, 4}, {P, 5, 5}},
                  [](TCallArguments& a) {
                      return rtl::NumberOfPeriods(a.Number(1), a.Number(2), a.Number(3), a.Number(4),
                                                  a.Payment(5));
                  }),
        {{"NetPresentValue", "rate; flow1; flow2; ...; 'START' or 'END'"},
         {},
         true,
         3,
         kUnbounded,
         {{N, 1, kBeforeLast}, {P, kLast, kLast}},
         {},
         [](TCallArguments& a) {
             return rtl::NetPresentValue(a.Number(1), a.List(2, kBeforeLast), a.Payment(kLast));
         }},
        Financial({"Payment", "rate; periods; present value; future value; 'START' or 'END'"}, 5,
                  {{N, 1, 1}, {W, 2, 2}, {N, 3, 4}, {P, 5, 5}},
                  [](TCallArguments& a) {
                      return rtl::Payment(a.Number(1), a.Whole(2), a.Number(3), a.Number(4), a.Payment(5));
                  }),
        Financial({"PeriodPayment", "rate; period; periods; present value; future value; 'START' or 'END'"},
                  6, {{N, 1, 1}, {W, 2, 2}, {W, 3, 3}, {N, 4, 4}, {N, 5, 5}, {P, 6, 6}},
                  [](TCallArguments& a) {
                      return rtl::PeriodPayment(a.Number(1), a.Whole(2), a.Whole(3), a.Number(4), a.Number(5),
                                                a.Payment(6));
                  }),
        Financial({"PresentValue", "rate; periods; payment; future value; 'START' or 'END'"}, 5,
                  {{N, 1, 1}, {W, 2, 2}, {N, 3, 4}, {P, 5, 5}},
                  [](TCallArguments& a) {
                      return rtl::PresentValue(a.Number(1), a.Whole(2), a.Number(3), a.Number(4),
                                               a.Payment(5));
                  }),
        Financial(
            {"SLNDepreciation", "cost; salvage; life"}, 3, {{N, 1, 2}, {W, 3, 3}},
            [](TCallArguments& a) { return rtl::SLNDepreciation(a.Number(1), a.Number(2), a.Whole(3)); }),
        Financial({"SYDDepreciation", "cost; salvage; life; period"}, 4, {{N, 1, 2}, {W, 3, 3}, {W, 4, 4}},
                  [](TCallArguments& a) {
                      return rtl::SYDDepreciation(a.Number(1), a.Number(2), a.Whole(3), a.Whole(4));
                  }),
        Constant({"Pi", ""}, [] { return rtl::Pi; }),
        Impure(Constant({"Random", ""}, rtl::Random)),
    };
    for (TBuiltIn& row : rows) row.sUpperName = rtl::UpperCase(row.Signature.sName);
    return rows;
}

}  // namespace

std::span<const TBuiltIn> BuiltIns() {
    static const std::vector<TBuiltIn> kRows = MakeBuiltIns();
    return kRows;
}

namespace {

// The rows by name, open-addressed with a cheap hash: every evaluation of a built-in
// looks its row up, and a general string hash cost more than many of the functions.
class TRowsByName {
public:
    TRowsByName() {
        for (const TBuiltIn& row : BuiltIns()) {
            std::size_t i = Hash(row.sUpperName);
            while (FSlots[i]) i = (i + 1) % FSlots.size();
            FSlots[i] = &row;
        }
    }
    const TBuiltIn* Find(const std::string& sUpperName) const {
        for (std::size_t i = Hash(sUpperName); FSlots[i]; i = (i + 1) % FSlots.size())
            if (FSlots[i]->sUpperName == sUpperName) return FSlots[i];
        return nullptr;
    }

private:
    std::size_t Hash(const std::string& sName) const {
        std::size_t h = sName.size();
        for (const char c : sName) h = h * 31 + static_cast<unsigned char>(c);
        return h % FSlots.size();
    }
    std::array<const TBuiltIn*, 256> FSlots{};  // well above the 54 rows: probes stay short
};

}  // namespace

const TBuiltIn* FindBuiltIn(const std::string& sUpperName) {
    static const TRowsByName kByName;
    return kByName.Find(sUpperName);
}

}  // namespace quorix::builtins
