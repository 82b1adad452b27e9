// A compiled text finds its built-ins once; these check that it still reaches the
// function its class would answer by name, and asks a subclass that answers otherwise.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/builtins/ExtParserTestSupport.hpp"

using quorix::rParam;
using quorix::TExtParser;

namespace {

// Answers every built-in through GetFunBuildIn by name, as before any resolution.
class TByName : public TExtParser {
public:
    TByName() : TExtParser(nullptr) {}
    int nAsked = 0;

protected:
    void GetFunBuildIn(const std::string& sName, std::span<const rParam> arrPar, int ParCount, int& iErrCode,
                       rtl::Extended& Result) override {
        ++nAsked;
        TExtParser::GetFunBuildIn(sName, arrPar, ParCount, iErrCode, Result);
    }
};

struct TOutcome {
    bool bCalculated = false;
    bool bRaised = false;
    rtl::Extended rValue = 0;
    std::vector<std::pair<int, int>> Errors;
    bool operator==(const TOutcome&) const = default;
};

// Two Calcs of sText, the second through the program the first compiled.
std::vector<TOutcome> CalcTwice(TExtParser& Parser, const std::string& sText) {
    std::vector<TOutcome> Outcomes(2);
    TOutcome* pNow = nullptr;
    Parser.SetOnError([&pNow](int iPos, int iErrCode) { pNow->Errors.emplace_back(iPos, iErrCode); });
    Parser.SetText(sText);
    rtl::RandSeed = 7;
    for (TOutcome& Outcome : Outcomes) {
        pNow = &Outcome;
        try {
            Outcome.bCalculated = Parser.Calc();
        } catch (const rtl::Exception&) {
            Outcome.bRaised = true;
        }
        Outcome.rValue = Parser.Value();
    }
    return Outcomes;
}

}  // namespace

TEST(BuiltInResolution, EveryBuiltInGivesWhatItsNameGives) {
    const std::vector<std::string> Lists{"",    "0",      "-1",        "2",          "0.5;3",
                                         "'x'", "1e4000", "3;4;'END'", "1;2;3;4;5;6"};
    for (const quorix::TBuiltInSignature& Signature : TExtParser::BuiltInSignatures())
        for (const std::string& sList : Lists) {
            const std::string sText = std::string(Signature.sName) + "(" + sList + ")*2+" + Signature.sName;
            TExtParser Resolved(nullptr);
            TByName ByName;
            EXPECT_EQ(CalcTwice(Resolved, sText), CalcTwice(ByName, sText)) << sText;
        }
}

TEST(BuiltInResolution, ASubclassThatAnswersByNameIsAskedOnEveryCalc) {
    TByName Parser;
    Parser.SetText("Sin(0)+Hypot(3;4)");
    ASSERT_TRUE(Parser.Calc());
    ASSERT_TRUE(Parser.Calc());
    EXPECT_EQ(Parser.Value(), 5);
    EXPECT_EQ(Parser.nAsked, 4);
}

TEST(BuiltInResolution, ChangedFunctionsAndTextsReachTheRightEntries) {
    TExtParser Parser(nullptr);
    Parser.SetText("Hypot(3;4)+Cos(0)");
    ASSERT_TRUE(Parser.Calc());
    Parser.Functions()->Add("Hypot");
    Parser.Functions()->Add("Floor");
    ASSERT_TRUE(Parser.Calc());
    EXPECT_EQ(Parser.Value(), 6);
    Parser.SetText("Floor(2.5)*Hypot(6;8)");
    ASSERT_TRUE(Parser.Calc());
    EXPECT_EQ(Parser.Value(), 20);
}
