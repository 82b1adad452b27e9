// The data-aware control never loses or rewrites what the file holds: fields it
// cannot show, typed text the program moves away from, and values it only passed
// through. Input comes through the form as a
// user's would; the file is checked through a connection of its own.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "edits/DBParserEdit.hpp"
#include "edits/ParserEdit.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Streaming.hpp"
#include "tests/framework/DBTestFile.hpp"

using namespace rtl;
using quorix::TDBParserEdit;
using quorix::TParserEdit;
using quorix::TQuorix;
using quorix_test::TRows;
using quorix_test::TTestDatabase;

namespace {

const char* const kValues = "SELECT x FROM t ORDER BY rowid";

// A form with the bound control and a second control to move the focus to, on a
// table t(x) of the given schema.
struct TBoundForm {
    TTestDatabase File;
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TDataSet* Data = new TDataSet(Form.get());
    TDataSource* Source = new TDataSource(Form.get());
    TQuorix* Parser = new TQuorix(Form.get());
    TDBParserEdit* Edit = new TDBParserEdit(Form.get());
    TParserEdit* Other = new TParserEdit(Form.get());

    explicit TBoundForm(const std::string& sSchema) : File(sSchema) {
        Data->SetName("Data");
        Source->SetName("Source");
        Parser->SetName("Parser");
        Edit->SetName("Edit");
        Other->SetName("Other");
        Data->SetDatabaseName(File.FileName());
        Data->SetTableName("t");
        Source->SetDataSet(Data);
        Edit->SetParser(Parser);
        Edit->SetField("x");
        Edit->SetDataSource(Source);
        Data->Open();
    }
    void TypeInto(const std::string& sText) {
        Edit->SetFocus();
        Form->PressKey('A', ssCtrl);
        Form->TypeText(sText);
    }
    void Leave() { Other->SetFocus(); }
    void PassThrough() {
        Edit->SetFocus();
        Leave();
    }
};

// Collects what destructors report instead of raising.
struct TUnsavedReports {
    std::vector<std::string> arrReports;
    TUnsavedChangeHandler Previous = SetOnUnsavedChange(
        [this](const std::string&, const std::string& sMessage) { arrReports.push_back(sMessage); });
    ~TUnsavedReports() { SetOnUnsavedChange(std::move(Previous)); }
};

}  // namespace

// A field that is no number shows as no value, never as the previous record's, and
// passing through it writes nothing; a value the user enters replaces it.
TEST(DBParserEditStoredData, AFieldItCannotShowIsShownAsNoValueAndKept) {
    TBoundForm F("CREATE TABLE t (x TEXT); INSERT INTO t VALUES ('abc'), ('1.5'), ('n/a')");
    const TRows arrStored{"abc", "1.5", "n/a"};
    EXPECT_TRUE(F.Data->Active());
    EXPECT_EQ(F.Edit->Text(), "");
    EXPECT_TRUE(std::isnan(F.Edit->Value()));
    EXPECT_NE(F.Edit->FieldError().find("abc"), std::string::npos);
    EXPECT_EQ(WriteComponentText(*F.Form).find("Value"), std::string::npos);
    F.PassThrough();
    F.Data->Next();
    EXPECT_EQ(F.Edit->Value(), 1.5);
    EXPECT_EQ(F.Edit->FieldError(), "");
    F.Data->Next();
    EXPECT_EQ(F.Edit->Text(), "");
    EXPECT_TRUE(std::isnan(F.Edit->Value()));
    F.PassThrough();
    F.Data->First();
    EXPECT_EQ(F.File.Rows(kValues), arrStored);
    F.TypeInto("0");
    F.Leave();
    EXPECT_EQ(F.File.Rows(kValues), (TRows{"0.0", "1.5", "n/a"}));
}

// Values the control shows with 15 digits, and a null it shows as 0, are not written
// back when passed through; a value written into an integer column keeps every digit.
TEST(DBParserEditStoredData, PassingThroughLeavesIntegersAsStored) {
    TBoundForm F(
        "CREATE TABLE t (x INTEGER);"
        "INSERT INTO t VALUES (9007199254740993), (9223372036854775807), (NULL)");
    const TRows arrStored{"9007199254740993", "9223372036854775807", "NULL"};
    for (int i = 0; i < 3; ++i) {
        F.PassThrough();
        F.Data->Next();
    }
    F.Data->Close();
    EXPECT_EQ(F.File.Rows(kValues), arrStored);
    F.Data->Open();
    F.Edit->SetParser(nullptr);  // without a parser the value is loaded and written exactly
    F.Edit->SetValue(9007199254740995.0L);
    F.Data->Last();
    F.Edit->SetParser(F.Parser);
    F.TypeInto("0");  // null shows as 0, yet a 0 the user enters is written
    F.Leave();
    EXPECT_EQ(F.File.Rows(kValues), (TRows{"9007199254740995", "9223372036854775807", "0"}));
}

// Whatever the program does while the control holds typed text, the text is saved
// as leaving would save it, or the program hears that it could not be: Post, Next
// and Close raise and keep it; destroying reports it and leaves the file as it was.
TEST(DBParserEditStoredData, TypedTextIsSavedOrReportedWhateverTheProgramDoes) {
    struct Action {
        const char* sName;
        std::function<void(TBoundForm&)> Run;
        bool bRaises;  // true: raises for text it cannot save; false: reports it
    };
    const Action arrActions[] = {
        {"Post", [](TBoundForm& F) { F.Data->Post(); }, true},
        {"Next", [](TBoundForm& F) { F.Data->Next(); }, true},
        {"Close", [](TBoundForm& F) { F.Data->Close(); }, true},
        {"destroy the dataset", [](TBoundForm& F) { delete F.Data; }, false},
        {"destroy the form", [](TBoundForm& F) { F.Form.reset(); }, false},
    };
    const char* const kSchema = "CREATE TABLE t (x REAL); INSERT INTO t VALUES (1.5), (2.5)";
    for (const Action& A : arrActions) {
        SCOPED_TRACE(A.sName);
        TUnsavedReports Reports;
        {
            TBoundForm F(kSchema);  // typed, not committed
            F.TypeInto("2*3");
            A.Run(F);
            EXPECT_EQ(F.File.Rows(kValues), (TRows{"6", "2.5"}));
        }
        {
            TBoundForm F(kSchema);  // committed with Enter, not yet written
            F.TypeInto("7");
            F.Form->PressKey(VK_RETURN);
            A.Run(F);
            EXPECT_EQ(F.File.Rows(kValues), (TRows{"7", "2.5"}));
        }
        TBoundForm F(kSchema);  // text the parser rejects
        F.TypeInto("2*(");
        if (A.bRaises) {
            EXPECT_THROW(A.Run(F), EDatabaseError);
            EXPECT_EQ(F.Edit->Text(), "2*(");
            EXPECT_TRUE(F.Data->Active());
            F.Form->PressKey(VK_ESCAPE);
        } else {
            A.Run(F);
            ASSERT_EQ(Reports.arrReports.size(), 1u);
            EXPECT_NE(Reports.arrReports[0].find("2*("), std::string::npos);
        }
        EXPECT_EQ(F.File.Rows(kValues), (TRows{"1.5", "2.5"}));
    }
}
