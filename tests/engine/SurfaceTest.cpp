// The component's surface: its characters and their setters, the property table and
// storing, the printer and the used-function queries; what it shares with the other
// flavour is in tests/support/SurfaceSuites.hpp.
#include <memory>

#include "QuorixFixture.hpp"
#include "framework/base/Conversions.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/Streaming.hpp"

namespace quorix::testing {
namespace {

TEST(Surface, ANewComponentHasTheDeclaredCharacters) {
    TQuorix Q(nullptr);
    EXPECT_EQ(Q.StringDelimiter(), '\'');
    EXPECT_EQ(Q.ParSeparator(), ';');
}

TEST(Surface, CharacterSettersRefuseOperatorsAndParenthesesAndKeepTheOldOne) {
    TQuorix Q(nullptr);
    for (const char c : sOneChars) {
        SCOPED_TRACE(c);
        try {
            Q.SetStringDelimiter(c);
            ADD_FAILURE() << "accepted";
        } catch (const rtl::Exception& E) {
            EXPECT_EQ(E.Message(), "Entered char is operator or parenthesis.");
        }
        EXPECT_THROW(Q.SetParSeparator(c), rtl::Exception);
        EXPECT_EQ(Q.StringDelimiter(), '\'');
        EXPECT_EQ(Q.ParSeparator(), ';');
    }
    for (const char c : {'a', '7', ',', '"', ';'}) {
        Q.SetStringDelimiter(c);
        Q.SetParSeparator(c);
        EXPECT_EQ(Q.StringDelimiter(), c);
        EXPECT_EQ(Q.ParSeparator(), c);
    }
}

TEST(Surface, RefusingACharacterLeavesTheParseAlone) {
    TQuorix Q(nullptr);
    Q.SetText("1+2");
    ASSERT_TRUE(Q.Calc());
    EXPECT_THROW(Q.SetParSeparator('('), rtl::Exception);
    EXPECT_EQ(Q.Value(), 3);
    EXPECT_EQ(Q.GetParsedText(), "1+2");
}

TEST(Surface, PublishesItsPropertiesInOrderWithTheirDefaults) {
    const rtl::TClassInfo& Info = TQuorix::StaticClassInfo();
    std::vector<std::string> Names;
    for (const rtl::TPropInfo* Prop : Info.AllProperties()) Names.push_back(Prop->Name);
    EXPECT_EQ(Names, (std::vector<std::string>{"Name", "Tag", "StringDelimiter", "ParSeparator", "Text",
                                               "Functions", "AutoCalc", "AutoParse", "Optimize"}));
    EXPECT_EQ(Info.FindProperty("Optimize")->Default, rtl::TPropValue(true));
    EXPECT_EQ(Info.FindProperty("AutoParse")->Default, rtl::TPropValue(false));
    EXPECT_FALSE(Info.FindProperty("StringDelimiter")->Default.has_value());
    EXPECT_EQ(rtl::FindClass("TQuorix"), &Info);
}

TEST(Surface, AStoredComponentReadsBackWithoutParsing) {
    TQuorix Q(nullptr);
    Q.SetName("Calc1");
    Q.SetParSeparator(',');
    Q.SetText("f(1,2)");
    Q.Functions()->Add("f");
    Q.SetAutoParse(true);
    Q.SetAutoCalc(true);
    Q.SetOptimize(false);
    const std::string sStored = rtl::WriteComponentText(Q);

    std::unique_ptr<rtl::TComponent> Read(rtl::ReadComponentText(sStored));
    auto* R = dynamic_cast<TQuorix*>(Read.get());
    ASSERT_NE(R, nullptr);
    EXPECT_EQ(R->ParSeparator(), ',');
    EXPECT_EQ(R->StringDelimiter(), '\'');
    EXPECT_EQ(R->Text(), "f(1,2)");
    EXPECT_EQ(Lines(*R->Functions()), (std::vector<std::string>{"f"}));
    EXPECT_TRUE(R->AutoParse());
    EXPECT_TRUE(R->AutoCalc());
    EXPECT_FALSE(R->Optimize());
    EXPECT_EQ(R->GetParsedText(), "");  // Text came before AutoParse
}

class Printer : public QuorixTest {};

TEST_F(Printer, PrintsNamesAsWrittenAndArgumentsWithTheCurrentCharacters) {
    const std::pair<const char*, const char*> Cases[] = {
        {"max(1+2;3)", "max((1+2);3)"},
        {"-f(2)", "-f(2)"},
        {"-X", "(-X)"},
        {"f()", "f"},
        {"f(;1)", "f(;1)"},
        {"f('a;b')", "f('a;b')"},
        {"F(-(2*3))", "F(-(2*3))"},
        {"f(g(1);-x)", "f(g(1);(-x))"},
        {" 1.50 *2", " 1.50 *2"},
    };
    for (const auto& [sText, sTree] : Cases) {
        SCOPED_TRACE(sText);
        ASSERT_TRUE(ParseText(sText));
        EXPECT_EQ(Q.GetParsedText(), sTree);
    }
}

TEST_F(Printer, ListsUsedFunctionsOnceUpperCasedInPreOrder) {
    const std::pair<const char*, std::vector<std::string>> Cases[] = {
        {"f(g(1);X)", {"F", "G"}},
        {"max(f(1);f(2))", {"MAX", "F"}},
        {"g(1)*F(2)+g(3)", {"G", "F"}},
        {"X+f", {}},
        {"1+2", {}},
    };
    for (const auto& [sText, Used] : Cases) {
        SCOPED_TRACE(sText);
        ASSERT_TRUE(ParseText(sText));
        EXPECT_EQ(Lines(*Q.GetUsedFun()), Used);
    }
    EXPECT_FALSE(Q.IsFunctionUsed("G"));
    ASSERT_TRUE(ParseText("Max(1)"));
    EXPECT_TRUE(Q.IsFunctionUsed("max"));
    EXPECT_TRUE(Q.IsFunctionUsed("MAX"));
    EXPECT_FALSE(Q.IsFunctionUsed("f"));
}

// The parse's steps as a subclass calls them: tokens made with AddTie and built with
// CreateBST, and a call's argument list split again with CalcParams, after which the
// tree is compiled afresh.
class TSteps : public TQuorix {
public:
    TSteps() : TQuorix(nullptr) {}
    using TQuorix::AddTie;
    using TQuorix::CalcParams;
    using TQuorix::CreateBST;
    using TQuorix::Root;
};

TEST(Surface, TheParseStepsWorkOnTheirOwn) {
    TSteps Q;
    Q.SetOptimize(false);
    TTieList Tokens;
    for (const char* sToken : {"2", "*", "3"}) {
        TTie& Tie = *Q.AddTie(Tokens);
        Tie.sName = sToken;
        Tie.bNumber = Tie.bConst = rtl::TryStrToFloat(Tie.sName, Tie.rValue);
    }
    TTie* pRoot = nullptr;
    Q.CreateBST(pRoot, Tokens);
    ASSERT_NE(pRoot, nullptr);
    EXPECT_TRUE(Tokens.empty());
    EXPECT_EQ(Q.ReadInOrder(pRoot), "(2*3)");  // not the root: parenthesised
    Q.ClearBST(pRoot);

    const rtl::TStringList Functions{"F"};
    Q.SetFunctions(&Functions);
    Q.SetOnGetFunction(
        [](const std::string&, std::span<const rParam> arrPar, int, int&, rtl::Extended& Result) {
            for (const rParam& Par : arrPar) Result += Par.bIsString ? 100 : Par.rValue;
        });
    Q.SetText("F(1;'a';2+3)");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 106);
    TTie* pCall = Q.Root();
    ASSERT_TRUE(Q.CalcParams(pCall));
    EXPECT_EQ(pCall->iParCount, 3);
    EXPECT_TRUE(pCall->arrParams[1].bIsString);
    EXPECT_EQ(Q.GetParsedText(), "F(1;'a';(2+3))");
    ASSERT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), 106);
}

}  // namespace
}  // namespace quorix::testing
