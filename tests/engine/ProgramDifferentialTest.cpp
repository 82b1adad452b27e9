// The differential suites of the compiled program on this flavour: its scripted
// component calls f, g and the built-in b, and answers all of them by the script.
#include "engine/Quorix.hpp"
#include "framework/base/StringList.hpp"
#include "tests/support/ProgramDifferentialSuite.hpp"

namespace quorix::testing {
namespace {

using rtl::Extended;

class TScriptedHandlers : public TScriptedQuorix<TQuorix> {
public:
    static TTextNames Names() { return {{"f", "g", "b"}, {"f", "g", "b"}, "u"}; }
    static constexpr uint64_t iWalkerSeed = 0xca1c, iBoundSeed = 0xb0d, iRowsSeed = 0x5eed;

    TScriptedHandlers(bool bWalk, uint64_t iSeed) : TScriptedQuorix(bWalk, iSeed, "f(1)+2") {
        AddBuildInFun("b");
        const rtl::TStringList Names{"f", "g"};
        SetFunctions(&Names);
        AssignFunctionHandler();
    }

protected:
    void GetFunBuildIn(const std::string& sName, std::span<const rParam> arrPar, int, int& iErrCode,
                       Extended& Result) override {
        if (Answer("built-in ", sName, arrPar, Result) == TAnswer::ErrorCode) iErrCode = 42;
    }

    void AssignFunctionHandler() override {
        SetOnGetFunction([this](const std::string& sName, std::span<const rParam> arrPar, int, int& iErrCode,
                                Extended& Result) {
            if (Answer("", sName, arrPar, Result) == TAnswer::ErrorCode) iErrCode = 42;
        });
    }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(ProgramDifferential, Evaluation, TScriptedHandlers);

}  // namespace quorix::testing
