// Calc runs a compiled program; CalcOnBST walks the tree. On random texts, with and
// without Optimize, and with handlers that answer, raise and change the component
// under the evaluation, both must give the same results, values, variable reads,
// calls with their arguments, and reports. QUORIX_DIFFERENTIAL_COUNT sets how many
// texts to try.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include <map>

#include "../engine/RandomBindings.hpp"
#include "engine_vars/Quorix.hpp"
#include "framework/base/StringList.hpp"

namespace quorix_vars_test {
namespace {

using quorix::rParam;
using quorix::TQuorix;
using quorix::testing::TAnswer;
using rtl::Extended;

// A component whose every handler call follows the script of one seed and is written
// to Log; Walk chooses how Calc evaluates.
class TScripted : public TQuorix {
public:
    TScripted(bool bWalk, uint64_t iSeed) : TQuorix(nullptr), FWalk(bWalk), FSeed(iSeed) {
        const rtl::TStringList Functions{"F", "G"};
        const rtl::TStringList Variables{"x", "y"};
        SetFunctions(&Functions);
        SetVariables(&Variables);
        SetOnError([this](int iPos, int iErrCode) {
            Log += "report " + std::to_string(iErrCode) + '@' + std::to_string(iPos) + '\n';
            if (FirstError == 0) FirstError = iErrCode;
            Act();
        });
        SetOnGetVariable([this](const std::string& sName, Extended& Result) {
            if (const auto It = Fixed.find(sName); It != Fixed.end()) {
                Result = It->second;
                return;
            }
            Log += "variable " + sName;
            Result = Answer({}, 0);
        });
        AssignFunctionHandler();
    }

    std::string Log;
    std::map<std::string, Extended> Fixed;
    bool KeepHandler = false;
    int FirstError = 0;

protected:
    Extended EvaluateTree() override { return FWalk ? CalcOnBST(Root()) : TQuorix::EvaluateTree(); }

private:
    void AssignFunctionHandler() {
        SetOnGetFunction(
            [this](const std::string& sName, std::span<const rParam> arrPar, int ParCount, Extended& Result) {
                Log += sName + '/' + std::to_string(ParCount) + '(';
                Extended rSum = 0;
                for (const rParam& Par : arrPar) {
                    Log += Par.bIsString ? '\'' + Par.sValue + '\'' : quorix::testing::Bits(Par.rValue);
                    Log += ' ';
                    if (!Par.bIsString) rSum += Par.rValue;
                }
                Log += ')';
                Result = Answer(arrPar, rSum);
            });
    }

    // Runs the acts an answer may commit and counts the call; returns the answer.
    TAnswer Act() {
        const TAnswer Answer = quorix::testing::AnswerOf(FSeed, FCalls++);
        switch (Answer) {
            case TAnswer::Raise: Log += " raises\n"; throw std::runtime_error("handler");
            case TAnswer::NewText: SetText("F(1)+x"); break;
            case TAnswer::DropHandler:
                if (!KeepHandler) SetOnGetFunction(nullptr);
                break;
            case TAnswer::ReplaceHandler: AssignFunctionHandler(); break;
            default: break;
        }
        return Answer;
    }

    Extended Answer(std::span<const rParam>, Extended rSum) {
        const int iCall = FCalls;
        const TAnswer Answer = Act();
        Log += ' ' + std::to_string(static_cast<int>(Answer)) + '\n';
        return quorix::testing::ValueOf(Answer, iCall, rSum);
    }

    bool FWalk;
    uint64_t FSeed;
    int FCalls = 0;
};

TEST(ProgramDifferential, CalcGivesWhatTheTreeWalkerGivesOnRandomTexts) {
    quorix::testing::ExpectProgramAsWalker<TScripted>(2000, 0x7a75, {{"x", "y"}, {"F", "G"}, "u"});
}

TEST(ProgramDifferential, BoundNamesGiveWhatHandlersGiveOnRandomTexts) {
    quorix::testing::ExpectBoundAsAnswered<TScripted>(1000, 0xb0d5, {{"x", "y"}, {"F", "G"}, "u"});
}

TEST(ProgramDifferential, CalcRowsGivesWhatACalcPerRowGivesOnRandomTexts) {
    quorix::testing::ExpectRowsAsCalcs<TScripted>(600, 0x5eed5, {{"x", "y"}, {"F", "G"}, "u"});
}

}  // namespace
}  // namespace quorix_vars_test
