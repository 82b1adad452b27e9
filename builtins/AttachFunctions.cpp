#include "builtins/AttachFunctions.hpp"

#include "builtins/FunctionSets.hpp"

namespace quorix {

void AttachEverydayFunctions(TQuorix& Engine) {
    using functions::TFunctionSet;
    for (const TBuiltInSignature& signature : functions::Signatures(TFunctionSet::Everyday))
        if (Engine.Functions()->IndexOf(signature.sName) < 0) Engine.Functions()->Add(signature.sName);
    Engine.SetOnGetFunction([Previous = Engine.OnGetFunction()](const std::string& sName,
                                                                std::span<const rParam> arrPar, int ParCount,
                                                                int& iErrCode, rtl::Extended& Result) {
        if (!functions::Call(TFunctionSet::Everyday, sName, arrPar, ParCount, iErrCode, Result) && Previous)
            Previous(sName, arrPar, ParCount, iErrCode, Result);
    });
}

}  // namespace quorix
