#include "builtins/ExtParser.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "builtins/BuiltIns.hpp"
#include "framework/Properties.hpp"
#include "framework/TextCase.hpp"

namespace quorix {

namespace {

using builtins::ResolvePosition;
using builtins::TBuiltIn;
using builtins::TKind;

const rtl::TClassRegistration gRegistration(TExtParser::StaticClassInfo());

bool HasKind(const rParam& Param, TKind Kind) {
    switch (Kind) {
        case TKind::Number: return !TExtParser::IsString(Param);
        case TKind::Whole: return TExtParser::IsInteger(Param);
        case TKind::PaymentTime: return TExtParser::IsPaymentTime(Param);
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
    for (const builtins::TKindTest& test : Row.KindTests) {
        const int iLast = ResolvePosition(test.iLast, ParCount);
        for (int i = ResolvePosition(test.iFirst, ParCount); i <= iLast; ++i)
            if (Written(i) && !HasKind(arrPar[std::size_t(i - 1)], test.Kind)) iErrCode = epWrongKind;
    }
    for (const builtins::TDomainTest& test : Row.DomainTests) {
        if (!Written(test.iPosition) || (test.iOther != 0 && !Written(test.iOther))) continue;
        const rtl::Extended rOther = test.iOther != 0 ? arrPar[std::size_t(test.iOther - 1)].rValue : 0;
        if (test.Fails(arrPar[std::size_t(test.iPosition - 1)].rValue, rOther)) iErrCode = test.iCode;
    }
    return iErrCode;
}

}  // namespace

TExtParser::TExtParser(rtl::TComponent* AOwner) : TQuorix(AOwner) {
    for (const TBuiltInSignature& signature : BuiltInSignatures()) AddBuildInFun(signature.sName);
}

const rtl::TClassInfo& TExtParser::StaticClassInfo() {
    static const rtl::TClassInfo Info{
        "TExtParser",
        &TQuorix::StaticClassInfo(),
        [](rtl::TComponent* AOwner) -> rtl::TComponent* { return new TExtParser(AOwner); },
        {},
    };
    return Info;
}

std::span<const TBuiltInSignature> TExtParser::BuiltInSignatures() {
    static const std::vector<TBuiltInSignature> kSignatures = [] {
        std::vector<TBuiltInSignature> signatures;
        for (const TBuiltIn& row : builtins::BuiltIns()) signatures.push_back(row.Signature);
        return signatures;
    }();
    return kSignatures;
}

bool TExtParser::IsString(const rParam& Param) { return Param.bIsString; }

bool TExtParser::IsInteger(const rParam& Param) {
    return !Param.bIsString && Param.rValue == std::trunc(Param.rValue);
}

bool TExtParser::IsPaymentTime(const rParam& Param) {
    if (!Param.bIsString) return false;
    const std::string sUpper = rtl::UpperCase(Param.sValue);
    return sUpper == "START" || sUpper == "END";
}

rtl::TPaymentTime TExtParser::GetPayment(const rParam& Param) {
    return rtl::UpperCase(Param.sValue) == "END" ? rtl::ptEndOfPeriod : rtl::ptStartOfPeriod;
}

void TExtParser::GetFunBuildIn(const std::string& sName, std::span<const rParam> arrPar, int ParCount,
                               int& iErrCode, rtl::Extended& Result) {
    TQuorix::GetFunBuildIn(sName, arrPar, ParCount, iErrCode, Result);
    Result = 0;
    const TBuiltIn* pRow = builtins::FindBuiltIn(sName);
    if (pRow == nullptr) return;  // a name added beyond the 54 evaluates to 0
    // The engine passes as many arguments as ParCount says; should a caller not, no
    // argument beyond the array is read.
    const int iWritten = std::clamp(ParCount, 0, int(arrPar.size()));
    const int iCode = TestArguments(*pRow, arrPar, ParCount, iWritten);
    if (iCode != 0) {
        iErrCode = iCode;
        return;
    }
    builtins::TCallArguments args(arrPar, iWritten);
    Result = pRow->Compute(args);
}

}  // namespace quorix
