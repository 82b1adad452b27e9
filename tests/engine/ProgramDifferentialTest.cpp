// Calc runs a compiled program; CalcOnBST walks the tree. On random texts, with and
// without Optimize, and with handlers that answer, fail, raise and change the component
// under the evaluation, both must give the same results, values, handler calls with
// their arguments, and reports. QUORIX_DIFFERENTIAL_COUNT sets how many texts to try.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include <map>

#include "RandomBindings.hpp"
#include "engine/Quorix.hpp"
#include "framework/base/StringList.hpp"

namespace quorix::testing {
namespace {

using rtl::Extended;

// A component whose every handler call (b is a built-in) follows the script of one
// seed and is written to Log; Walk chooses how Calc evaluates.
class TScripted : public TQuorix {
public:
    TScripted(bool bWalk, uint64_t iSeed) : TQuorix(nullptr), FWalk(bWalk), FSeed(iSeed) {
        AddBuildInFun("b");
        const rtl::TStringList Names{"f", "g"};
        SetFunctions(&Names);
        SetOnError([this](int iPos, int iErrCode) { Report(iPos, iErrCode); });
        AssignFunctionHandler();
    }

    std::string Log;
    std::map<std::string, Extended> Fixed;
    bool KeepHandler = false;
    int FirstError = 0;

protected:
    Extended EvaluateTree() override { return FWalk ? CalcOnBST(Root()) : TQuorix::EvaluateTree(); }

    void GetFunBuildIn(const std::string& sName, std::span<const rParam> arrPar, int ParCount, int& iErrCode,
                       Extended& Result) override {
        Answer("built-in ", sName, arrPar, ParCount, iErrCode, Result);
    }

private:
    void AssignFunctionHandler() {
        SetOnGetFunction([this](const std::string& sName, std::span<const rParam> arrPar, int ParCount,
                                int& iErrCode,
                                Extended& Result) { Answer("", sName, arrPar, ParCount, iErrCode, Result); });
    }

    // Runs the acts every answer may commit; returns the answer.
    TAnswer Act() {
        const TAnswer Answer = AnswerOf(FSeed, FCalls);
        switch (Answer) {
            case TAnswer::Raise: Log += "raises\n"; throw std::runtime_error("handler");
            case TAnswer::NewText: SetText("f(1)+2"); break;
            case TAnswer::DropHandler:
                if (!KeepHandler) SetOnGetFunction(nullptr);
                break;
            case TAnswer::ReplaceHandler: AssignFunctionHandler(); break;
            default: break;
        }
        return Answer;
    }

    void Answer(const char* sKind, const std::string& sName, std::span<const rParam> arrPar, int ParCount,
                int& iErrCode, Extended& Result) {
        if (const auto It = Fixed.find(sName); ParCount == 0 && It != Fixed.end()) {
            Result = It->second;
            return;
        }
        Log += sKind + sName + '/' + std::to_string(ParCount) + '(';
        Extended rSum = 0;
        for (const rParam& Par : arrPar) {
            Log += Par.bIsString ? '\'' + Par.sValue + '\'' : Bits(Par.rValue);
            Log += ' ';
            if (!Par.bIsString) rSum += Par.rValue;
        }
        const TAnswer Answer = Act();
        if (Answer == TAnswer::ErrorCode) iErrCode = 42;
        else Result = ValueOf(Answer, FCalls, rSum);
        Log += ") " + std::to_string(static_cast<int>(Answer)) + '\n';
        ++FCalls;
    }

    void Report(int iPos, int iErrCode) {
        Log += "report " + std::to_string(iErrCode) + '@' + std::to_string(iPos) + '\n';
        if (FirstError == 0) FirstError = iErrCode;
        Act();
        ++FCalls;
    }

    bool FWalk;
    uint64_t FSeed;
    int FCalls = 0;
};

TEST(ProgramDifferential, CalcGivesWhatTheTreeWalkerGivesOnRandomTexts) {
    ExpectProgramAsWalker<TScripted>(2000, 0xca1c, {{"f", "g", "b"}, {"f", "g", "b"}, "u"});
}

TEST(ProgramDifferential, BoundNamesGiveWhatHandlersGiveOnRandomTexts) {
    ExpectBoundAsAnswered<TScripted>(1000, 0xb0d, {{"f", "g", "b"}, {"f", "g", "b"}, "u"});
}

TEST(ProgramDifferential, CalcRowsGivesWhatACalcPerRowGivesOnRandomTexts) {
    ExpectRowsAsCalcs<TScripted>(600, 0x5eed, {{"f", "g", "b"}, {"f", "g", "b"}, "u"});
}

}  // namespace
}  // namespace quorix::testing
