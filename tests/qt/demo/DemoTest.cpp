#include <memory>

#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>

#include "DemoWindow.hpp"
#include "PriceList.hpp"
#include "QtTests.hpp"
#include "SqlFile.hpp"
#include "qt/QuorixDBParserEdit.hpp"

using quorix_qt_test::TSqlFile;

// The demo window on a price list made as on first run, used with mouse and keys.
class DemoTest : public QObject {
    Q_OBJECT

    QTemporaryDir Dir;
    QString sFile;
    std::unique_ptr<quorix_demo::DemoWindow> Window;

    template <class TWidget>
    TWidget* find(const char* sName) const {
        auto* Widget = Window->findChild<TWidget*>(sName);
        if (!Widget) qFatal("no widget %s", sName);
        return Widget;
    }
    QVariantList column(const char* sColumn) const {
        QVariantList Values;
        {
            QSqlDatabase Database = QSqlDatabase::addDatabase("QSQLITE", "demo-check");
            Database.setDatabaseName(sFile);
            Database.open();
            QSqlQuery Query(QString("SELECT %1 FROM items ORDER BY id").arg(sColumn), Database);
            while (Query.next()) Values.append(Query.value(0));
        }
        QSqlDatabase::removeDatabase("demo-check");
        return Values;
    }

private slots:
    void init() {
        sFile = Dir.filePath(QString("prices%1.db").arg(QTest::currentTestFunction()));
        quorix_demo::EnsurePriceList(sFile);
        Window = std::make_unique<quorix_demo::DemoWindow>(sFile);
        Window->show();
        Window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Window.get()));
    }
    void cleanup() { Window.reset(); }

    void firstRunMakesThePriceListOnce() {
        QCOMPARE(column("name").size(), 5);
        QCOMPARE(column("price").first(), QVariant(0.85));
        Window.reset();
        {
            QSqlDatabase Database = QSqlDatabase::addDatabase("QSQLITE", "demo-change");
            Database.setDatabaseName(sFile);
            Database.open();
            QSqlQuery("DELETE FROM items WHERE id > 1", Database);
        }
        QSqlDatabase::removeDatabase("demo-change");
        quorix_demo::EnsurePriceList(sFile);
        QCOMPARE(column("name").size(), 1);
    }

    void navigatingKeepsTheEditAndShowsTheNextRecord() {
        auto* Price = find<QuorixDBParserEdit>("price");
        QCOMPARE(find<QLabel>("name")->text(), QString("Pencil"));
        QCOMPARE(find<QLabel>("total")->text(), QString("102.00"));
        QVERIFY(!find<QPushButton>("prior")->isEnabled());
        Price->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(Price, "2*0.5");
        QTest::mouseClick(find<QPushButton>("next"), Qt::LeftButton);
        QCOMPARE(column("price").first(), QVariant(1.0));
        QCOMPARE(find<QLabel>("name")->text(), QString("Notebook"));
        QCOMPARE(Price->text(), QString("3.20"));
        QCOMPARE(find<QLabel>("total")->text(), QString("128.00"));
        QTest::mouseClick(find<QPushButton>("last"), Qt::LeftButton);
        QCOMPARE(find<QLabel>("name")->text(), QString("Desk lamp"));
        QVERIFY(!find<QPushButton>("next")->isEnabled());
        QTest::mouseClick(find<QPushButton>("first"), Qt::LeftButton);
        QCOMPARE(Price->text(), QString("1.00"));
        QCOMPARE(column("qty"), (QVariantList{120.0, 40.0, 6.0, 3.0, 1.0}));
    }

    void everyHintEvaluatesInTheCalculatorsFields() {
        auto* Amount = find<QuorixParserEdit>("amount");
        for (const QString& sHint : quorix_demo::DemoWindow::expressionHints()) {
            Amount->setFocus(Qt::TabFocusReason);
            Amount->selectAll();
            QTest::keyClicks(Amount, sHint);
            QTest::keyClick(Amount, Qt::Key_Return);
            QVERIFY2(!Amount->hasError(), qPrintable(sHint + ": " + Window->statusBar()->currentMessage()));
        }
        QVERIFY(qAbs(Amount->value().toDouble() - 1.41421356237) < 1e-9);  // the last one
    }

    void refusedWriteAndParserErrorsReachTheStatusLine() {
        auto* Amount = find<QuorixParserEdit>("amount");
        Amount->setFocus(Qt::TabFocusReason);
        QCOMPARE(Amount->text(), QString("1250"));
        QTest::keyClicks(Amount, "1+Foo");
        QTest::keyClick(Amount, Qt::Key_Return);
        QVERIFY(Amount->hasError());
        QCOMPARE(Window->statusBar()->currentMessage(), QString("Unknown name at character 3"));

        auto* Quantity = find<QuorixDBParserEdit>("qty");
        Quantity->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(Quantity, "0-1");
        QTest::mouseClick(find<QPushButton>("next"), Qt::LeftButton);
        QVERIFY2(Window->statusBar()->currentMessage().contains("CHECK"),
                 qPrintable(Window->statusBar()->currentMessage()));
        QCOMPARE(find<QLabel>("name")->text(), QString("Pencil"));  // the record was not left
        QCOMPARE(column("qty").first(), QVariant(120.0));
    }
};

QUORIX_QT_TEST(DemoTest);

#include "DemoTest.moc"
