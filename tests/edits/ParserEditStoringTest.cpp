#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "builtins/ExtParser.hpp"
#include "edits/ParserEdit.hpp"
#include "framework/base/Conversions.hpp"
#include "framework/base/Streaming.hpp"

using namespace rtl;
using quorix::TExtParser;
using quorix::TParserEdit;

namespace {

struct ParserEditStoring : ::testing::Test {
    ParserEditStoring() {
        RegisterClass(TForm::StaticClassInfo());
        RegisterClass(TExtParser::StaticClassInfo());
        RegisterClass(TParserEdit::StaticClassInfo());
    }
    static TParserEdit* EditOf(TComponent& Form, const std::string& sName) {
        return dynamic_cast<TParserEdit*>(Form.FindComponent(sName));
    }
};

TEST_F(ParserEditStoring, SharedParserReferencesResolveAndValuesKeepEveryDigit) {
    TForm Form(nullptr);
    Form.SetName("Form1");
    auto* First = new TParserEdit(&Form);
    First->SetName("First");
    auto* Second = new TParserEdit(&Form);
    Second->SetName("Second");
    auto* Parser = new TExtParser(&Form);
    Parser->SetName("Parser1");
    First->SetParser(Parser);
    Second->SetParser(Parser);
    First->SetEditFormat("0.0000");
    First->SetDisplayFormat("0.00");
    First->SetFocus();
    Form.TypeText("1/3");
    Form.PressKey(VK_RETURN);
    Second->SetFocus();  // First commits again its rendered text, 0.3333
    Form.TypeText("2*Sin(Pi/4)");
    Form.SetActiveControl(nullptr);
    const Extended FirstValue = First->Value();
    const Extended SecondValue = Second->Value();
    EXPECT_NE(SecondValue, StrToFloat(FloatToStr(SecondValue)));  // more digits than shown

    const std::string sStored = WriteComponentText(Form);
    const std::string sEdits = sStored.substr(0, sStored.find("object Parser1"));
    EXPECT_EQ(sEdits.find("Text"), std::string::npos) << sStored;
    const auto Order = [&](const char* sName) { return sStored.find(sName, sStored.find("object First")); };
    EXPECT_LT(Order("EditFormat"), Order("DisplayFormat"));
    EXPECT_LT(Order("DisplayFormat"), Order("Parser ="));
    EXPECT_LT(Order("Parser ="), Order("Value"));

    std::unique_ptr<TComponent> Read(ReadComponentText(sStored));
    TParserEdit* CopyFirst = EditOf(*Read, "First");
    TParserEdit* CopySecond = EditOf(*Read, "Second");
    ASSERT_TRUE(CopyFirst && CopySecond);
    TComponent* CopyParser = Read->FindComponent("Parser1");
    ASSERT_NE(dynamic_cast<TExtParser*>(CopyParser), nullptr);
    EXPECT_EQ(CopyFirst->Parser(), CopyParser);
    EXPECT_EQ(CopySecond->Parser(), CopyParser);
    EXPECT_EQ(CopyFirst->Value(), FirstValue);
    EXPECT_EQ(CopySecond->Value(), SecondValue);
    EXPECT_EQ(CopyFirst->EditFormat(), "0.0000");
    EXPECT_EQ(CopyFirst->DisplayFormat(), "0.00");
    // The parser arrives after Value: the plain conversion shows until a re-render.
    EXPECT_EQ(CopySecond->Text(), FloatToStr(SecondValue));

    // The copy works like the original, and either teardown order is safe.
    auto& CopyForm = dynamic_cast<TForm&>(*Read);
    CopyForm.SetActiveControl(CopyFirst);
    EXPECT_EQ(CopyFirst->Text(), "0.3333");
    delete CopyParser;
    EXPECT_EQ(CopyFirst->Parser(), nullptr);
    EXPECT_EQ(CopyFirst->Value(), FirstValue);
    Read.reset();
}

}  // namespace

namespace {

// The stored order is what other programs read back; Text is not among them.
TEST(ParserEditProperties, ArePublishedInTheirFixedOrder) {
    std::string sNames;
    for (const TPropInfo* Prop : TParserEdit::StaticClassInfo().AllProperties()) sNames += Prop->Name + " ";
    EXPECT_EQ(
        sNames,
        "Name Tag Left Top Width Height Cursor Hint Anchors AutoSelect AutoSize BiDiMode BorderStyle "
        "CharCase Color ConstraintsMaxHeight ConstraintsMaxWidth ConstraintsMinHeight ConstraintsMinWidth "
        "Ctl3D DragCursor DragKind DragMode Enabled FontCharset FontColor FontHeight FontName FontStyle "
        "HideSelection ImeMode ImeName MaxLength OEMConvert ParentBiDiMode ParentColor ParentCtl3D "
        "ParentFont ParentShowHint PasswordChar PopupMenu ReadOnly ShowHint TabOrder TabStop Visible "
        "EditFormat DisplayFormat Parser Value ");
}

}  // namespace
