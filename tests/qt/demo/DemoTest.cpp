#include <memory>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTimer>

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
    // Types into a field as a user does: click, select all, type.
    void retype(QLineEdit* Edit, const QString& sText) {
        QTest::mouseClick(Edit, Qt::LeftButton);
        QTest::keyClick(Edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(Edit, sText);
    }
    QString status() const { return Window->statusBar()->currentMessage(); }
    // Answers the next message boxes, one button each; each names the refused field.
    static void answer(QList<QMessageBox::StandardButton> Buttons) {
        QTimer::singleShot(0, [Buttons] {
            auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!Box || !Box->text().contains("Quantity")) qFatal("no message box naming the field");
            if (Buttons.size() > 1) answer(Buttons.mid(1));
            Box->button(Buttons.first())->click();
        });
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
        sFile =
            Dir.filePath(QString("prices%1%2.db").arg(QTest::currentTestFunction(), QTest::currentDataTag()));
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

    // A typo, and a value no double holds: the record is kept, the text too, until
    // Escape gives the stored value back.
    void rejectedTextHoldsTheRecordUntilEscape_data() {
        QTest::addColumn<QString>("sTyped");
        QTest::newRow("typo") << "2+*3";
        QTest::newRow("beyond double") << "1e308*10";
    }
    void rejectedTextHoldsTheRecordUntilEscape() {
        QFETCH(QString, sTyped);
        auto* Price = find<QuorixDBParserEdit>("price");
        retype(Price, sTyped);
        QTest::mouseClick(find<QPushButton>("next"), Qt::LeftButton);
        QCOMPARE(find<QLabel>("name")->text(), QString("Pencil"));
        QCOMPARE(Price->text(), sTyped);
        QVERIFY(Price->hasRejectedText());
        QCOMPARE(status(), Price->errorMessage());
        QCOMPARE(find<QLabel>("total")->text(), QString("102.00"));
        auto* Quantity = find<QuorixDBParserEdit>("qty");  // the record is not posted
        retype(Quantity, "7");
        QTest::keyClick(Quantity, Qt::Key_Return);
        QCOMPARE(status(), Price->errorMessage());
        QVERIFY(Price->hasRejectedText());
        QTest::mouseClick(find<QPushButton>("last"), Qt::LeftButton);
        QCOMPARE(find<QLabel>("name")->text(), QString("Pencil"));
        QVERIFY(!Window->close());
        QCOMPARE(Price->text(), sTyped);
        QTest::mouseClick(Price, Qt::LeftButton);  // back to correct it
        QCOMPARE(Price->text(), sTyped);
        QVERIFY(Price->hasRejectedText());
        QTest::keyClick(Price, Qt::Key_Escape);
        QVERIFY(!Price->hasError());
        QCOMPARE(status(), QString());
        QTest::mouseClick(find<QPushButton>("next"), Qt::LeftButton);
        QCOMPARE(find<QLabel>("name")->text(), QString("Notebook"));
        QCOMPARE(column("price").first(), QVariant(0.85));
        QCOMPARE(column("qty").first(), QVariant(7.0));
    }

    void refusedValueIsShownAtItsFieldAndEscapeRestoresTheStoredOne() {
        auto* Quantity = find<QuorixDBParserEdit>("qty");
        retype(Quantity, "-1");
        QTest::keyClick(Quantity, Qt::Key_Return);
        QVERIFY(Quantity->hasError());
        QCOMPARE(status(), QString("CHECK constraint failed: Quantity >= 0"));
        QTest::mouseClick(find<QPushButton>("next"), Qt::LeftButton);
        QCOMPARE(find<QLabel>("name")->text(), QString("Pencil"));
        QCOMPARE(status(), QString("CHECK constraint failed: Quantity >= 0"));
        QTest::mouseClick(Quantity, Qt::LeftButton);
        QTest::keyClick(Quantity, Qt::Key_Escape);
        QCOMPARE(Quantity->text(), QString("120"));
        QVERIFY(!Quantity->hasError());
        QCOMPARE(status(), QString());
        QCOMPARE(find<QLabel>("total")->text(), QString("102.00"));
        QTest::mouseClick(find<QPushButton>("next"), Qt::LeftButton);
        QCOMPARE(find<QLabel>("name")->text(), QString("Notebook"));
        QCOMPARE(column("qty").first(), QVariant(120.0));
    }

    void closingWithARefusedChangeAsks() {
        auto* Quantity = find<QuorixDBParserEdit>("qty");
        retype(Quantity, "-1");
        QTest::keyClick(Quantity, Qt::Key_Return);
        answer({QMessageBox::Cancel});
        QVERIFY(!Window->close());
        QCOMPARE(column("qty").first(), QVariant(120.0));
        answer({QMessageBox::Save, QMessageBox::Discard});  // refused again: asked again
        QVERIFY(Window->close());
        QCOMPARE(column("qty").first(), QVariant(120.0));
    }

    void committedValuesAreSavedAndShown() {
        auto* Quantity = find<QuorixDBParserEdit>("qty");
        retype(Quantity, "2*7");
        QTest::keyClick(Quantity, Qt::Key_Return);
        QCOMPARE(status(), QString("= 14"));
        QCOMPARE(column("qty").first(), QVariant(14.0));
        auto* Price = find<QuorixDBParserEdit>("price");
        retype(Price, "1e300");
        QTest::keyClick(Price, Qt::Key_Return);
        retype(Quantity, "1e300");
        QTest::keyClick(Quantity, Qt::Key_Return);
        QVERIFY(!find<QLabel>("total")->text().contains("INF"));
    }

    // The button that disables itself hands the focus to the next enabled one.
    void aDisabledButtonPassesTheFocusOn() {
        auto* Next = find<QPushButton>("next");
        Next->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 4; ++i) QTest::keyClick(Next, Qt::Key_Space);
        QCOMPARE(find<QLabel>("name")->text(), QString("Desk lamp"));
        QCOMPARE(QApplication::focusWidget(), find<QPushButton>("first"));
        QTest::mouseClick(find<QPushButton>("first"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), find<QPushButton>("next"));
        QTest::mouseClick(find<QPushButton>("last"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), find<QPushButton>("first"));
        QTest::keyClicks(QApplication::focusWidget(), "9");
        QCOMPARE(find<QuorixParserEdit>("amount")->value(), QVariant(1250.0));
    }

    void pastedDisplayTextIsANumber() {
        auto* Amount = find<QuorixParserEdit>("amount");
        QApplication::clipboard()->setText("1,234,567.89");
        Amount->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Amount, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(Amount, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(Amount, Qt::Key_Return);
        QVERIFY2(!Amount->hasError(), qPrintable(status()));
        QCOMPARE(Amount->value(), QVariant(1234567.89));
        auto* Rate = find<QuorixParserEdit>("rate");  // its pattern groups no digits
        Rate->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Rate, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(Rate, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(Rate, Qt::Key_Return);
        QVERIFY(Rate->hasError());
    }

    void refusedWriteAndParserErrorsReachTheStatusLine() {
        auto* Amount = find<QuorixParserEdit>("amount");
        Amount->setFocus(Qt::TabFocusReason);
        QCOMPARE(Amount->text(), QString("1250"));
        QTest::keyClicks(Amount, "1+Foo");
        QTest::keyClick(Amount, Qt::Key_Return);
        QVERIFY(Amount->hasError());
        QCOMPARE(Window->statusBar()->currentMessage(), QString("Unknown name at character 3"));
        QTest::keyClick(Amount, Qt::Key_Escape);
        QCOMPARE(status(), QString());

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
