#include "framework/db/DBLinks.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/Streaming.hpp"
#include "tests/framework/DBTestFile.hpp"

using namespace rtl;
using quorix_test::TRows;
using quorix_test::TTestDatabase;

namespace {

// Stands in for a data-aware control: remembers what each delivery showed, marks
// the link modified while loading (as a control's commit does) and writes
// rPending when asked to update the record.
class FieldLinkTest : public ::testing::Test {
protected:
    FieldLinkTest() {
        Data.SetDatabaseName(File.FileName());
        Data.SetTableName("t");
        Source.SetDataSet(&Data);
        Link.SetOnDataChange([this](TDataLink* Sender) {
            EXPECT_EQ(Sender, &Link);
            Shown.push_back(Link.Field() ? std::optional(Link.Field()->AsFloat()) : std::nullopt);
            Link.Modified();
        });
        Link.SetOnUpdateData([this](TDataLink* Sender) {
            EXPECT_EQ(Sender, &Link);
            ++iUpdates;
            Link.Field()->SetAsFloat(rPending);
        });
    }

    std::vector<std::optional<double>> TakeShown() { return std::exchange(Shown, {}); }

    TTestDatabase File{
        "CREATE TABLE t (id INTEGER PRIMARY KEY, x REAL CHECK (x < 1000));"
        "INSERT INTO t (x) VALUES (1.5), (2.5)"};
    TDataSet Data{nullptr};
    TDataSource Source{nullptr};
    TFieldDataLink Link;
    std::vector<std::optional<double>> Shown;
    int iUpdates = 0;
    double rPending = 0;
};

using Shows = std::vector<std::optional<double>>;

}  // namespace

// Opening, moving, re-binding and closing all deliver the field's value; the
// mark set during a delivery is discarded, so none of them writes anything.
TEST_F(FieldLinkTest, DeliversEveryPossibleChangeAndNeverWritesBack) {
    Link.SetDataSource(&Source);
    EXPECT_EQ(TakeShown(), (Shows{std::nullopt}));  // attached, dataset closed
    Link.SetFieldName("x");
    EXPECT_EQ(TakeShown(), (Shows{std::nullopt}));
    Data.Open();
    EXPECT_EQ(TakeShown(), (Shows{1.5}));
    EXPECT_FALSE(Link.IsModified());
    Data.Next();
    Data.Next();  // at the end already: no delivery
    Data.Prior();
    EXPECT_EQ(TakeShown(), (Shows{2.5, 1.5}));
    Link.SetFieldName("id");
    EXPECT_EQ(TakeShown(), (Shows{1.0}));
    Link.SetFieldName("id");  // the same name: nothing happens
    EXPECT_EQ(TakeShown(), Shows{});
    Data.Close();
    EXPECT_EQ(TakeShown(), (Shows{std::nullopt}));
    EXPECT_EQ(Link.Field(), nullptr);
    EXPECT_EQ(iUpdates, 0);
    EXPECT_EQ(File.Rows("SELECT x FROM t"), (TRows{"1.5", "2.5"}));
}

TEST_F(FieldLinkTest, UpdatesTheRecordOnlyWhileMarkedAndBound) {
    Link.SetDataSource(&Source);
    Link.Modified();
    Link.UpdateRecord();  // marked but not bound: the mark goes, nothing is written
    EXPECT_FALSE(Link.IsModified());
    Link.SetFieldName("x");
    Data.Open();
    Link.UpdateRecord();  // bound but not marked
    EXPECT_EQ(iUpdates, 0);
    rPending = 42;
    Link.Modified();
    Link.UpdateRecord();
    EXPECT_EQ(iUpdates, 1);
    EXPECT_FALSE(Link.IsModified());
    EXPECT_EQ(TakeShown(), (Shows{std::nullopt, std::nullopt, 1.5}));  // not its own write
    EXPECT_EQ(File.Rows("SELECT x FROM t"), (TRows{"42", "2.5"}));
}

TEST_F(FieldLinkTest, AFailedUpdateKeepsTheMarkAndTheValue) {
    Link.SetDataSource(&Source);
    Link.SetFieldName("x");
    Data.Open();
    rPending = 5000;  // beyond the CHECK constraint
    Link.Modified();
    EXPECT_THROW(Link.UpdateRecord(), EDatabaseError);
    EXPECT_TRUE(Link.IsModified());
    EXPECT_EQ(Data.State(), dsEdit);
    EXPECT_EQ(Link.Field()->AsFloat(), 5000.0);
    Data.Cancel();
    EXPECT_EQ(File.Rows("SELECT x FROM t"), (TRows{"1.5", "2.5"}));
}

// A value a control holds but has not written (Enter without leaving) reaches
// the record it belongs to before the dataset moves or posts.
TEST_F(FieldLinkTest, MovingOrPostingCollectsTheLinksPendingValues) {
    Link.SetDataSource(&Source);
    Link.SetFieldName("x");
    Data.Open();
    rPending = 11;
    Link.Modified();
    Data.Next();
    EXPECT_EQ(TakeShown(), (Shows{std::nullopt, std::nullopt, 1.5, 2.5}));
    Data.Edit();
    rPending = 22;
    Link.Modified();
    Data.Post();
    EXPECT_EQ(iUpdates, 2);
    EXPECT_EQ(File.Rows("SELECT x FROM t"), (TRows{"11", "22"}));
}

TEST_F(FieldLinkTest, AnUnknownFieldIsRefusedOnAnOpenDataset) {
    Link.SetDataSource(&Source);
    Link.SetFieldName("x");
    Data.Open();
    EXPECT_THROW(Link.SetFieldName("nope"), EDatabaseError);
    EXPECT_EQ(Link.FieldName(), "x");
    Data.Close();
    Link.SetFieldName("nope");  // may exist when the dataset opens again
    Data.Open();
    EXPECT_EQ(Link.Field(), nullptr);
    EXPECT_EQ(File.Rows("SELECT x FROM t"), (TRows{"1.5", "2.5"}));
}

// Whichever of dataset, data source and link goes first, the others forget it
// (the sanitizer build checks that nothing dangles).
TEST_F(FieldLinkTest, SurvivesEveryOrderOfDestruction) {
    for (int iFirst = 0; iFirst < 3; ++iFirst) {
        SCOPED_TRACE(iFirst);
        auto D = std::make_unique<TDataSet>(nullptr);
        auto S = std::make_unique<TDataSource>(nullptr);
        auto L = std::make_unique<TFieldDataLink>();
        int iDeliveries = 0;
        L->SetOnDataChange([&](TDataLink*) { ++iDeliveries; });
        D->SetDatabaseName(File.FileName());
        D->SetTableName("t");
        S->SetDataSet(D.get());
        L->SetDataSource(S.get());
        L->SetFieldName("x");
        D->Open();
        iDeliveries = 0;
        if (iFirst == 0) {
            D.reset();  // closes first, then detaches: two deliveries
            EXPECT_EQ(L->Field(), nullptr);
            EXPECT_EQ(S->DataSet(), nullptr);
            EXPECT_EQ(iDeliveries, 2);
        } else if (iFirst == 1) {
            S.reset();
            EXPECT_EQ(L->DataSource(), nullptr);
            EXPECT_EQ(L->Field(), nullptr);
            D->Next();
            EXPECT_EQ(iDeliveries, 1);
        } else {
            L.reset();
            D->Next();
        }
    }
    EXPECT_EQ(File.Rows("SELECT x FROM t"), (TRows{"1.5", "2.5"}));
}

TEST_F(FieldLinkTest, ADeliveryThatThrowsStillReachesTheOtherLinksAndDropsTheMark) {
    TFieldDataLink Other;
    int iOther = 0;
    Other.SetOnDataChange([&](TDataLink*) { ++iOther; });
    bool bFail = false;
    Link.SetOnDataChange([&](TDataLink*) {
        Link.Modified();
        if (bFail) throw EConvertError("handler failed");
    });
    Link.SetDataSource(&Source);
    Other.SetDataSource(&Source);
    Link.SetFieldName("x");
    Other.SetFieldName("x");
    Data.Open();
    iOther = 0;
    bFail = true;
    EXPECT_THROW(Data.Close(), EConvertError);
    EXPECT_FALSE(Data.Active());
    EXPECT_EQ(iOther, 1);
    EXPECT_EQ(Other.Field(), nullptr);
    EXPECT_EQ(Link.Field(), nullptr);
    EXPECT_FALSE(Link.IsModified());
    EXPECT_EQ(File.Rows("SELECT x FROM t"), (TRows{"1.5", "2.5"}));
}

TEST(DataSourceStoring, KeepsTheDatasetAndItsReference) {
    RegisterClass(TDataSet::StaticClassInfo());
    RegisterClass(TDataSource::StaticClassInfo());
    TComponent Form(nullptr);
    auto* D = new TDataSet(&Form);
    D->SetName("Data");
    D->SetDatabaseName("/tmp/x.db");
    D->SetTableName("t");
    auto* S = new TDataSource(&Form);
    S->SetName("Source");
    S->SetDataSet(D);
    const std::unique_ptr<TComponent> Copy(ReadComponentText(WriteComponentText(Form)));
    auto* D2 = dynamic_cast<TDataSet*>(Copy->FindComponent("Data"));
    auto* S2 = dynamic_cast<TDataSource*>(Copy->FindComponent("Source"));
    ASSERT_TRUE(D2 && S2);
    EXPECT_EQ(D2->DatabaseName(), "/tmp/x.db");
    EXPECT_EQ(D2->TableName(), "t");
    EXPECT_EQ(D2->SQL(), "");
    EXPECT_EQ(S2->DataSet(), D2);
}
