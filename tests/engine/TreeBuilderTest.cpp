// How texts are cut into tokens and built into trees: grouping, errors and positions.
#include "QuorixFixture.hpp"

namespace quorix::testing {
namespace {

struct TTreeCase {
    const char* sText;
    const char* sTree;
    long double rValue;
};

class TreeBuilder : public QuorixTest {};

TEST_F(TreeBuilder, GroupsByTheSweepOrderAndPrintsTheGrouping) {
    const TTreeCase Cases[] = {
        {"-2^2", "(-2)^2", 4},   {"2^3^2", "(2^3)^2", 64}, {"8*4/2", "8*(4/2)", 16},
        {"8/4/2", "(8/4)/2", 1}, {"1+2-3", "1+(2-3)", 0},  {"1-2-3", "(1-2)-3", -4},
        {"1+2*3", "1+(2*3)", 7}, {"2^-1", "2^(-1)", 0.5},  {"-(1+2)*3", "-(1+2)*3", -9},
        {"1--1", "1-(-1)", 2},   {"(1+2)", "1+2", 3},      {"-(1+2)", "-(1+2)", -3},
        {"-5", "(-5)", -5},      {"2*-3", "2*(-3)", -6},   {"2*-(1+2)", "2*-(1+2)", -6},
        {"-(-(1))", "1", 1},     {"1 + 2", "1 + 2", 3},    {"0^0", "0^0", 1},
        {"1e5", "1e5", 100000},  {"((((7))))", "7", 7},
    };
    for (const TTreeCase& Case : Cases) {
        SCOPED_TRACE(Case.sText);
        Q.SetText(Case.sText);
        ASSERT_TRUE(Q.Calc());
        EXPECT_EQ(Q.GetParsedText(), Case.sTree);
        EXPECT_EQ(Q.Value(), Case.rValue);
        EXPECT_TRUE(Reports.empty());
    }
}

TEST_F(TreeBuilder, SplitsArgumentsAtTheSeparatorOutsideStringsAndParentheses) {
    std::vector<std::vector<std::string>> Calls;
    Q.SetOnGetFunction([&](const std::string&, std::span<const rParam> arrPar, int ParCount, int&,
                           rtl::Extended& Result) {
        EXPECT_EQ(static_cast<std::size_t>(ParCount), arrPar.size());
        std::vector<std::string> Args;
        for (const rParam& Arg : arrPar)
            Args.push_back(Arg.bIsString ? "s:" + Arg.sValue : std::to_string(static_cast<int>(Arg.rValue)));
        Calls.push_back(Args);
        Result = 1;
    });
    struct TCase {
        const char* sText;
        std::vector<std::string> Args;
        const char* sTree;
    } Cases[] = {
        {"f()", {}, "f"},
        {"f", {}, "f"},
        {"f(;1)", {"0", "1"}, "f(;1)"},
        {"f('a;b')", {"s:a;b"}, "f('a;b')"},
        {"f('1)')", {"s:1)"}, "f('1)')"},
        {"f('')", {"s:"}, "f('')"},
        {"f('it''s')", {"s:it''s"}, "f('it''s')"},
        {"f('a'x'b')", {"s:a'x'b"}, "f('a'x'b')"},
        {"max(1+2;3)", {"3", "3"}, "max((1+2);3)"},
        {"f(max(1;2);(3))", {"1", "3"}, "f(max(1;2);3)"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.sText);
        Calls.clear();
        Q.SetText(Case.sText);
        ASSERT_TRUE(Q.Calc());
        ASSERT_FALSE(Calls.empty());
        EXPECT_EQ(Calls.back(), Case.Args);
        EXPECT_EQ(Q.GetParsedText(), Case.sTree);
    }
}

TEST_F(TreeBuilder, CountsArgumentPositionsFromTheStartOfTheWholeText) {
    EXPECT_FALSE(ParseText("1+f(2;g(3;y))"));
    EXPECT_EQ(Reports, (TReports{{10, 5}}));
    EXPECT_FALSE(ParseText("f(g(1+))"));
    EXPECT_EQ(Reports, (TReports{{5, 1}}));
}

TEST_F(TreeBuilder, ChangingACharacterReleasesTheTreeAndTheNextCalcUsesIt) {
    Q.SetOnGetFunction([](const std::string&, std::span<const rParam> arrPar, int, int&,
                          rtl::Extended& Result) { Result = static_cast<rtl::Extended>(arrPar.size()); });
    Q.SetText("f(1,2)");
    EXPECT_FALSE(Q.Calc());  // "1,2" is no number
    EXPECT_EQ(Reports, (TReports{{2, 5}}));
    Q.SetParSeparator(',');
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 2);
    EXPECT_EQ(Q.GetParsedText(), "f(1,2)");

    Q.SetText("f(\"a,b\")");
    EXPECT_FALSE(Q.Calc());  // without the right delimiter, "a is an unknown name
    Q.SetStringDelimiter('"');
    EXPECT_EQ(Q.GetParsedText(), "");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 1);
}

TEST_F(TreeBuilder, PrintsCallsWithTheComponentsCharactersAndReadsThePrintBack) {
    Q.SetStringDelimiter('"');
    Q.SetParSeparator(',');
    Q.SetText("-f(\"x\",,-g(1-2),\"\",-X)");
    ASSERT_TRUE(Q.Parse());
    const std::string sPrinted = Q.GetParsedText();
    EXPECT_EQ(sPrinted, "-f(\"x\",,-g((1-2)),\"\",(-X))");
    Q.SetText(sPrinted);
    ASSERT_TRUE(Q.Parse());
    EXPECT_EQ(Q.GetParsedText(), sPrinted);
    EXPECT_EQ(Reports, TReports{});
}

}  // namespace
}  // namespace quorix::testing
