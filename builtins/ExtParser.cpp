#include "builtins/ExtParser.hpp"

#include <typeinfo>

#include "builtins/BuiltIns.hpp"
#include "builtins/FunctionSets.hpp"
#include "framework/base/Properties.hpp"

namespace quorix {

namespace {

using builtins::TBuiltIn;

const rtl::TClassRegistration gRegistration(TExtParser::StaticClassInfo());

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
    return functions::Signatures(functions::TFunctionSet::BuiltIns);
}

bool TExtParser::IsString(const rParam& Param) { return builtins::IsString(Param); }
bool TExtParser::IsInteger(const rParam& Param) { return builtins::IsInteger(Param); }
bool TExtParser::IsPaymentTime(const rParam& Param) { return builtins::IsPaymentTime(Param); }
rtl::TPaymentTime TExtParser::GetPayment(const rParam& Param) { return builtins::GetPayment(Param); }

void TExtParser::GetFunBuildIn(const std::string& sName, std::span<const rParam> arrPar, int ParCount,
                               int& iErrCode, rtl::Extended& Result) {
    TQuorix::GetFunBuildIn(sName, arrPar, ParCount, iErrCode, Result);
    Result = 0;
    // A name added beyond the 54 evaluates to 0.
    if (const TBuiltIn* pRow = builtins::FindBuiltIn(sName))
        builtins::Call(*pRow, arrPar, ParCount, iErrCode, Result);
}

const void* TExtParser::FindBuildIn(const std::string& sUpperName) const {
    if (typeid(*this) != typeid(TExtParser)) return nullptr;
    return builtins::FindBuiltIn(sUpperName);
}

const core::TPureCall* TExtParser::PureBuildIn(const void* pBuildIn) const {
    if (typeid(*this) != typeid(TExtParser)) return nullptr;
    const core::TPureCall& Pure = static_cast<const TBuiltIn*>(pBuildIn)->Pure;
    return Pure.Exists() ? &Pure : nullptr;
}

void TExtParser::CallBuildIn(const void* pBuildIn, std::span<const rParam> arrPar, int ParCount,
                             int& iErrCode, rtl::Extended& Result) {
    builtins::Call(*static_cast<const TBuiltIn*>(pBuildIn), arrPar, ParCount, iErrCode, Result);
}

}  // namespace quorix
