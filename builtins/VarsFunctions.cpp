#include "builtins/VarsFunctions.hpp"

#include <string>
#include <vector>

#include "builtins/FunctionSets.hpp"

namespace quorix {
inline namespace gen5 {

namespace {

using functions::TFunctionSet;

bool IsConstant(const TBuiltInSignature& Signature) { return *Signature.sArguments == '\0'; }

void AddOnce(rtl::TStrings& List, const std::string& sName) {
    if (List.IndexOf(sName) < 0) List.Add(sName);
}

// Calls sName from the first of Sets that has it; false when none has.
bool CallFrom(const std::vector<TFunctionSet>& Sets, const std::string& sName, std::span<const rParam> arrPar,
              int ParCount, rtl::Extended& Result) {
    for (const TFunctionSet Set : Sets) {
        int iErrCode = 0;
        if (!functions::Call(Set, sName, arrPar, ParCount, iErrCode, Result)) continue;
        if (iErrCode != 0) throw EFunctionArgument(iErrCode, sName);
        return true;
    }
    return false;
}

}  // namespace

void AttachFunctions(TQuorix& Engine, bool bEveryday) {
    std::vector<TFunctionSet> Sets{TFunctionSet::BuiltIns};
    if (bEveryday) Sets.push_back(TFunctionSet::Everyday);
    for (const TFunctionSet Set : Sets)
        for (const TBuiltInSignature& signature : functions::Signatures(Set))
            AddOnce(IsConstant(signature) ? *Engine.Variables() : *Engine.Functions(), signature.sName);

    Engine.SetOnGetFunction([Sets, Previous = Engine.OnGetFunction()](const std::string& sName,
                                                                      std::span<const rParam> arrPar,
                                                                      int ParCount, rtl::Extended& Result) {
        if (!CallFrom(Sets, sName, arrPar, ParCount, Result) && Previous)
            Previous(sName, arrPar, ParCount, Result);
    });
    Engine.SetOnGetVariable(
        [Sets, Previous = Engine.OnGetVariable()](const std::string& sName, rtl::Extended& Result) {
            if (!CallFrom(Sets, sName, {}, 0, Result) && Previous) Previous(sName, Result);
        });
}

}  // namespace gen5
}  // namespace quorix
