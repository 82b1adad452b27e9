#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "edits/DBParserEdit.hpp"
#include "edits/ParserEdit.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/Streaming.hpp"
#include "tests/framework/DBTestFile.hpp"

using namespace rtl;
using quorix::TDBParserEdit;
using quorix::TParserEdit;
using quorix::TQuorix;
using quorix_test::TRows;
using quorix_test::TTestDatabase;

namespace {

// Lets a test see the modified mark of the control's link.
class TProbeEdit : public TDBParserEdit {
public:
    using TDBParserEdit::TDBParserEdit;
    bool LinkModified() const { return DataLink().IsModified(); }
};

const char* const kSchema =
    "CREATE TABLE t (id INTEGER PRIMARY KEY, x REAL CHECK (x >= 0));"
    "INSERT INTO t (x) VALUES (1.5), (2.5), (1.0 / 3)";

const char* const kValues = "SELECT x FROM t ORDER BY id";
const TRows kUnchanged{"1.5", "2.5", "0.33333333333333331"};

// A form with the bound control, a second control to move the focus to, a parser,
// and a dataset on a fresh file; input arrives through the form as a user's would.
struct DBParserEditFixture : ::testing::Test {
    TTestDatabase File{kSchema};
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TDataSet* Data = new TDataSet(Form.get());
    TDataSource* Source = new TDataSource(Form.get());
    TQuorix* Parser = new TQuorix(Form.get());
    TProbeEdit* Edit = new TProbeEdit(Form.get());
    TParserEdit* Other = new TParserEdit(Form.get());
    int iExits = 0;
    std::function<void()> OnExit;

    DBParserEditFixture() {
        Data->SetDatabaseName(File.FileName());
        Data->SetTableName("t");
        Source->SetDataSet(Data);
        Edit->SetParser(Parser);
        Edit->SetEditFormat("0.000");
        Edit->SetDisplayFormat("0.00");
        Edit->SetField("x");
        Edit->SetDataSource(Source);
        Edit->SetOnExit([this] {
            ++iExits;
            if (OnExit) OnExit();
        });
        Data->Open();
    }
    void TypeInto(const std::string& sText) {
        Edit->SetFocus();
        Form->TypeText(sText);
    }
    void Leave() { Other->SetFocus(); }
};

using DBParserEdit = DBParserEditFixture;

}  // namespace

// Each delivery shows the field through the pattern of the present focus state, or
// as its plain conversion without a parser, and writes nothing back.
TEST_F(DBParserEdit, MovingToAnotherRecordShowsItsValueAndWritesNothing) {
    struct Case {
        bool bParser, bFocused;
        const char* sText;
    };
    for (const Case& C : {Case{true, false, "2.50"}, Case{true, true, "2.500"}, Case{false, false, "2.5"},
                          Case{false, true, "2.5"}}) {
        SCOPED_TRACE(std::string(C.bParser ? "parser" : "no parser") + (C.bFocused ? ", focused" : ""));
        Edit->SetParser(C.bParser ? Parser : nullptr);
        if (C.bFocused) Edit->SetFocus();
        else Other->SetFocus();
        Data->First();
        Data->Next();
        EXPECT_EQ(Edit->Value(), 2.5);
        EXPECT_EQ(Edit->Text(), C.sText);
        EXPECT_FALSE(Edit->LinkModified());
        EXPECT_EQ(File.Rows(kValues), kUnchanged);
        Other->SetFocus();
    }
    Data->Close();
    EXPECT_EQ(File.Rows(kValues), kUnchanged);
}

TEST_F(DBParserEdit, ClosingTheDatasetShowsZero) {
    Data->Next();
    Data->Close();
    EXPECT_EQ(Edit->Value(), 0);
    EXPECT_EQ(Edit->Text(), "0.00");
    Leave();  // unbound: the exit writes nothing
    EXPECT_EQ(File.Rows(kValues), kUnchanged);
}

// Text the parser rejects cannot be saved: moving away raises and leaves it as typed;
// Escape gives it up.
TEST_F(DBParserEdit, MovingAwayFromRejectedTextRaisesUntilEscape) {
    TypeInto("7*");
    EXPECT_THROW(Data->Next(), EDatabaseError);
    EXPECT_EQ(Edit->Text(), "7*");
    EXPECT_EQ(Data->RecNo(), 1);
    Form->PressKey(VK_ESCAPE);
    Data->Next();
    EXPECT_EQ(Edit->Text(), "2.500");
    EXPECT_EQ(Edit->Value(), 2.5);
    Data->Close();
    EXPECT_EQ(File.Rows(kValues), kUnchanged);
}

TEST_F(DBParserEdit, EnterMarksTheValueAndLeavingWritesItAfterOnExit) {
    TRows arrSeenByOnExit;
    OnExit = [&] { arrSeenByOnExit = File.Rows(kValues); };
    TypeInto("2*3");
    Form->PressKey(VK_RETURN);
    EXPECT_EQ(Edit->Value(), 6);
    EXPECT_TRUE(Edit->LinkModified());
    EXPECT_EQ(File.Rows(kValues), kUnchanged);
    Leave();
    EXPECT_EQ(arrSeenByOnExit, kUnchanged);
    EXPECT_EQ(Edit->Text(), "6.00");
    EXPECT_FALSE(Edit->LinkModified());
    EXPECT_EQ(File.Rows(kValues), (TRows{"6", "2.5", "0.33333333333333331"}));
}

// Value as loaded holds what the parser read back from the 15-digit plain text; passing
// through the control, with either edit pattern, leaves the field as it is.
TEST_F(DBParserEdit, PassingThroughWritesNothing) {
    for (const char* sPattern : {"", "0.000"}) {
        SCOPED_TRACE(sPattern);
        Edit->SetEditFormat(sPattern);
        Data->Last();
        Edit->SetFocus();
        Leave();
        EXPECT_EQ(Edit->Value(), 0.333333333333333L);
        EXPECT_EQ(File.Rows(kValues), kUnchanged);
    }
}

TEST_F(DBParserEdit, LeavingWithARejectedExpressionWritesTheLastGoodValue) {
    TypeInto("4+4");
    Form->PressKey(VK_RETURN);
    Form->TypeText("2*(");
    Leave();
    EXPECT_EQ(iExits, 1);
    EXPECT_EQ(Edit->Text(), "2*(");
    EXPECT_EQ(Edit->Value(), 8);
    EXPECT_EQ(File.Rows(kValues), (TRows{"8", "2.5", "0.33333333333333331"}));
}

TEST_F(DBParserEdit, WithoutAParserTypedTextIsNeverSavedAndSaysSo) {
    Edit->SetParser(nullptr);
    Data->Next();
    TypeInto("99");
    Leave();
    EXPECT_EQ(Edit->Text(), "99");
    EXPECT_EQ(Edit->Value(), 2.5);
    EXPECT_TRUE(Edit->LinkModified());  // the typed text is still not saved
    EXPECT_EQ(File.Rows(kValues), kUnchanged);
    EXPECT_THROW(Data->Post(), EDatabaseError);
    Edit->SetFocus();
    Form->PressKey(VK_ESCAPE);
    Data->Post();
    EXPECT_EQ(File.Rows(kValues), kUnchanged);
}

TEST_F(DBParserEdit, AValueBeyondDoublePrecisionRaisesOverflowAfterOnExit) {
    TypeInto("10^400");
    Form->PressKey(VK_RETURN);
    EXPECT_THROW(Leave(), EOverflow);
    EXPECT_EQ(iExits, 1);
    EXPECT_GT(Edit->Value(), 1e399L);  // kept, and still marked to write
    EXPECT_TRUE(Edit->LinkModified());
    EXPECT_EQ(Data->State(), dsBrowse);
    // Just above the largest double, where conversion rounds down, is still written.
    Edit->SetParser(nullptr);
    Edit->SetValue(std::numeric_limits<double>::max() * (1 + 0x1p-60L));
    Form->SetActiveControl(nullptr);
    EXPECT_EQ(Data->FieldByName("x")->AsFloat(), std::numeric_limits<double>::max());
    Data->Delete();
    EXPECT_EQ(File.Rows(kValues), (TRows{"2.5", "0.33333333333333331"}));
}

// SQLite refuses the write: the error leaves the exit after OnExit and nothing the
// user entered is lost, neither in the control nor in the dataset's pending record.
TEST_F(DBParserEdit, ARefusedWriteKeepsEverythingTheUserEntered) {
    struct Case {
        const char* sName;
        bool bReadOnly;
        const char* sTyped;
        const char* sMessage;
    };
    for (const Case& C : {Case{"check", false, "2-7", "CHECK constraint failed"},
                          Case{"read-only", true, "7", "attempt to write a readonly database"}}) {
        SCOPED_TRACE(C.sName);
        Data->Close();
        Data->SetDatabaseName(C.bReadOnly ? File.ReadOnlyUri() : File.FileName());
        Data->Open();
        iExits = 0;
        TypeInto(C.sTyped);
        try {
            Leave();
            ADD_FAILURE() << "the write was not refused";
        } catch (const EDatabaseError& E) {
            EXPECT_NE(E.Message().find(C.sMessage), std::string::npos) << E.Message();
        }
        EXPECT_EQ(iExits, 1);
        const Extended rEntered = Edit->Value();
        EXPECT_NE(rEntered, 1.5);
        EXPECT_EQ(Data->State(), dsEdit);
        EXPECT_EQ(Data->FieldByName("x")->AsFloat(), rEntered);
        EXPECT_THROW(Data->Next(), EDatabaseError);
        EXPECT_EQ(Edit->Value(), rEntered);
        EXPECT_EQ(File.Rows(kValues), kUnchanged);
        Data->Cancel();  // the user gives up: the stored value comes back
        EXPECT_EQ(Edit->Value(), 1.5);
        Other->SetFocus();
    }
    // With the cause gone, a corrected value goes through.
    Data->Close();
    Data->SetDatabaseName(File.FileName());
    Data->Open();
    TypeInto("7");
    Leave();
    EXPECT_EQ(File.Rows(kValues), (TRows{"7", "2.5", "0.33333333333333331"}));
}

TEST_F(DBParserEdit, RemovingTheParserMarksTheLinkSoTheValueIsWritten) {
    TypeInto("5");
    Form->PressKey(VK_RETURN);
    Other->SetFocus();  // writes 5
    Data->Next();
    Edit->SetParser(nullptr);
    Edit->SetValue(9);  // commits without a parser: marked
    Edit->SetParser(Parser);
    delete Parser;
    EXPECT_EQ(Edit->Text(), "");
    EXPECT_TRUE(Edit->LinkModified());
    Data->Post();  // the data layer collects the link's value
    EXPECT_EQ(File.Rows(kValues), (TRows{"5", "9", "0.33333333333333331"}));
}

// Whichever goes first, nothing calls into a freed object (checked by the sanitizer
// build) and the survivors keep working.
TEST_F(DBParserEdit, ComponentsCanGoInAnyOrder) {
    delete Edit;
    Data->Next();
    Data->Close();
    Data->Open();
    auto* Late = new TDBParserEdit(Form.get());
    Late->SetField("x");
    Late->SetDataSource(Source);
    EXPECT_EQ(Late->Value(), 1.5);
    delete Source;
    EXPECT_EQ(Late->DataSource(), nullptr);
    EXPECT_EQ(Late->Value(), 0);
    Late->SetFocus();
    Other->SetFocus();  // unbound: writes nothing
    delete Data;
    Form.reset();
    EXPECT_EQ(File.Rows(kValues), kUnchanged);
}

TEST_F(DBParserEdit, PublishesDataFieldAndDataSourceLastAndStoresThem) {
    std::vector<std::string> arrNames;
    for (const TPropInfo* Prop : TDBParserEdit::StaticClassInfo().AllProperties())
        arrNames.push_back(Prop->Name);
    ASSERT_GE(arrNames.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(arrNames.end() - 6, arrNames.end()),
              (std::vector<std::string>{"EditFormat", "DisplayFormat", "Parser", "Value", "DataField",
                                        "DataSource"}));
    for (const TClassInfo* Info :
         {&TForm::StaticClassInfo(), &TDataSet::StaticClassInfo(), &TDataSource::StaticClassInfo(),
          &TQuorix::StaticClassInfo(), &TDBParserEdit::StaticClassInfo(), &TParserEdit::StaticClassInfo()})
        RegisterClass(*Info);
    Form->SetName("Form1");
    Data->SetName("Data");
    Source->SetName("Source");
    Parser->SetName("Calc");
    Other->SetName("Other");
    Edit->SetName("Edit");
    auto* Stored = new TDBParserEdit(Form.get());
    Stored->SetName("Bound");
    Stored->SetField("x");
    Stored->SetDataSource(Source);
    const std::unique_ptr<TComponent> Copy(ReadComponentText(WriteComponentText(*Form)));
    auto* Bound = dynamic_cast<TDBParserEdit*>(Copy->FindComponent("Bound"));
    ASSERT_NE(Bound, nullptr);
    EXPECT_EQ(Bound->DataField(), "x");
    EXPECT_EQ(Bound->DataSource(), Copy->FindComponent("Source"));
    EXPECT_EQ(Bound->DataSource()->DataSet(), Copy->FindComponent("Data"));
    EXPECT_EQ(File.Rows(kValues), kUnchanged);
}
