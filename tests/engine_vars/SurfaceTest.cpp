// The component surface of the variables flavour: defaults, published properties
// and the usage queries; what it shares with the other flavour is in
// tests/support/SurfaceSuites.hpp.
#include <string>
#include <vector>

#include "OtherFlavour.hpp"
#include "VarsHarness.hpp"
#include "framework/base/Properties.hpp"

namespace quorix_vars_test {
namespace {

TEST(VarsSurface, NewComponentHasTheDocumentedDefaults) {
    TQuorix Parser(nullptr);
    EXPECT_EQ(Parser.Variables()->Count(), 0);
    EXPECT_EQ(Parser.GetUsedVar()->Count(), 0);
}

TEST(VarsSurface, PublishesItsPropertiesInOrderWithoutDelimiterOrSeparator) {
    TQuorix Parser(nullptr);
    std::vector<std::string> Names;
    for (const rtl::TPropInfo* Info : Parser.ClassInfo().AllProperties()) Names.push_back(Info->Name);
    EXPECT_EQ(Names, (std::vector<std::string>{"Name", "Tag", "Text", "Functions", "Variables", "AutoCalc",
                                               "AutoParse", "Optimize"}));
    const rtl::TPropInfo* Optimize = Parser.ClassInfo().FindProperty("Optimize");
    ASSERT_NE(Optimize, nullptr);
    EXPECT_FALSE(Optimize->IsStoredValue(Parser));  // False is the declared default
    Parser.SetOptimize(true);
    EXPECT_TRUE(Optimize->IsStoredValue(Parser));
}

TEST(VarsSurface, VariablesAreCopied) {
    TQuorix Parser(nullptr);
    rtl::TStringList Source{"a", "b"};
    Parser.SetVariables(&Source);
    Source.Add("c");
    EXPECT_EQ(Lines(Parser.Variables()), (std::vector<std::string>{"a", "b"}));
}

TEST(VarsUsage, ListsEachNameOnceUpperCasedInOrderOfFirstAppearance) {
    struct Case {
        const char* sText;
        std::vector<std::string> Functions;
        std::vector<std::string> Variables;
    };
    const Case Cases[] = {
        {"Max(x;2)+y*x", {"MAX"}, {"X", "Y"}},
        {"F(G(y);x)", {"F", "G"}, {"Y", "X"}},  // a call before the calls inside it
        {"G(1)+F(y;g(x))", {"G", "F"}, {"Y", "X"}},
        {"F('x')", {"F"}, {}},  // strings hold no names
        {"2*3", {}, {}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.sText);
        VarsHarness H;
        H.AddNames(H.Parser->Functions(), {"Max"});
        H.AddNames(H.Parser->Variables(), {"y"});
        H.Parser->SetText(C.sText);
        ASSERT_TRUE(H.Parser->Parse());
        EXPECT_EQ(Lines(H.Parser->GetUsedFun()), C.Functions);
        EXPECT_EQ(Lines(H.Parser->GetUsedVar()), C.Variables);
    }
}

TEST(VarsUsage, QueriesIgnoreCaseAndNeedAParsedText) {
    VarsHarness H;
    H.AddNames(H.Parser->Functions(), {"Max"});
    H.AddNames(H.Parser->Variables(), {"y"});
    H.Parser->SetText("Max(x;2)+y*x");
    EXPECT_FALSE(H.Parser->IsVariableUsed("x"));  // nothing parses on its own
    EXPECT_FALSE(H.Parser->IsFunctionUsed("max"));
    ASSERT_TRUE(H.Parser->Parse());
    EXPECT_TRUE(H.Parser->IsVariableUsed("Y"));
    EXPECT_TRUE(H.Parser->IsVariableUsed("y"));
    EXPECT_FALSE(H.Parser->IsVariableUsed("z"));
    EXPECT_TRUE(H.Parser->IsFunctionUsed("mAx"));
    EXPECT_FALSE(H.Parser->IsFunctionUsed("F"));
}

TEST(VarsUsage, ListsFollowTheTextNotLaterListChanges) {
    VarsHarness H;
    ASSERT_TRUE(H.CalcText("F(x)"));
    EXPECT_EQ(H.Parser->GetUsedFun()->Count(), 1);
    EXPECT_EQ(H.Parser->GetUsedVar()->Count(), 1);
    const rtl::TStringList None;
    H.Parser->SetFunctions(&None);
    H.Parser->SetVariables(&None);
    EXPECT_EQ(Lines(H.Parser->GetUsedFun()), std::vector<std::string>{"F"});
    EXPECT_EQ(Lines(H.Parser->GetUsedVar()), std::vector<std::string>{"X"});
    H.Parser->SetText("1");
    EXPECT_EQ(H.Parser->GetUsedFun()->Count(), 0);
    EXPECT_EQ(H.Parser->GetUsedVar()->Count(), 0);
}

TEST(BothFlavours, ShareTheLanguageInOneProgramButNumberTheirErrorsApart) {
    struct Case {
        const char* sText;
        FlavourOutcome::Report EngineReport;  // code 0: none
        Report VarsReport;
    };
    const Case Cases[] = {
        {"2^3^2-8*4/2", {0, 0}, {0, 0}}, {"1/0", {1, 7}, {1, 9}}, {"y", {0, 5}, {0, 7}},
        {"F('a", {3, 6}, {3, 8}},        {"F()", {0, 0}, {1, 5}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.sText);
        const FlavourOutcome Engine = EvaluateWithEngineFlavour(C.sText);
        VarsHarness H;
        H.CalcText(C.sText);
        if (C.EngineReport.iErrCode == 0) {
            EXPECT_TRUE(Engine.Reports.empty());
        } else {
            EXPECT_EQ(Engine.Reports, std::vector<FlavourOutcome::Report>{C.EngineReport});
        }
        if (C.VarsReport.iErrCode == 0) {
            EXPECT_TRUE(H.Reports.empty());
            EXPECT_EQ(Engine.rValue, H.Parser->Value());
        } else {
            EXPECT_EQ(H.Reports, Only(C.VarsReport.iPos, C.VarsReport.iErrCode));
        }
    }
}

}  // namespace
}  // namespace quorix_vars_test
