#include "builtins/FunctionSets.hpp"

#include <vector>

#include "builtins/BuiltIns.hpp"
#include "builtins/Everyday.hpp"

namespace quorix {

namespace functions {

namespace {

std::vector<TBuiltInSignature> SignaturesOf(std::span<const builtins::TBuiltIn> Rows) {
    std::vector<TBuiltInSignature> signatures;
    for (const builtins::TBuiltIn& row : Rows) signatures.push_back(row.Signature);
    return signatures;
}

}  // namespace

std::span<const TBuiltInSignature> Signatures(TFunctionSet Set) {
    static const std::vector<TBuiltInSignature> kBuiltIns = SignaturesOf(builtins::BuiltIns());
    static const std::vector<TBuiltInSignature> kEveryday = SignaturesOf(builtins::EverydayFunctions());
    return Set == TFunctionSet::BuiltIns ? kBuiltIns : kEveryday;
}

bool Call(TFunctionSet Set, const std::string& sUpperName, std::span<const core::rParam> arrPar, int ParCount,
          int& iErrCode, rtl::Extended& Result) {
    const builtins::TBuiltIn* pRow = Set == TFunctionSet::BuiltIns ? builtins::FindBuiltIn(sUpperName)
                                                                   : builtins::FindEveryday(sUpperName);
    if (pRow == nullptr) return false;
    builtins::Call(*pRow, arrPar, ParCount, iErrCode, Result);
    return true;
}

}  // namespace functions

}  // namespace quorix
