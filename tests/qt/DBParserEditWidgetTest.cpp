#include <memory>

#include <QSignalSpy>

#include "QtTests.hpp"
#include "SqlFile.hpp"
#include "builtins/ExtParser.hpp"
#include "framework/db/DBLinks.hpp"
#include "qt/QuorixDBParserEdit.hpp"

using quorix_qt_test::TSqlFile;
using quorix_qt_test::TWindow;

// The data-aware widget on a dataset of the framework's data layer over an SQLite file.
class DBParserEditWidgetTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TSqlFile> File;
    std::unique_ptr<rtl::TComponent> Owner;
    rtl::TDataSet* Data = nullptr;
    std::unique_ptr<TWindow> Window;
    QuorixDBParserEdit* Edit = nullptr;

    QVariantList prices() const { return File->column("items", "price"); }

private slots:
    void init() {
        File = std::make_unique<TSqlFile>(
            "CREATE TABLE items (id INTEGER PRIMARY KEY, price REAL CHECK (price >= 0));"
            "INSERT INTO items (price) VALUES (2.5), (1234), (0.125)");
        Owner = std::make_unique<rtl::TComponent>(nullptr);
        auto* Parser = new quorix::TExtParser(Owner.get());
        Data = new rtl::TDataSet(Owner.get());
        Data->SetDatabaseName(File->fileName().toStdString());
        Data->SetTableName("items");
        auto* Source = new rtl::TDataSource(Owner.get());
        Source->SetDataSet(Data);
        Data->Open();
        Window = std::make_unique<TWindow>();
        Edit = Window->add(new QuorixDBParserEdit);
        Edit->setParser(Parser);
        Edit->setEditFormat("0.###");
        Edit->setDisplayFormat("#,##0.00");
        Edit->setDataField("price");
        Edit->setDataSource(Source);
        QVERIFY(Window->showActive());
    }
    void cleanup() {
        Window.reset();
        Data->Close();
        Owner.reset();
        File.reset();
    }

    void navigatingShowsEachRecordAndWritesNothing() {
        QCOMPARE(Edit->text(), QString("2.50"));
        Data->Next();
        QCOMPARE(Edit->text(), QString("1,234.00"));
        QCOMPARE(Edit->value(), QVariant(1234.0));
        Window->focus(Edit);
        QCOMPARE(Edit->text(), QString("1234"));
        Data->Last();
        QCOMPARE(Edit->text(), QString("0.125"));
        QVERIFY(Edit->selectedText() == "0.125");
        QCOMPARE(prices(), (QVariantList{2.5, 1234.0, 0.125}));
    }

    void enterCommitsAndLeavingWrites() {
        Window->focus(Edit);
        QSignalSpy Committed(Edit, &QuorixParserEdit::committed);
        QTest::keyClicks(Edit, "3*4");
        QTest::keyClick(Edit, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(Edit->text(), QString("12"));
        QCOMPARE(prices(), (QVariantList{2.5, 1234.0, 0.125}));
        Window->leave();
        QCOMPARE(Edit->text(), QString("12.00"));
        QCOMPARE(prices(), (QVariantList{12.0, 1234.0, 0.125}));
        QCOMPARE(Committed.count(), 2);
    }

    void escapeRevertsToTheFieldsValue() {
        Data->Next();
        Window->focus(Edit);
        QTest::keyClicks(Edit, "1+");
        QTest::keyClick(Edit, Qt::Key_Escape);
        QCOMPARE(Edit->text(), QString("1234"));
        Window->leave();
        QCOMPARE(prices(), (QVariantList{2.5, 1234.0, 0.125}));
    }

    void refusedWriteShowsTheDatabasesMessage() {
        Window->focus(Edit);
        QSignalSpy Committed(Edit, &QuorixParserEdit::committed);
        QTest::keyClicks(Edit, "0-7");
        Window->leave();
        QVERIFY(Edit->hasError());
        QVERIFY2(Edit->errorMessage().contains("CHECK"), qPrintable(Edit->errorMessage()));
        QCOMPARE(Committed.count(), 0);  // the value never reached the file
        QCOMPARE(prices(), (QVariantList{2.5, 1234.0, 0.125}));

        // Mending the value ends the error; the dataset, left editing by the refusal,
        // writes it with the record.
        Window->focus(Edit);
        QTest::keyClicks(Edit, "7");
        Window->leave();
        QVERIFY(!Edit->hasError());
        QCOMPARE(Committed.count(), 1);
        QCOMPARE(Data->FieldByName("price")->AsFloat(), 7.0);
        Data->Post();
        QCOMPARE(prices(), (QVariantList{7.0, 1234.0, 0.125}));
    }
};

QUORIX_QT_TEST(DBParserEditWidgetTest);

#include "DBParserEditWidgetTest.moc"
