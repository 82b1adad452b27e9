#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "builtins/ExtParser.hpp"
#include "edits/ParserEdit.hpp"
#include "framework/base/Conversions.hpp"

using namespace rtl;
using quorix::TParserEdit;
using quorix::TQuorix;

namespace {

// A form with a parser and two edits sharing it; input arrives through the form.
struct ParserEditFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TParserEdit* Edit = new TParserEdit(Form.get());
    TParserEdit* Other = new TParserEdit(Form.get());
    TQuorix* Parser = new TQuorix(Form.get());
    std::vector<int> Errors;  // codes reported by the parser
    int Changes = 0;
    int KeyDowns = 0;

    ParserEditFixture() {
        Parser->SetOnError([this](int, int iErrCode) { Errors.push_back(iErrCode); });
        Edit->SetOnChange([this] { ++Changes; });
        Edit->SetOnKeyDown([this](uint16_t&, TShiftState) { ++KeyDowns; });
        Edit->SetParser(Parser);
        Other->SetParser(Parser);
    }
    // Focuses the edit and types into it as a user would (the entry selects all).
    void TypeInto(TParserEdit* Target, const std::string& sText) {
        Target->SetFocus();
        Form->TypeText(sText);
    }
    bool AllSelected(const TParserEdit* Target) {
        return Target->SelStart() == 0 && Target->SelText() == Target->Text();
    }
};

using ParserEditCommit = ParserEditFixture;
using ParserEditRendering = ParserEditFixture;
using ParserEditParser = ParserEditFixture;

TEST_F(ParserEditCommit, EnterEvaluatesWhateverTheShiftStateAndNeverReachesOnKeyDown) {
    for (const TShiftState Shift :
         {TShiftState{0}, TShiftState{ssShift}, TShiftState{ssCtrl}, TShiftState{ssShift | ssCtrl}}) {
        SCOPED_TRACE(Shift);
        TypeInto(Edit, "2*3+" + std::to_string(Shift));
        Form->PressKey(VK_RETURN, Shift);
        EXPECT_EQ(Edit->Value(), 6 + static_cast<Extended>(Shift));
        EXPECT_EQ(Edit->Text(), FloatToStr(Edit->Value()));
        EXPECT_TRUE(AllSelected(Edit));
        EXPECT_EQ(Edit->Focused(), true);
    }
    EXPECT_EQ(KeyDowns, 0);
    Form->PressKey(VK_LEFT);  // other keys still reach the handler
    EXPECT_EQ(KeyDowns, 1);
}

TEST(ParserEditWithBuiltIns, EvaluatesTheTypedExpressionOnEnter) {
    TForm Form(nullptr);
    auto* Edit = new TParserEdit(&Form);
    Edit->SetParser(new quorix::TExtParser(&Form));
    Edit->SetFocus();
    Form.TypeText("2*Sin(Pi/2)");
    Form.PressKey(VK_RETURN);
    EXPECT_EQ(Edit->Value(), 2);
    EXPECT_EQ(Edit->Text(), "2");
}

TEST_F(ParserEditCommit, ValueIsTheLastCommittedOneWhileTheUserTypes) {
    TypeInto(Edit, "2*3");
    Form->PressKey(VK_RETURN);
    Form->TypeText("100");
    EXPECT_EQ(Edit->Text(), "100");
    EXPECT_EQ(Edit->Value(), 6);
}

TEST_F(ParserEditCommit, EscapeDiscardsTheTypingAndShowsTheValueThroughEditFormat) {
    Edit->SetEditFormat("0.00");
    TypeInto(Edit, "1/4");
    Form->PressKey(VK_RETURN);
    EXPECT_EQ(Edit->Text(), "0.25");
    Form->TypeText("99");
    Form->PressKey(VK_ESCAPE);
    EXPECT_EQ(Edit->Text(), "0.25");
    EXPECT_EQ(Edit->Value(), 0.25L);
    EXPECT_TRUE(AllSelected(Edit));
    EXPECT_EQ(KeyDowns, 0);
}

TEST_F(ParserEditCommit, LeavingCommitsBeforeOnExitAndShowsDisplayFormat) {
    Edit->SetEditFormat("0.000");
    Edit->SetDisplayFormat("#,##0.0");
    std::string sSeenByOnExit;
    Edit->SetOnExit([&] { sSeenByOnExit = Edit->Text(); });
    TypeInto(Edit, "1000*2.5");
    Other->SetFocus();
    EXPECT_EQ(Edit->Value(), 2500);
    EXPECT_EQ(Edit->Text(), "2,500.0");
    EXPECT_EQ(sSeenByOnExit, "2,500.0");
    std::string sSeenByOnEnter;
    Edit->SetOnEnter([&] { sSeenByOnEnter = Edit->Text(); });
    Form->PressKey(VK_TAB, ssShift);
    EXPECT_EQ(Form->ActiveControl(), Edit);
    EXPECT_EQ(sSeenByOnEnter, "2500.000");
    EXPECT_TRUE(AllSelected(Edit));
}

// Re-committing what the control itself shows (leaving or Enter without typing)
// must not cut the value down to the digits of a pattern, yet the shared parser
// still sees the commit.
TEST_F(ParserEditCommit, PassingThroughWithoutTypingKeepsEveryDigit) {
    Edit->SetEditFormat("0.00");
    Edit->SetDisplayFormat("0.0");
    TypeInto(Edit, "2/3");
    Form->PressKey(VK_RETURN);
    const Extended TwoThirds = 2.0L / 3;
    EXPECT_EQ(Edit->Value(), TwoThirds);
    EXPECT_EQ(Edit->Text(), "0.67");
    Form->PressKey(VK_RETURN);
    Other->SetFocus();
    EXPECT_EQ(Edit->Text(), "0.7");
    EXPECT_EQ(Parser->Text(), "0.67");
    Edit->SetFocus();
    Other->SetFocus();
    EXPECT_EQ(Edit->Value(), TwoThirds);
    TypeInto(Edit, "0.67");  // typed by the user: taken as written
    Other->SetFocus();
    EXPECT_EQ(Edit->Value(), StrToFloat("0.67"));
}

TEST_F(ParserEditCommit, ARejectedExpressionStaysOnScreenAndKeepsTheLastGoodValue) {
    TypeInto(Edit, "7");
    Form->PressKey(VK_RETURN);
    Form->TypeText("2*Unknown");
    Form->PressKey(VK_RETURN);
    Other->SetFocus();
    EXPECT_EQ(Edit->Text(), "2*Unknown");
    EXPECT_EQ(Edit->Value(), 7);
    EXPECT_EQ(Errors, (std::vector<int>{5, 5}));  // on Enter and again on leaving
    Edit->SetFocus();
    Form->PressKey(VK_ESCAPE);
    EXPECT_EQ(Edit->Text(), "7");
}

TEST_F(ParserEditCommit, AnExceptionWhileEvaluatingPassesToTheUserAndSkipsOnExit) {
    TStringList Functions{"Boom"};
    Parser->SetFunctions(&Functions);
    Parser->SetOnGetFunction([](const std::string&, std::span<const quorix::rParam>, int, int&, Extended&) {
        throw Exception("handler failed");
    });
    bool bExited = false;
    Edit->SetOnExit([&] { bExited = true; });
    TypeInto(Edit, "Boom");
    EXPECT_THROW(Form->PressKey(VK_RETURN), Exception);
    EXPECT_THROW(Other->SetFocus(), Exception);
    EXPECT_FALSE(bExited);
    EXPECT_EQ(Form->ActiveControl(), Edit);  // the focus move was abandoned
    EXPECT_EQ(Edit->Text(), "Boom");
}

TEST_F(ParserEditCommit, WithoutAParserNothingIsCommitted) {
    Edit->SetParser(nullptr);
    TypeInto(Edit, "2*3");
    Form->PressKey(VK_RETURN);
    Other->SetFocus();
    EXPECT_EQ(Edit->Text(), "2*3");
    EXPECT_EQ(Edit->Value(), 0);
}

TEST_F(ParserEditCommit, SharedParserKeepsTheTextOfWhicheverControlCommittedLast) {
    TypeInto(Edit, "1+1");
    TypeInto(Other, "2+2");  // leaving Edit commits 1+1 first
    Form->PressKey(VK_RETURN);
    EXPECT_EQ(Parser->Text(), "2+2");
    EXPECT_EQ(Edit->Value(), 2);
    EXPECT_EQ(Other->Value(), 4);
    Edit->SetFocus();  // leaving Other commits its rendered text
    EXPECT_EQ(Parser->Text(), "4");
}

TEST_F(ParserEditRendering, SetValueShowsThePlainConversionWithoutAParser) {
    Edit->SetParser(nullptr);
    Edit->SetDisplayFormat("0.00");
    const Extended Third = 1.0L / 3;
    Edit->SetValue(Third);
    EXPECT_EQ(Edit->Text(), "0.333333333333333");
    EXPECT_EQ(Edit->Value(), Third);
}

TEST_F(ParserEditRendering, SetValueWithAParserKeepsOnlyThePrintedDigits) {
    Edit->SetDisplayFormat("0.00");
    Edit->SetValue(1.0L / 3);
    EXPECT_EQ(Edit->Value(), StrToFloat("0.333333333333333"));
    EXPECT_EQ(Edit->Text(), "0.33");  // unfocused: the display pattern
}

TEST_F(ParserEditRendering, SetValueWhosePlainTextTheParserRejectsKeepsTheValue) {
    Edit->SetDisplayFormat("0.00");
    Edit->SetValue(1e-5L);
    EXPECT_EQ(Edit->Text(), "1E-5");
    EXPECT_EQ(Edit->Value(), 1e-5L);
    EXPECT_FALSE(Errors.empty());
}

TEST_F(ParserEditRendering, PatternChangesRenderForThePresentFocusState) {
    Edit->SetValue(2.5);
    Edit->SetEditFormat("0.000");  // unfocused: re-rendered with the display pattern
    EXPECT_EQ(Edit->Text(), "2.5");
    Edit->SetDisplayFormat("0");
    EXPECT_EQ(Edit->Text(), "3");
    Edit->SetFocus();
    EXPECT_EQ(Edit->Text(), "2.500");
    Form->PressKey(VK_END);
    const int Before = Changes;
    Edit->SetEditFormat("0.000");  // the same pattern: not even the selection changes
    EXPECT_EQ(Edit->SelLength(), 0);
    Form->PressKey(VK_ESCAPE);  // same rendering: no change notification, all selected
    EXPECT_EQ(Changes, Before);
    EXPECT_TRUE(AllSelected(Edit));
}

TEST_F(ParserEditParser, RemovingTheParserEmptiesTheTextButKeepsTheValue) {
    TypeInto(Edit, "6*7");
    Form->PressKey(VK_RETURN);
    delete Parser;
    EXPECT_EQ(Edit->Parser(), nullptr);
    EXPECT_EQ(Other->Parser(), nullptr);
    EXPECT_EQ(Edit->Text(), "");
    EXPECT_EQ(Edit->Value(), 42);
    Form->PressKey(VK_ESCAPE);
    EXPECT_EQ(Edit->Text(), "42");
}

TEST_F(ParserEditParser, AParserReplacedEarlierNoLongerTouchesTheControl) {
    auto Spare = std::make_unique<TQuorix>(nullptr);
    Edit->SetParser(Spare.get());
    Edit->SetValue(3);
    delete Parser;  // the one attached before
    EXPECT_EQ(Edit->Parser(), Spare.get());
    EXPECT_EQ(Edit->Text(), "3");
    Spare.reset();
    EXPECT_EQ(Edit->Parser(), nullptr);
}

TEST_F(ParserEditParser, TearingDownTheFormInEitherOrderIsSafeAndQuiet) {
    // The parser, created last, is freed first; the edits must not react on the way.
    Edit->SetValue(5);
    Edit->SetOnChange([] { ADD_FAILURE() << "OnChange during teardown"; });
    Form.reset();

    auto Owner = std::make_unique<TForm>(nullptr);
    auto* First = new TQuorix(Owner.get());
    auto* Late = new TParserEdit(Owner.get());
    Late->SetParser(First);
    Owner.reset();  // the edit goes first here
}

}  // namespace
