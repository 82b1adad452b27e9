// The data layer against a second writer on the same file, which the test file's
// own connections play, and what a dataset does when it goes with a change pending.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "framework/base/Exceptions.hpp"
#include "framework/db/DB.hpp"
#include "framework/db/DBLinks.hpp"
#include "tests/framework/DBTestFile.hpp"

using namespace rtl;
using quorix_test::TRows;
using quorix_test::TTestDatabase;

namespace {

using quorix_test::MessageOf;

struct OtherWriters : ::testing::Test {
    TTestDatabase File{
        "CREATE TABLE t (x INTEGER, n TEXT);"
        "INSERT INTO t VALUES (1, 'a'), (2, 'b'), (3, 'c')"};
    TDataSet Data{nullptr};

    OtherWriters() {
        Data.SetDatabaseName(File.FileName());
        Data.SetTableName("t");
        Data.Open();
    }
    TRows All() const { return File.Rows("SELECT rowid, x, n FROM t ORDER BY rowid"); }
};

// Collects what destructors report instead of raising.
struct TUnsavedReports {
    std::vector<std::string> arrReports;
    TUnsavedChangeHandler Previous =
        SetOnUnsavedChange([this](const std::string& sComponent, const std::string& sMessage) {
            arrReports.push_back(sComponent + ": " + sMessage);
        });
    ~TUnsavedReports() { SetOnUnsavedChange(std::move(Previous)); }
};

}  // namespace

// A post between whose read and write another connection changed the column, or
// deleted the row and let SQLite give its id to a new one, is refused and stays
// pending; RefreshRecord takes the other writer's values and Post applies the edit.
TEST_F(OtherWriters, APostOverAnotherWritersChangeIsRefusedUntilRefreshed) {
    struct Case {
        const char* sOtherWriter;
        TRows arrAfterRefresh;
    };
    for (const Case& C :
         {Case{"UPDATE t SET x = 111, n = 'B' WHERE rowid = 2", {"1|1|a", "2|5|B", "3|3|c"}},
          Case{"DELETE FROM t WHERE rowid > 1; INSERT INTO t VALUES (777, 'new')", {"1|1|a", "2|5|new"}}}) {
        SCOPED_TRACE(C.sOtherWriter);
        Data.Close();
        File.Exec("DELETE FROM t; INSERT INTO t VALUES (1, 'a'), (2, 'b'), (3, 'c')");
        Data.Open();
        Data.Next();
        Data.Edit();
        Data.FieldByName("x")->SetValue(int64_t{5});
        File.Exec(C.sOtherWriter);
        const TRows arrOther = All();
        EXPECT_NE(MessageOf([&] { Data.Post(); }).find("changed by another user"), std::string::npos);
        EXPECT_EQ(Data.State(), dsEdit);
        EXPECT_EQ(All(), arrOther);
        Data.RefreshRecord();
        Data.Post();
        EXPECT_EQ(All(), C.arrAfterRefresh);
    }
    Data.Next();
    Data.Edit();
    File.Exec("DELETE FROM t WHERE rowid = 3");
    EXPECT_NE(MessageOf([&] { Data.RefreshRecord(); }).find("deleted by another"), std::string::npos);
    EXPECT_EQ(Data.State(), dsEdit);
}

TEST_F(OtherWriters, ADeleteReachesOnlyTheRecordAsRead) {
    File.Exec("DELETE FROM t WHERE rowid = 3; INSERT INTO t VALUES (3, 'other')");  // reuses id 3
    Data.Last();
    EXPECT_NE(MessageOf([&] { Data.Delete(); }).find("changed by another user"), std::string::npos);
    EXPECT_EQ(All(), (TRows{"1|1|a", "2|2|b", "3|3|other"}));
    Data.RefreshRecord();
    Data.Delete();
    EXPECT_EQ(All(), (TRows{"1|1|a", "2|2|b"}));
}

// A column named rowid (or _rowid_) moves the row id to the next free name; only a
// table that takes all three names is refused.
TEST_F(OtherWriters, AColumnNamedRowIdDoesNotHideTheRecordId) {
    for (const char* sSchema : {"CREATE TABLE r (rowid INTEGER, x INTEGER)",
                                "CREATE TABLE r (ROWID INTEGER, _rowid_ INTEGER, x INTEGER)"}) {
        SCOPED_TRACE(sSchema);
        TTestDatabase Db(std::string(sSchema) + "; INSERT INTO r (rowid, x) VALUES (7, 1), (7, 2)");
        TDataSet D(nullptr);
        D.SetDatabaseName(Db.FileName());
        D.SetTableName("r");
        D.Open();
        D.FieldByName("x")->SetValue(int64_t{10});  // one record, not both holding rowid 7
        D.Append();
        D.FieldByName("rowid")->SetValue(int64_t{7});
        D.FieldByName("x")->SetValue(int64_t{3});
        D.Post();
        D.Edit();  // the appended record is found again
        D.FieldByName("x")->SetValue(int64_t{30});
        D.Post();
        EXPECT_EQ(Db.Rows("SELECT x FROM r ORDER BY x"), (TRows{"2", "10", "30"}));
    }
}

// Open raises when a link cannot take the opening, and then leaves the dataset closed.
TEST_F(OtherWriters, AnOpenThatRaisesLeavesTheDatasetClosed) {
    Data.Close();
    TDataSource Source(nullptr);
    Source.SetDataSet(&Data);
    TFieldDataLink Link;
    Link.SetDataSource(&Source);
    Link.SetFieldName("n");
    Link.SetOnDataChange([&](TDataLink*) {
        if (Link.Field()) Link.Field()->AsFloat();  // 'a' is no number
    });
    EXPECT_THROW(Data.Open(), EConvertError);
    EXPECT_FALSE(Data.Active());
    EXPECT_EQ(Data.Handle(), nullptr);
    EXPECT_EQ(Link.Field(), nullptr);
    Link.SetOnDataChange(nullptr);
    Data.Open();
    EXPECT_EQ(Link.Field()->Value(), TFieldValue(std::string("a")));
}

// A dataset or data source that goes posts what is pending; what cannot be posted
// is reported, and the file keeps what it held.
TEST_F(OtherWriters, GoingWithAPendingChangePostsItOrReportsIt) {
    TUnsavedReports Reports;
    {
        auto Source = std::make_unique<TDataSource>(nullptr);
        Source->SetDataSet(&Data);
        TFieldDataLink Link;
        Link.SetDataSource(Source.get());
        Link.SetFieldName("x");
        Link.SetOnUpdateData([&](TDataLink*) { Link.Field()->SetValue(int64_t{30}); });
        Link.Modified();
        Source.reset();
    }
    {
        TDataSet D(nullptr);
        D.SetName("Refused");
        D.SetDatabaseName(File.ReadOnlyUri());
        D.SetTableName("t");
        D.Open();
        D.Edit();
        D.FieldByName("x")->SetValue(int64_t{20});
    }
    EXPECT_EQ(Reports.arrReports, std::vector<std::string>{"Refused: attempt to write a readonly database"});
    EXPECT_EQ(All(), (TRows{"1|30|a", "2|2|b", "3|3|c"}));
}

// Integers keep every digit through AsExtended and SetAsExtended where the column
// keeps integers; a real column still gets a double.
TEST_F(OtherWriters, IntegersKeepEveryDigit) {
    TTestDatabase Db("CREATE TABLE w (i INTEGER, r REAL, u); INSERT INTO w VALUES (1, 1, 5)");
    TDataSet D(nullptr);
    D.SetDatabaseName(Db.FileName());
    D.SetTableName("w");
    D.Open();
    for (const Extended rValue : {9007199254740993.0L, 9223372036854775807.0L, -0x1p63L}) {
        D.FieldByName("i")->SetAsExtended(rValue);
        D.FieldByName("u")->SetAsExtended(rValue);  // no declared type, holding an integer
        EXPECT_EQ(D.FieldByName("i")->AsExtended(), rValue);
        EXPECT_EQ(D.FieldByName("u")->AsExtended(), rValue);
    }
    D.FieldByName("i")->SetAsExtended(2.5L);
    D.FieldByName("r")->SetAsExtended(3);
    EXPECT_THROW(D.FieldByName("r")->SetAsExtended(1e400L), EOverflow);
    EXPECT_EQ(Db.Rows("SELECT i, typeof(r), u FROM w"), TRows{"2.5|real|-9223372036854775808"});
}
