#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/base/Streaming.hpp"
#include "framework/controls/Controls.hpp"
#include "framework/controls/CustomEdit.hpp"

using namespace rtl;

namespace {

// An edit that publishes what a published edit control publishes.
class TPublishedEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo Info{
            "TPublishedEdit", &TCustomEdit::StaticClassInfo(),
            [](TComponent* AOwner) -> TComponent* { return new TPublishedEdit(AOwner); }, EditProperties()};
        return Info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

struct ControlsStoring : ::testing::Test {
    ControlsStoring() {
        RegisterClass(TForm::StaticClassInfo());
        RegisterClass(TPublishedEdit::StaticClassInfo());
    }
};

TEST_F(ControlsStoring, AFormWithEditsReadsBackEveryPublishedValueAndTheTabOrder) {
    TForm Form(nullptr);
    Form.SetName("Form1");
    Form.SetText("Sums");
    auto* Menu = new TComponent(&Form);
    Menu->SetName("Menu1");
    auto* First = new TPublishedEdit(&Form);
    First->SetName("First");
    auto* Second = new TPublishedEdit(&Form);
    Second->SetName("Second");
    Second->SetTabOrder(0);
    First->SetAnchors((1u << akRight) | (1u << akBottom));
    First->SetCharCase(ecUpperCase);
    First->SetConstraints({0, 300, 0, 50});
    First->SetFont({0, 255, -13, "Mono", (1u << fsBold) | (1u << fsItalic)});
    First->SetImeMode(imOpen);
    First->SetMaxLength(12);
    First->SetPasswordChar('*');
    First->SetPopupMenu(Menu);
    First->SetVisible(false);
    First->SetText("not stored");

    const std::string sStored = WriteComponentText(Form);
    EXPECT_EQ(sStored.find("not stored"), std::string::npos);
    EXPECT_NE(sStored.find("[fsBold,fsItalic]"), std::string::npos) << sStored;
    const std::unique_ptr<TComponent> Read(ReadComponentText(sStored));
    auto& Copy = dynamic_cast<TForm&>(*Read);
    EXPECT_EQ(Copy.Text(), "Sums");
    auto* CopyFirst = dynamic_cast<TPublishedEdit*>(Copy.FindComponent("First"));
    auto* CopySecond = dynamic_cast<TPublishedEdit*>(Copy.FindComponent("Second"));
    ASSERT_TRUE(CopyFirst && CopySecond);
    EXPECT_EQ(CopyFirst->Parent(), &Copy);
    EXPECT_EQ(CopySecond->TabOrder(), 0);
    EXPECT_EQ(CopyFirst->TabOrder(), 1);
    EXPECT_EQ(CopyFirst->PopupMenu(), Copy.FindComponent("Menu1"));
    for (const TPropInfo* Prop : TPublishedEdit::StaticClassInfo().AllProperties()) {
        if (Prop->Kind == TTypeKind::Component) continue;
        EXPECT_EQ(Prop->Read(*CopyFirst), Prop->Read(*First)) << Prop->Name;
    }
    EXPECT_EQ(WriteComponentText(Copy), sStored);
}

TEST_F(ControlsStoring, UnknownEnumerationAndSetNamesAreReadErrors) {
    for (const char* Line :
         {"CharCase = \"ecTitleCase\"", "Anchors = \"[akLeft,akMiddle]\"", "FontStyle = \"fsBold\""}) {
        const std::string sText =
            std::string("object Form1: TForm\n  object E: TPublishedEdit\n    ") + Line + "\n  end\nend\n";
        EXPECT_THROW(ReadComponentText(sText), EReadError) << Line;
    }
}

}  // namespace
