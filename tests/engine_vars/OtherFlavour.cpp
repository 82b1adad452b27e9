// The engine flavour, compiled in its own translation unit of this program: both
// flavours declare quorix::TQuorix and must live side by side in one binary.
#include "OtherFlavour.hpp"

#include "engine/Quorix.hpp"

namespace quorix_vars_test {

FlavourOutcome EvaluateWithEngineFlavour(const std::string& sText) {
    FlavourOutcome Outcome;
    quorix::TQuorix Parser(nullptr);
    Parser.Functions()->Add("F");
    Parser.SetOnError([&](int iPos, int iErrCode) { Outcome.Reports.push_back({iPos, iErrCode}); });
    Parser.SetText(sText);
    Outcome.bCalculated = Parser.Calc();
    Outcome.rValue = Parser.Value();
    return Outcome;
}

}  // namespace quorix_vars_test
