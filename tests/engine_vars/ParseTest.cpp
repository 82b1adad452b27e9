// Tokenizer, argument lists and tree builder of the variables flavour: what parses
// and what fails (the texts it refuses are in tests/support/ParseFailureSuites.hpp
// and the flavour's adapter).
#include <string>

#include "VarsHarness.hpp"
#include "framework/base/Conversions.hpp"

namespace quorix_vars_test {
namespace {

TEST(VarsParse, NameInBothListsIsAVariable) {
    VarsHarness H;
    H.AddNames(H.Parser->Functions(), {"A"});
    H.AddNames(H.Parser->Variables(), {"a"});
    H.Parser->SetText("A(1)");
    EXPECT_FALSE(H.Parser->Parse());
    EXPECT_EQ(H.Reports, Only(0, 1));
}

TEST(VarsParse, EmptyTextParsesWithoutATree) {
    VarsHarness H;
    EXPECT_TRUE(H.Parser->Parse());
    EXPECT_FALSE(H.Parser->Calc());
    EXPECT_EQ(H.Parser->Value(), 0);
    EXPECT_EQ(H.Parser->GetParsedText(), "");
    EXPECT_TRUE(H.Reports.empty());
}

TEST(VarsParse, SplitsArgumentsAtSemicolonsOutsideStringsAndGroups) {
    struct Case {
        const char* sText;
        std::vector<std::vector<std::string>> Arguments;  // per call, in call order; 's:' marks strings
    };
    const Case Cases[] = {
        {"F(G(1;2);3)", {{"1", "2"}, {"2", "3"}}},
        {"F('a;b';x)", {{"s:a;b", "3"}}},
        {"F('')", {{"s:"}}},
        {"F('1)')", {{"s:1)"}}},
        {"F('a'';''b')", {{"s:a'';''b"}}},  // one string from the first to the last "'"
        {"F(;1)", {{"0", "1"}}},
        {"F(1;;2)", {{"1", "0", "2"}}},
        {"F(x;x)", {{"3", "3"}}},
        {"F( 'a')", {}},  // a blank before the "'": not a string
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.sText);
        VarsHarness H;
        const bool bExpectParse = !C.Arguments.empty();
        H.Parser->SetText(C.sText);
        ASSERT_EQ(H.Parser->Calc(), bExpectParse);
        if (!bExpectParse) {
            EXPECT_EQ(H.Reports, Only(2, 7));
            continue;
        }
        ASSERT_EQ(H.Calls.size(), C.Arguments.size());
        for (std::size_t i = 0; i < H.Calls.size(); ++i) {
            std::vector<std::string> Seen;
            for (const rParam& Par : H.Calls[i].arrPar)
                Seen.push_back(Par.bIsString ? "s:" + Par.sValue : rtl::FloatToStr(Par.rValue));
            EXPECT_EQ(Seen, C.Arguments[i]);
        }
    }
}

TEST(VarsParse, EachArgumentOwnsItsOwnTree) {
    VarsHarness H;
    ASSERT_TRUE(H.CalcText("F(x;x;;'s')"));
    const quorix::TTie* pRoot = H.Parser->Root();
    ASSERT_NE(pRoot, nullptr);
    ASSERT_EQ(pRoot->iParCount, 4);
    ASSERT_EQ(pRoot->arrParams.size(), 4u);
    EXPECT_EQ(pRoot->sParams, "x;x;;'s'");
    EXPECT_NE(pRoot->arrParams[0].pTie, nullptr);
    EXPECT_NE(pRoot->arrParams[0].pTie, pRoot->arrParams[1].pTie);
    EXPECT_EQ(pRoot->arrParams[1].pTie->iPos, 4);
    EXPECT_EQ(pRoot->arrParams[2].pTie, nullptr);
    EXPECT_EQ(pRoot->arrParams[3].pTie, nullptr);
    EXPECT_TRUE(pRoot->arrParams[3].bIsString);
}

TEST(VarsParse, ArgumentsAreNeverFolded) {
    VarsHarness H;
    H.Parser->SetOptimize(true);
    H.Parser->SetText("F(1/0)");
    EXPECT_TRUE(H.Parser->Parse());
    EXPECT_TRUE(H.Reports.empty());
    EXPECT_TRUE(H.Parser->Calc());
    EXPECT_EQ(H.Reports, Only(3, 9));
}

TEST(VarsParse, ExceptionFromTheErrorHandlerInsideAnArgumentPassesOut) {
    // Swallowing it would let F(y;2) succeed as F(0;2) = 2.
    for (const char* sText : {"F(y;2)", "F(1;F(2;y))", "F(1;G(z+y))"}) {
        SCOPED_TRACE(sText);
        VarsHarness H;
        H.Parser->SetOnError([](int, int) { throw std::runtime_error("handler"); });
        H.Parser->SetText(sText);
        EXPECT_THROW(H.Parser->Calc(), std::runtime_error);
        EXPECT_TRUE(H.Calls.empty());
        EXPECT_EQ(H.Parser->Value(), 0);
        EXPECT_TRUE(H.Parser->GetParsedText().empty());
        // The component is usable afterwards: the same text fails plainly.
        H.Parser->SetOnError({});
        EXPECT_FALSE(H.Parser->Parse());
    }
}

TEST(VarsParse, ExceptionFromTheErrorHandlerAtTheTopPassesOut) {
    VarsHarness H;
    H.Parser->SetOnError([](int, int) { throw std::runtime_error("handler"); });
    H.Parser->SetText("1+y");
    EXPECT_THROW(H.Parser->Parse(), std::runtime_error);
    H.Parser->SetOnError({});
    EXPECT_FALSE(H.Parser->Parse());
}

TEST(VarsParse, ListChangesCountFromTheNextParse) {
    VarsHarness H;
    H.Values["Y"] = 5;
    H.Parser->SetText("y+1");
    EXPECT_FALSE(H.Parser->Parse());
    H.AddNames(H.Parser->Variables(), {"y"});
    ASSERT_TRUE(H.Parser->Calc());  // the failed parse left the text unparsed
    EXPECT_EQ(H.Parser->Value(), 6);

    H.Parser->SetText("x");
    ASSERT_TRUE(H.Parser->Parse());
    const rtl::TStringList NoVariables;
    H.Parser->SetVariables(&NoVariables);
    ASSERT_TRUE(H.Parser->Calc());  // the parsed tree is kept
    EXPECT_EQ(H.Parser->Value(), 3);
}

TEST(VarsParse, CallsNestedTooDeeplyAreAnErrorNotACrash) {
    VarsHarness H;
    std::string sText;
    for (int i = 0; i < 1000; ++i) sText += "F(";
    sText += "1" + std::string(1000, ')');
    H.Parser->SetText(sText);
    EXPECT_FALSE(H.Parser->Parse());
    EXPECT_EQ(H.Reports, Only(2 * TQuorix::MaxCallNesting, quorix::qeTooDeep));

    // At the limit itself the text still parses.
    sText = "1";
    for (int i = 0; i < TQuorix::MaxCallNesting; ++i) sText = "F(" + sText + ")";
    EXPECT_TRUE(H.CalcText(sText));
    EXPECT_EQ(H.Parser->Value(), 1);
}

TEST(VarsParse, LongInputsParseEvaluateAndPrint) {
    struct Case {
        std::size_t iLength;
        std::string sFirst, sRepeated;
        Extended rEach;  // value each repetition adds
    };
    const Case Cases[] = {
        {1u << 20, "x", "+x", 3},         // a chain as deep as the text is long
        {1u << 18, "F(x)", "-F(x)", -3},  // many calls, each with its own argument parser
        {1u << 18, "F(x", ";x", 3},       // many arguments of one call
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.sRepeated);
        VarsHarness H;
        H.Parser->SetOnGetFunction(
            [](const std::string&, std::span<const rParam> arrPar, int, Extended& Result) {
                for (const rParam& Par : arrPar) Result += Par.rValue;
            });
        std::string sText = C.sFirst;
        std::size_t iCount = 0;
        for (; sText.size() < C.iLength; ++iCount) sText += C.sRepeated;
        if (C.sFirst == "F(x") sText += ")";
        ASSERT_TRUE(H.CalcText(sText));
        EXPECT_EQ(H.Parser->Value(), 3 + C.rEach * static_cast<Extended>(iCount));
        EXPECT_GE(H.Parser->GetParsedText().size(), sText.size());
    }
}

// The parse's steps on their own: CreateBST builds the tokens a subclass put in
// FTieList into the parsed tree, and CalcParams splits a call's list again, after
// which the tree is compiled afresh.
class TSteps : public TQuorix {
public:
    TSteps() : TQuorix(nullptr) {}
    using TQuorix::Root;
    void AddToken(const std::string& sToken) {
        quorix::TTie& Tie = *quorix::core::AddTie(FTieList, *FPool);
        Tie.sName = sToken;
        Tie.bNumber = Tie.bConst = rtl::TryStrToFloat(Tie.sName, Tie.rValue);
    }
    bool TokensLeft() const { return !FTieList.empty(); }
};

TEST(Parse, TheStepsWorkOnTheirOwn) {
    TSteps Q;
    for (const char* sToken : {"2", "*", "3", "+"}) Q.AddToken(sToken);
    Q.CreateBST();  // "2*3+" lacks an operand: no tree, the tokens stay
    EXPECT_EQ(Q.Root(), nullptr);
    ASSERT_TRUE(Q.TokensLeft());
    Q.AddToken("1");
    Q.CreateBST();
    EXPECT_FALSE(Q.TokensLeft());
    EXPECT_EQ(Q.GetParsedText(), "(2*3)+1");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 7);

    const rtl::TStringList Functions{"F"};
    Q.SetFunctions(&Functions);
    Q.SetOnGetFunction([](const std::string&, std::span<const rParam> arrPar, int, Extended& Result) {
        for (const rParam& Par : arrPar) Result += Par.bIsString ? 100 : Par.rValue;
    });
    Q.SetText("F(1;'a';2+3)");
    ASSERT_TRUE(Q.Calc());
    quorix::TTie* pCall = Q.Root();
    ASSERT_TRUE(Q.CalcParams(pCall));
    EXPECT_EQ(pCall->iParCount, 3);
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 106);
}

}  // namespace
}  // namespace quorix_vars_test
