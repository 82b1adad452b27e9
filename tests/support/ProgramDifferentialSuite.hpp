// Calc runs a compiled program; CalcOnBST walks the tree. On random texts, with and
// without Optimize, and with handlers that answer, fail, raise and change the component
// under the evaluation, both must give the same results, values, handler calls with
// their arguments, and reports; bound names must give what handlers give, and CalcRows
// what a Calc per row gives. QUORIX_DIFFERENTIAL_COUNT sets how many texts to try.
// The suite runs on a flavour's scripted component (a TScriptedQuorix), which names
// what its random texts hold:
//   static TTextNames Names();
//   static constexpr uint64_t iWalkerSeed, iBoundSeed, iRowsSeed;
// Each program instantiates the suite with the prefix ProgramDifferential.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

#include "engine/core/Tie.hpp"
#include "tests/engine/RandomBindings.hpp"

namespace quorix::testing {

// A component of either flavour whose every handler call follows the script of one
// seed and is written to Log; Walk chooses how Calc evaluates. The flavour's subclass
// lists its names and hands its handlers' calls to Answer.
template <class TParser>
class TScriptedQuorix : public TParser {
public:
    std::string Log;
    std::map<std::string, long double> Fixed;
    bool KeepHandler = false;
    bool RoutinesAnswer = false;
    int FirstError = 0;

protected:
    // sNewText: what the script assigns as the component's text.
    TScriptedQuorix(bool bWalk, uint64_t iSeed, std::string sNewText)
        : TParser(nullptr), FWalk(bWalk), FSeed(iSeed), FNewText(std::move(sNewText)) {
        this->SetOnError([this](int iPos, int iErrCode) {
            Log += "report " + std::to_string(iErrCode) + '@' + std::to_string(iPos) + '\n';
            if (FirstError == 0) FirstError = iErrCode;
            Act();
        });
    }

    long double EvaluateTree() override {
        return FWalk ? this->CalcOnBST(this->Root()) : TParser::EvaluateTree();
    }

    // Assigns an OnGetFunction handler that hands its calls to Answer.
    virtual void AssignFunctionHandler() = 0;

    // Answers a call of sName, written to Log after sKind: a name without arguments
    // in Fixed or a routine's call with its value, any other as the script's next step says.
    TAnswer Answer(const std::string& sKind, const std::string& sName, std::span<const core::rParam> arrPar,
                   long double& Result) {
        if (const auto It = Fixed.find(sName); arrPar.empty() && It != Fixed.end()) {
            Result = It->second;
            return TAnswer::Value;
        }
        if (const std::optional<long double> rValue =
                RoutinesAnswer && sKind.empty() ? RoutineAnswer(sName, arrPar) : std::nullopt) {
            Result = *rValue;
            return TAnswer::Value;
        }
        Log += sKind + sName + '/' + std::to_string(arrPar.size()) + '(';
        long double rSum = 0;
        for (const core::rParam& Par : arrPar) {
            Log += Par.bIsString ? '\'' + Par.sValue + '\'' : Bits(Par.rValue);
            Log += ' ';
            if (!Par.bIsString) rSum += Par.rValue;
        }
        const int iCall = FCalls;
        const TAnswer Answer = Act();
        Log += ") " + std::to_string(static_cast<int>(Answer)) + '\n';
        Result = ValueOf(Answer, iCall, rSum);
        return Answer;
    }

private:
    // Runs the acts an answer may commit and counts the step; returns the answer.
    TAnswer Act() {
        const TAnswer Answer = AnswerOf(FSeed, FCalls++);
        switch (Answer) {
            case TAnswer::Raise: Log += "raises\n"; throw std::runtime_error("handler");
            case TAnswer::NewText: this->SetText(FNewText); break;
            case TAnswer::DropHandler:
                if (!KeepHandler) this->SetOnGetFunction(nullptr);
                break;
            case TAnswer::ReplaceHandler: AssignFunctionHandler(); break;
            default: break;
        }
        return Answer;
    }

    bool FWalk;
    uint64_t FSeed;
    std::string FNewText;
    int FCalls = 0;
};

template <class TScripted>
class Evaluation : public ::testing::Test {};
TYPED_TEST_SUITE_P(Evaluation);

TYPED_TEST_P(Evaluation, CalcGivesWhatTheTreeWalkerGivesOnRandomTexts) {
    ExpectProgramAsWalker<TypeParam>(2000, TypeParam::iWalkerSeed, TypeParam::Names());
}

TYPED_TEST_P(Evaluation, BoundNamesGiveWhatHandlersGiveOnRandomTexts) {
    ExpectBoundAsAnswered<TypeParam>(1000, TypeParam::iBoundSeed, TypeParam::Names());
}

TYPED_TEST_P(Evaluation, CalcRowsGivesWhatACalcPerRowGivesOnRandomTexts) {
    ExpectRowsAsCalcs<TypeParam>(600, TypeParam::iRowsSeed, TypeParam::Names());
}

REGISTER_TYPED_TEST_SUITE_P(Evaluation, CalcGivesWhatTheTreeWalkerGivesOnRandomTexts,
                            BoundNamesGiveWhatHandlersGiveOnRandomTexts,
                            CalcRowsGivesWhatACalcPerRowGivesOnRandomTexts);

}  // namespace quorix::testing
