#include <memory>

#include <QDataWidgetMapper>
#include <QSignalSpy>
#include <QSqlTableModel>

#include "QtTests.hpp"
#include "SqlFile.hpp"
#include "builtins/ExtParser.hpp"
#include "qt/FormErrors.hpp"
#include "qt/QuorixParserEdit.hpp"

using quorix_qt_test::TSqlFile;
using quorix_qt_test::TWindow;

// Two widgets mapped to an SQLite table through QSqlTableModel, which writes each
// submitted field to the file at once.
class MapperTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TSqlFile> File;
    std::unique_ptr<quorix::TExtParser> Parser;
    std::unique_ptr<TWindow> Window;
    std::unique_ptr<QSqlTableModel> Model;
    std::unique_ptr<QDataWidgetMapper> Mapper;
    QuorixParserEdit* Price = nullptr;
    QuorixParserEdit* Quantity = nullptr;

    QVariantList prices() const { return File->column("items", "price"); }
    QVariantList quantities() const { return File->column("items", "qty"); }

private slots:
    void init() {
        File = std::make_unique<TSqlFile>(
            "CREATE TABLE items (id INTEGER PRIMARY KEY, price REAL, qty REAL);"
            "INSERT INTO items (price, qty) VALUES (2.5, 4), (NULL, 3), (10, 1)");
        Parser = std::make_unique<quorix::TExtParser>(nullptr);
        Window = std::make_unique<TWindow>();
        Price = Window->add(new QuorixParserEdit);
        Quantity = Window->add(new QuorixParserEdit);
        for (QuorixParserEdit* Edit : {Price, Quantity}) {
            Edit->setParser(Parser.get());
            Edit->setDisplayFormat("0.00");
        }
        Model = std::make_unique<QSqlTableModel>(nullptr, File->open("model"));
        Model->setTable("items");
        Model->setEditStrategy(QSqlTableModel::OnFieldChange);
        QVERIFY(Model->select());
        Mapper = std::make_unique<QDataWidgetMapper>();
        Mapper->setModel(Model.get());
        Price->bindToMapper(*Mapper, 1);
        Quantity->bindToMapper(*Mapper, 2);
        Mapper->toFirst();
        QVERIFY(Window->showActive());
    }
    void cleanup() {
        Window.reset();
        Mapper.reset();
        Model.reset();
        QSqlDatabase::database("model", false).close();
        QSqlDatabase::removeDatabase("model");
        Parser.reset();
        File.reset();
    }

    void leavingTheFieldKeepsTheEdit_data() {
        QTest::addColumn<bool>("bByTab");
        QTest::newRow("focus moved") << false;
        QTest::newRow("Tab") << true;
    }
    void leavingTheFieldKeepsTheEdit() {
        QFETCH(bool, bByTab);
        QCOMPARE(Price->text(), QString("2.50"));
        Window->focus(Price);
        QTest::keyClicks(Price, "3*1.5");
        if (bByTab) QTest::keyClick(Price, Qt::Key_Tab);
        else Window->leave();
        QVERIFY(!Price->hasFocus());
        QCOMPARE(Price->text(), QString("4.50"));
        QCOMPARE(prices(), (QVariantList{4.5, QVariant(), 10.0}));
        QCOMPARE(quantities(), (QVariantList{4.0, 3.0, 1.0}));
    }

    void enterSubmitsAndEscapeReverts() {
        Window->focus(Quantity);
        QTest::keyClicks(Quantity, "Sum(1;2;3)");
        QTest::keyClick(Quantity, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(quantities(), (QVariantList{6.0, 3.0, 1.0}));
        QTest::keyClicks(Quantity, "99");
        QTest::keyClick(Quantity, Qt::Key_Escape);
        QCOMPARE(Quantity->text(), QString("6"));
        QVERIFY(Quantity->selectedText() == "6");
        QCOMPARE(Quantity->value(), QVariant(6.0));
        Window->leave();
        QCOMPARE(quantities(), (QVariantList{6.0, 3.0, 1.0}));
        QCOMPARE(Model->data(Model->index(0, 2)), QVariant(6.0));
    }

    // The form asks the widgets before it moves the mapper: a rejected text is kept.
    void rejectedTextIsNotSubmittedAndHoldsTheRecord_data() {
        QTest::addColumn<QString>("sTyped");
        QTest::newRow("parser error") << "2*";
        QTest::newRow("beyond double") << "1e308*10";
    }
    void rejectedTextIsNotSubmittedAndHoldsTheRecord() {
        QFETCH(QString, sTyped);
        Window->focus(Price);
        QTest::keyClicks(Price, sTyped);
        Window->leave();
        QVERIFY(Price->hasError());
        QCOMPARE(quorix::qt::RejectedTextEdit(*Window), Price);
        QCOMPARE(Price->text(), sTyped);
        QCOMPARE(Price->value(), QVariant(2.5));
        QCOMPARE(prices(), (QVariantList{2.5, QVariant(), 10.0}));
        Window->focus(Quantity);
        QTest::keyClicks(Quantity, "5");
        QTest::keyClick(Quantity, Qt::Key_Return);
        QCOMPARE(quorix::qt::RejectedTextEdit(*Window), Price);
        QCOMPARE(quantities(), (QVariantList{5.0, 3.0, 1.0}));
    }

    void nullFieldShowsNoStaleValueAndStaysNull() {
        Mapper->toNext();
        QCOMPARE(Price->text(), QString());
        QVERIFY(Price->value().isNull());
        QCOMPARE(Quantity->text(), QString("3.00"));
        Window->focus(Price);
        QCOMPARE(Price->text(), QString());
        Window->leave();
        Window->focus(Quantity);
        QTest::keyClicks(Quantity, "3+4");
        QTest::keyClick(Quantity, Qt::Key_Return);
        Window->leave();
        QCOMPARE(prices(), (QVariantList{2.5, QVariant(), 10.0}));
        QCOMPARE(quantities(), (QVariantList{4.0, 7.0, 1.0}));

        Mapper->toPrevious();
        QCOMPARE(Price->text(), QString("2.50"));
        Mapper->toNext();
        QCOMPARE(Price->text(), QString());
        Mapper->toLast();
        QCOMPARE(Price->text(), QString("10.00"));

        // A value typed into the empty field is written.
        Mapper->setCurrentIndex(1);
        Window->focus(Price);
        QTest::keyClicks(Price, "0.5");
        Window->leave();
        QCOMPARE(prices(), (QVariantList{2.5, 0.5, 10.0}));
    }
};

QUORIX_QT_TEST(MapperTest);

#include "MapperTest.moc"
