#include "framework/db/DB.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "framework/base/Exceptions.hpp"
#include "tests/framework/DBTestFile.hpp"

using namespace rtl;
using quorix_test::TRows;
using quorix_test::TTestDatabase;

namespace {

const char* const kSchema =
    "CREATE TABLE t (id INTEGER PRIMARY KEY, x REAL CHECK (x < 1000), n TEXT DEFAULT 'none');"
    "INSERT INTO t (x, n) VALUES (1.5, 'a'), (2.5, 'b'), (3.5, 'c')";

const char* const kAll = "SELECT id, x, n FROM t ORDER BY id";

class DataSetTest : public ::testing::Test {
protected:
    void OpenTable(const std::string& sDatabase) {
        Data.SetDatabaseName(sDatabase);
        Data.SetTableName("t");
        Data.Open();
    }

    TTestDatabase File{kSchema};
    TDataSet Data{nullptr};
};

using quorix_test::MessageOf;

}  // namespace

TEST_F(DataSetTest, NavigatesWithRecordNumbersAndBothEnds) {
    OpenTable(File.FileName());
    ASSERT_EQ(Data.RecordCount(), 3);
    struct Step {
        std::function<int(TDataSet&)> Move;
        int iMoved, iRecNo;
        bool bBof, bEof;
    };
    const Step arrSteps[] = {
        {[](TDataSet& D) { return D.MoveBy(0); }, 0, 1, true, false},  // as opened
        {[](TDataSet& D) { return D.MoveBy(1); }, 1, 2, false, false},
        {[](TDataSet& D) { return D.MoveBy(5); }, 1, 3, false, true},  // past the end
        {[](TDataSet& D) { return D.MoveBy(-1); }, -1, 2, false, false},
        {[](TDataSet& D) { return D.MoveBy(-1); }, -1, 1, false, false},  // onto the first
        {[](TDataSet& D) { return D.MoveBy(-1); }, 0, 1, true, false},    // before the first
        {[](TDataSet& D) {
             D.Last();
             return 0;
         },
         0, 3, false, true},
        {[](TDataSet& D) {
             D.First();
             return 0;
         },
         0, 1, true, false},
        {[](TDataSet& D) {
             D.SetRecNo(2);
             return 0;
         },
         0, 2, false, false},
        {[](TDataSet& D) { return D.MoveBy(std::numeric_limits<int>::min()); }, -1, 1, true, false},
    };
    for (size_t i = 0; i < std::size(arrSteps); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(arrSteps[i].Move(Data), arrSteps[i].iMoved);
        EXPECT_EQ(Data.RecNo(), arrSteps[i].iRecNo);
        EXPECT_EQ(Data.Bof(), arrSteps[i].bBof);
        EXPECT_EQ(Data.Eof(), arrSteps[i].bEof);
        EXPECT_EQ(Data.FieldByName("x")->AsFloat(), arrSteps[i].iRecNo + 0.5);
    }
    EXPECT_THROW(Data.SetRecNo(0), EDatabaseError);
    EXPECT_THROW(Data.SetRecNo(4), EDatabaseError);
    EXPECT_EQ(Data.RecNo(), 1);
}

TEST_F(DataSetTest, AnEmptyTableIsAtBothEndsWithNullFields) {
    File.Exec("DELETE FROM t");
    OpenTable(File.FileName());
    EXPECT_TRUE(Data.IsEmpty());
    EXPECT_TRUE(Data.Bof());
    EXPECT_TRUE(Data.Eof());
    EXPECT_EQ(Data.RecNo(), 0);
    Data.Next();
    Data.Last();
    EXPECT_TRUE(Data.Bof() && Data.Eof());
    EXPECT_TRUE(Data.FieldByName("x")->IsNull());
    EXPECT_EQ(Data.FieldByName("x")->AsFloat(), 0.0);
    EXPECT_THROW(Data.Edit(), EDatabaseError);
    EXPECT_THROW(Data.Delete(), EDatabaseError);
    EXPECT_EQ(File.Rows(kAll), TRows{});
}

TEST_F(DataSetTest, ReadsEveryStorageClassAsFloat) {
    File.Exec(
        "CREATE TABLE v (a); INSERT INTO v VALUES (NULL), (7), (2.25), ('1.5e3'), ('abc'),"
        " (x'00ff'), ('1e400')");
    Data.SetDatabaseName(File.FileName());
    Data.SetTableName("v");
    Data.Open();
    TField* A = Data.FieldByName("A");  // names match without regard to case
    EXPECT_TRUE(A->IsNull());
    EXPECT_EQ(A->AsFloat(), 0.0);
    Data.Next();
    EXPECT_EQ(A->AsFloat(), 7.0);
    Data.Next();
    EXPECT_EQ(A->AsFloat(), 2.25);
    Data.Next();
    EXPECT_EQ(A->AsFloat(), 1500.0);
    Data.Next();
    EXPECT_THROW(A->AsFloat(), EConvertError);
    Data.Next();
    EXPECT_EQ(A->Value(), TFieldValue(TBlob{0x00, 0xff}));
    EXPECT_THROW(A->AsFloat(), EDatabaseError);
    Data.Next();
    EXPECT_THROW(A->AsFloat(), EDatabaseError);
    EXPECT_EQ(Data.FindField("nope"), nullptr);
    EXPECT_THROW(Data.FieldByName("nope"), EDatabaseError);
    EXPECT_THROW(Data.Fields(1), EDatabaseError);
}

TEST_F(DataSetTest, PostWritesOnlyTheChangedColumnsOfOneRecord) {
    OpenTable(File.FileName());
    Data.Next();
    Data.Edit();
    Data.FieldByName("x")->SetAsFloat(0.1);
    EXPECT_EQ(Data.State(), dsEdit);
    EXPECT_EQ(File.Rows("SELECT x FROM t WHERE id = 2"), TRows{"2.5"});  // not yet
    File.Exec("UPDATE t SET n = 'other' WHERE id = 2");                  // another writer's column
    Data.Post();
    EXPECT_EQ(Data.State(), dsBrowse);
    EXPECT_EQ(Data.FieldByName("n")->Value(), TFieldValue(std::string("other")));  // read back
    EXPECT_EQ(File.Rows(kAll), (TRows{"1|1.5|a", "2|0.10000000000000001|other", "3|3.5|c"}));
}

TEST_F(DataSetTest, CancelDiscardsThePendingChange) {
    OpenTable(File.FileName());
    Data.Edit();
    Data.FieldByName("x")->Clear();
    EXPECT_TRUE(Data.FieldByName("x")->IsNull());
    Data.Cancel();
    EXPECT_EQ(Data.FieldByName("x")->AsFloat(), 1.5);
    Data.Append();
    Data.Cancel();
    EXPECT_EQ(Data.RecordCount(), 3);
    EXPECT_EQ(File.Rows(kAll), (TRows{"1|1.5|a", "2|2.5|b", "3|3.5|c"}));
}

TEST_F(DataSetTest, InsertAndAppendPlaceTheNewRecordAndReadBackDefaults) {
    OpenTable(File.FileName());
    Data.Next();
    Data.Insert();
    EXPECT_TRUE(Data.FieldByName("x")->IsNull());
    Data.FieldByName("x")->SetAsFloat(9);
    Data.Post();
    EXPECT_EQ(Data.RecNo(), 2);
    EXPECT_EQ(Data.FieldByName("n")->Value(), TFieldValue(std::string("none")));
    EXPECT_EQ(Data.FieldByName("id")->AsFloat(), 4.0);
    Data.Append();
    Data.Post();  // nothing written: every column takes its default
    EXPECT_EQ(Data.RecNo(), 5);
    EXPECT_TRUE(Data.Eof() == false && Data.RecordCount() == 5);
    EXPECT_EQ(File.Rows(kAll), (TRows{"1|1.5|a", "2|2.5|b", "3|3.5|c", "4|9|none", "5|NULL|none"}));
}

TEST_F(DataSetTest, DeleteRemovesTheCurrentRecord) {
    OpenTable(File.FileName());
    Data.Last();
    Data.Delete();
    EXPECT_EQ(Data.RecNo(), 2);
    EXPECT_TRUE(Data.Eof());
    Data.First();
    Data.Edit();
    Data.Delete();  // the pending edit goes with its record
    EXPECT_EQ(Data.RecNo(), 1);
    EXPECT_EQ(Data.FieldByName("x")->AsFloat(), 2.5);
    EXPECT_EQ(File.Rows(kAll), TRows{"2|2.5|b"});
}

TEST_F(DataSetTest, LeavingTheRecordPostsThePendingChangeFirst) {
    OpenTable(File.FileName());
    Data.Edit();
    Data.FieldByName("x")->SetAsFloat(10);
    Data.Next();
    EXPECT_EQ(Data.State(), dsBrowse);
    Data.Insert();
    Data.FieldByName("x")->SetAsFloat(20);
    Data.Close();
    EXPECT_FALSE(Data.Active());
    EXPECT_EQ(File.Rows(kAll), (TRows{"1|10|a", "2|2.5|b", "3|3.5|c", "4|20|none"}));
}

// Every way SQLite refuses a write: the error carries SQLite's message, the
// dataset stays in Edit with the entered value, moving away is refused too, and
// the file keeps its old contents.
TEST_F(DataSetTest, ARefusedPostKeepsTheEnteredValue) {
    struct Case {
        const char* sName;
        double rValue;
        std::function<void(TDataSet&, TTestDatabase&)> Arrange;
        bool bReadOnly;
        const char* sMessage;
    };
    sqlite3* Locker = nullptr;
    const Case arrCases[] = {
        {"check", 5000, nullptr, false, "CHECK constraint failed"},
        {"read-only file", 7, nullptr, true, "attempt to write a readonly database"},
        {"locked", 7,
         [&](TDataSet&, TTestDatabase& F) {
             sqlite3_open(F.FileName().c_str(), &Locker);
             sqlite3_exec(Locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
         },
         false, "database is locked"},
        {"disk full", 7,
         [](TDataSet& D, TTestDatabase&) {
             sqlite3_exec(D.Handle(), "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr);
         },
         false, "database or disk is full"},
    };
    for (const Case& C : arrCases) {
        SCOPED_TRACE(C.sName);
        TTestDatabase Db(kSchema);
        TDataSet D(nullptr);
        D.SetDatabaseName(C.bReadOnly ? Db.ReadOnlyUri() : Db.FileName());
        D.SetTableName("t");
        D.Open();
        if (C.Arrange) C.Arrange(D, Db);
        D.Edit();
        D.FieldByName("x")->SetAsFloat(C.rValue);
        D.FieldByName("n")->SetValue(std::string(5000, 'n'));  // outgrows the page limit
        EXPECT_NE(MessageOf([&] { D.Post(); }).find(C.sMessage), std::string::npos);
        EXPECT_EQ(D.State(), dsEdit);
        EXPECT_EQ(D.FieldByName("x")->AsFloat(), C.rValue);
        EXPECT_NE(MessageOf([&] { D.Next(); }).find(C.sMessage), std::string::npos);
        EXPECT_EQ(D.RecNo(), 1);
        EXPECT_NE(MessageOf([&] { D.Close(); }).find(C.sMessage), std::string::npos);
        EXPECT_TRUE(D.Active());
        if (Locker) {
            sqlite3_close(Locker);  // releases the lock: the same values now go through
            Locker = nullptr;
            D.Post();
            EXPECT_EQ(Db.Rows("SELECT x FROM t WHERE id = 1"), TRows{"7"});
            continue;
        }
        D.Cancel();
        EXPECT_EQ(Db.Rows(kAll), (TRows{"1|1.5|a", "2|2.5|b", "3|3.5|c"}));
    }
}

// A write into a browsing dataset is posted at once; one that cannot be done is
// refused before anything changes.
TEST_F(DataSetTest, AWriteWhileBrowsingIsPostedAtOnce) {
    OpenTable(File.FileName());
    Data.FieldByName("x")->SetAsFloat(4.25);
    EXPECT_EQ(Data.State(), dsBrowse);
    EXPECT_EQ(File.Rows("SELECT x FROM t WHERE id = 1"), TRows{"4.25"});
    Data.FieldByName("id")->SetAsFloat(1);  // the value it holds: no write at all
    EXPECT_EQ(Data.State(), dsBrowse);
    for (double rBad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        EXPECT_THROW(Data.FieldByName("x")->SetAsFloat(rBad), EDatabaseError);
        EXPECT_EQ(Data.State(), dsBrowse);
    }
    EXPECT_EQ(File.Rows(kAll), (TRows{"1|4.25|a", "2|2.5|b", "3|3.5|c"}));
}

TEST_F(DataSetTest, AWriteWhileBrowsingThatSQLiteRefusesStaysPending) {
    OpenTable(File.ReadOnlyUri());
    Data.FieldByName("x")->SetAsFloat(1.5);  // unchanged: fine on a read-only file
    EXPECT_NE(MessageOf([&] { Data.FieldByName("x")->SetAsFloat(8); }).find("readonly"), std::string::npos);
    EXPECT_EQ(Data.State(), dsEdit);
    EXPECT_EQ(Data.FieldByName("x")->AsFloat(), 8.0);
    Data.Cancel();
    EXPECT_EQ(File.Rows(kAll), (TRows{"1|1.5|a", "2|2.5|b", "3|3.5|c"}));
}

TEST_F(DataSetTest, AQueryReadsButRefusesEveryChange) {
    Data.SetDatabaseName(File.FileName());
    Data.SetSQL("SELECT n, x * 2 AS twice FROM t WHERE x > 2 ORDER BY x DESC");
    Data.Open();
    EXPECT_EQ(Data.RecordCount(), 2);
    EXPECT_EQ(Data.FieldByName("twice")->AsFloat(), 7.0);
    EXPECT_FALSE(Data.CanModify());
    EXPECT_THROW(Data.FieldByName("twice")->SetAsFloat(1), EDatabaseError);
    EXPECT_THROW(Data.Edit(), EDatabaseError);
    EXPECT_THROW(Data.Append(), EDatabaseError);
    EXPECT_THROW(Data.Delete(), EDatabaseError);
    EXPECT_EQ(Data.State(), dsBrowse);
    EXPECT_EQ(File.Rows(kAll), (TRows{"1|1.5|a", "2|2.5|b", "3|3.5|c"}));
}

TEST_F(DataSetTest, OpeningReportsWhatIsWrongAndStaysClosed) {
    struct Case {
        const char* sTable;
        const char* sSQL;
        const char* sMessage;
    };
    const Case arrCases[] = {
        {"", "", "needs either a table name or a query"},
        {"t", "SELECT 1", "needs either a table name or a query"},
        {"missing", "", "no such table: missing"},
        {"", "DELETE FROM t", "must only read"},
        {"", "SELECT 1; DELETE FROM t", "More than one SQL statement"},
        {"", "SELEKT 1", "syntax error"},
        {"shadow", "", "hide the record id"},
    };
    File.Exec(
        "CREATE TABLE shadow (rowid TEXT, _ROWID_ TEXT, oid TEXT); INSERT INTO shadow VALUES ('x', 'y', "
        "'z')");
    for (const Case& C : arrCases) {
        SCOPED_TRACE(C.sMessage);
        TDataSet D(nullptr);
        D.SetDatabaseName(File.FileName());
        D.SetTableName(C.sTable);
        D.SetSQL(C.sSQL);
        EXPECT_NE(MessageOf([&] { D.Open(); }).find(C.sMessage), std::string::npos);
        EXPECT_FALSE(D.Active());
        EXPECT_EQ(D.Handle(), nullptr);
    }
    TDataSet Missing(nullptr);  // a file that does not exist is not created
    Missing.SetDatabaseName(File.FileName() + ".typo");
    Missing.SetTableName("t");
    EXPECT_NE(MessageOf([&] { Missing.Open(); }).find("unable to open"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(File.FileName() + ".typo"));
    OpenTable(File.FileName());
    EXPECT_THROW(Data.SetTableName("u"), EDatabaseError);
    EXPECT_THROW(Data.SetDatabaseName("u.db"), EDatabaseError);
    EXPECT_EQ(File.Rows(kAll), (TRows{"1|1.5|a", "2|2.5|b", "3|3.5|c"}));
}
