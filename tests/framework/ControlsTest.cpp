#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/controls/Controls.hpp"
#include "framework/controls/CustomEdit.hpp"

using namespace rtl;

namespace {

// A form with three edits; the test drives it only through the form's entry points.
struct FormFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TCustomEdit* A = Make("A");
    TCustomEdit* B = Make("B");
    TCustomEdit* C = Make("C");
    std::vector<std::string> Log;

    TCustomEdit* Make(const std::string& sName) {
        auto* Edit = new TCustomEdit(Form.get());
        Edit->SetName(sName);
        return Edit;
    }
    // Records hook calls with the focus state each control sees at that moment.
    void Watch(TCustomEdit* Edit) {
        const std::string sName = Edit->Name();
        Edit->SetOnEnter([this, Edit, sName] { Log.push_back("enter " + sName + Focus(Edit)); });
        Edit->SetOnExit([this, Edit, sName] { Log.push_back("exit " + sName + Focus(Edit)); });
    }
    std::string Focus(const TCustomEdit* Edit) { return Edit->Focused() ? " focused" : " unfocused"; }
};

using EditFocus = FormFixture;
using EditTyping = FormFixture;

TEST_F(EditFocus, ExitHookRunsAfterTheFocusLeftAndEntryHookAfterItArrived) {
    Watch(A);
    Watch(B);
    A->SetFocus();
    Form->SetActiveControl(B);
    Form->SetActiveControl(nullptr);
    EXPECT_EQ(Log, (std::vector<std::string>{"enter A focused", "exit A unfocused", "enter B focused",
                                             "exit B unfocused"}));
    EXPECT_EQ(Form->ActiveControl(), nullptr);
}

TEST_F(EditFocus, AnExitHookThatRaisesAbandonsTheMove) {
    A->SetFocus();
    A->SetOnExit([] { throw Exception("invalid"); });
    bool bEntered = false;
    B->SetOnEnter([&] { bEntered = true; });
    EXPECT_THROW(B->SetFocus(), Exception);
    EXPECT_TRUE(A->Focused());
    EXPECT_FALSE(bEntered);
}

TEST_F(EditFocus, AnExitHookMayMoveTheFocusElsewhere) {
    A->SetFocus();
    A->SetOnExit([&] { C->SetFocus(); });
    bool bEnteredB = false;
    B->SetOnEnter([&] { bEnteredB = true; });
    B->SetFocus();
    EXPECT_EQ(Form->ActiveControl(), C);
    EXPECT_FALSE(bEnteredB);
}

TEST_F(EditFocus, TabFollowsTabOrderAndSkipsControlsThatCannotTakeTheFocus) {
    C->SetTabOrder(0);  // order now C, A, B
    EXPECT_EQ(A->TabOrder(), 1);
    A->SetTabStop(false);
    A->SetFocus();  // still reachable directly
    Form->PressKey(VK_TAB);
    EXPECT_EQ(Form->ActiveControl(), B);
    Form->PressKey(VK_TAB);
    EXPECT_EQ(Form->ActiveControl(), C);
    Form->PressKey(VK_TAB, ssShift);
    EXPECT_EQ(Form->ActiveControl(), B);
    C->SetEnabled(false);
    Form->PressKey(VK_TAB);
    EXPECT_EQ(Form->ActiveControl(), B);  // the only stop left
}

TEST_F(EditFocus, AKeyDownHandlerThatConsumesTabKeepsTheFocus) {
    A->SetFocus();
    A->SetOnKeyDown([](uint16_t& Key, TShiftState) { Key = 0; });
    Form->PressKey(VK_TAB);
    EXPECT_EQ(Form->ActiveControl(), A);
}

TEST_F(EditFocus, HidingTheFocusedControlRunsItsExitHook) {
    Watch(A);
    A->SetFocus();
    A->SetVisible(false);
    EXPECT_EQ(Form->ActiveControl(), nullptr);
    EXPECT_EQ(Log.back(), "exit A unfocused");
    EXPECT_THROW(A->SetFocus(), EInvalidOperation);
}

TEST_F(EditFocus, DestroyingTheFocusedControlLeavesNoFocus) {
    A->SetFocus();
    delete A;
    EXPECT_EQ(Form->ActiveControl(), nullptr);
    EXPECT_FALSE(Form->PressKey('X'));
    EXPECT_FALSE(Form->TypeText("x"));
    EXPECT_EQ(B->TabOrder(), 0);
}

TEST(EditWithoutForm, CannotTakeTheFocus) {
    TCustomEdit Edit(nullptr);
    EXPECT_FALSE(Edit.CanFocus());
    EXPECT_FALSE(Edit.Focused());
    EXPECT_THROW(Edit.SetFocus(), EInvalidOperation);
}

TEST_F(EditTyping, TypedCharactersReplaceTheSelectionAndChangeFiresOnlyOnRealChange) {
    int Changes = 0;
    A->SetOnChange([&] { ++Changes; });
    A->SetFocus();
    Form->TypeText("2*3");
    EXPECT_EQ(A->Text(), "2*3");
    EXPECT_EQ(Changes, 3);
    Form->PressKey('A', ssCtrl);
    EXPECT_EQ(A->SelText(), "2*3");
    Form->TypeText("7");
    EXPECT_EQ(A->Text(), "7");
    EXPECT_EQ(A->SelStart(), 1);
    A->SetText("7");
    EXPECT_EQ(Changes, 4);
    A->SetText("8");
    EXPECT_EQ(Changes, 5);
    EXPECT_EQ(A->SelStart(), 0);
}

TEST_F(EditTyping, KeysMoveTheCaretExtendTheSelectionAndDelete) {
    A->SetFocus();
    Form->TypeText("héllo");
    Form->PressKey(VK_HOME);
    Form->PressKey(VK_RIGHT);
    Form->PressKey(VK_RIGHT, ssShift);
    EXPECT_EQ(A->SelText(), "é");
    Form->PressKey(VK_DELETE);
    EXPECT_EQ(A->Text(), "hllo");
    Form->PressKey(VK_END);
    Form->PressKey(VK_BACK);
    EXPECT_EQ(A->Text(), "hll");
    Form->PressKey(VK_LEFT, ssShift);
    Form->PressKey(VK_LEFT, ssShift);
    EXPECT_EQ(A->SelStart(), 1);
    EXPECT_EQ(A->SelLength(), 2);
    Form->PressKey(VK_LEFT);  // collapses to the selection's start
    EXPECT_EQ(A->SelStart(), 1);
    EXPECT_EQ(A->SelLength(), 0);
    Form->PressKey(VK_HOME);
    Form->PressKey(VK_BACK);  // nothing before the caret
    EXPECT_EQ(A->Text(), "hll");
}

TEST_F(EditTyping, MaxLengthLimitsTypingInCharactersButNotAssignment) {
    A->SetMaxLength(3);
    A->SetFocus();
    Form->TypeText("äöüß");
    EXPECT_EQ(A->Text(), "äöü");
    Form->PressKey(VK_LEFT, ssShift);
    Form->TypeText("x");  // replacing a selection stays within the limit
    EXPECT_EQ(A->Text(), "äöx");
    A->SetText("longer text");
    EXPECT_EQ(A->Text(), "longer text");
    EXPECT_THROW(A->SetMaxLength(-1), EInvalidOperation);
}

TEST_F(EditTyping, ReadOnlyBlocksTypingAndDeletingButNotAssignment) {
    A->SetText("abc");
    A->SetReadOnly(true);
    A->SetFocus();
    Form->TypeText("x");
    Form->PressKey(VK_BACK);
    Form->PressKey(VK_DELETE);
    EXPECT_EQ(A->Text(), "abc");
    A->SetText("def");
    EXPECT_EQ(A->Text(), "def");
}

TEST_F(EditTyping, CharCaseConvertsTypedAndAssignedText) {
    A->SetCharCase(ecUpperCase);
    A->SetFocus();
    Form->TypeText("sin(é)");
    EXPECT_EQ(A->Text(), "SIN(É)");
    A->SetCharCase(ecLowerCase);
    EXPECT_EQ(A->Text(), "sin(É)");  // lower case maps ASCII letters only
    A->SetText("PI");
    EXPECT_EQ(A->Text(), "pi");
}

TEST_F(EditTyping, KeyEventsSeeKeyShiftAndCharacterAndMayConsumeThem) {
    std::vector<std::pair<uint16_t, TShiftState>> Downs, Ups;
    A->SetOnKeyDown([&](uint16_t& Key, TShiftState Shift) { Downs.emplace_back(Key, Shift); });
    A->SetOnKeyUp([&](uint16_t& Key, TShiftState Shift) { Ups.emplace_back(Key, Shift); });
    A->SetOnKeyPress([](char32_t& Key) {
        if (Key == ' ') Key = 0;          // swallowed
        if (Key == 'x') Key = U'\u00D7';  // replaced
    });
    A->SetFocus();
    Form->PressKey(VK_RETURN, ssShift | ssCtrl);
    Form->TypeText("2 x 3\n");
    EXPECT_EQ(A->Text(), "2\u00D73");
    ASSERT_EQ(Downs.size(), 1u);
    EXPECT_EQ(Downs[0], std::make_pair(VK_RETURN, TShiftState{ssShift | ssCtrl}));
    EXPECT_EQ(Ups, Downs);
}

TEST_F(EditTyping, InvalidUtf8IsRejectedBeforeAnythingIsTyped) {
    A->SetFocus();
    EXPECT_THROW(Form->TypeText("ok\xC3"), EConvertError);
    EXPECT_EQ(A->Text(), "");
}

TEST(ControlReferences, APopupMenuThatGoesAwayIsForgotten) {
    TCustomEdit Edit(nullptr);
    auto Menu = std::make_unique<TComponent>(nullptr);
    Edit.SetPopupMenu(Menu.get());
    Menu.reset();
    EXPECT_EQ(Edit.PopupMenu(), nullptr);
}

}  // namespace
