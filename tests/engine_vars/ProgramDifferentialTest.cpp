// The differential suites of the compiled program on this flavour: its scripted
// component reads x and y and calls F and G, and answers all of them by the script.
#include "engine_vars/Quorix.hpp"
#include "framework/base/StringList.hpp"
#include "tests/support/ProgramDifferentialSuite.hpp"

namespace quorix::testing {
namespace {

using rtl::Extended;

class TScriptedVariables : public TScriptedQuorix<TQuorix> {
public:
    static TTextNames Names() { return {{"x", "y"}, {"F", "G"}, "u"}; }
    static constexpr uint64_t iWalkerSeed = 0x7a75, iBoundSeed = 0xb0d5, iRowsSeed = 0x5eed5;

    TScriptedVariables(bool bWalk, uint64_t iSeed) : TScriptedQuorix(bWalk, iSeed, "F(1)+x") {
        const rtl::TStringList Functions{"F", "G"};
        const rtl::TStringList Variables{"x", "y"};
        SetFunctions(&Functions);
        SetVariables(&Variables);
        SetOnGetVariable(
            [this](const std::string& sName, Extended& Result) { Answer("variable ", sName, {}, Result); });
        AssignFunctionHandler();
    }

protected:
    void AssignFunctionHandler() override {
        SetOnGetFunction([this](const std::string& sName, std::span<const rParam> arrPar, int,
                                Extended& Result) { Answer("", sName, arrPar, Result); });
    }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(ProgramDifferential, Evaluation, TScriptedVariables);

}  // namespace quorix::testing
