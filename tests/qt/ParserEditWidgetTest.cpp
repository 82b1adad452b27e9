#include <memory>
#include <vector>

#include <QSignalSpy>

#include "QtTests.hpp"
#include "builtins/ExtParser.hpp"
#include "qt/QuorixParserEdit.hpp"

using quorix_qt_test::TWindow;

namespace {

struct TReported {
    int iPos;
    int iErrCode;
};

}  // namespace

// A widget with a parser that has an application handler of its own, typed into
// through Qt's events.
class ParserEditWidgetTest : public QObject {
    Q_OBJECT

    std::unique_ptr<quorix::TExtParser> Parser;
    std::unique_ptr<TWindow> Window;
    QuorixParserEdit* Edit = nullptr;
    std::vector<TReported> Reported;

    void typeAndPress(const QString& sText, Qt::Key Key = Qt::Key_Return,
                      Qt::KeyboardModifiers Modifiers = {}) {
        QWidget* Target = QApplication::focusWidget();
        QTest::keyClicks(Target, sText);
        QTest::keyClick(Target, Key, Modifiers);
    }
    bool allSelected() const { return Edit->selectedText() == Edit->text() && !Edit->text().isEmpty(); }

private slots:
    void init() {
        Parser = std::make_unique<quorix::TExtParser>(nullptr);
        Reported.clear();
        Parser->SetOnError([this](int iPos, int iErrCode) { Reported.push_back({iPos, iErrCode}); });
        Window = std::make_unique<TWindow>();
        Edit = Window->add(new QuorixParserEdit);
        Edit->setParser(Parser.get());
        Edit->setEditFormat("0.000");
        Edit->setDisplayFormat("#,##0.00");
        QVERIFY(Window->showActive());
        Window->focus(Edit);
    }
    void cleanup() {
        Window.reset();
        Parser.reset();
    }

    void enterWithAnyModifierCommits_data() {
        QTest::addColumn<int>("iKey");
        QTest::addColumn<int>("iModifiers");
        QTest::newRow("Return") << int(Qt::Key_Return) << 0;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        QTest::newRow("Shift+Return") << int(Qt::Key_Return) << int(Qt::ShiftModifier);
        QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier);
    }
    void enterWithAnyModifierCommits() {
        QFETCH(int, iKey);
        QFETCH(int, iModifiers);
        QSignalSpy Committed(Edit, &QuorixParserEdit::committed);
        QSignalSpy Changed(Edit, &QuorixParserEdit::valueChanged);
        typeAndPress("2*Sin(Pi/2)+1000", Qt::Key(iKey), Qt::KeyboardModifiers(iModifiers));
        QCOMPARE(Edit->value(), QVariant(1002.0));
        QCOMPARE(Edit->text(), QString("1002.000"));
        QVERIFY(allSelected());
        QCOMPARE(Committed.count(), 1);
        QCOMPARE(Changed.count(), 1);
        QCOMPARE(Changed.at(0).at(0), QVariant(1002.0));
        QVERIFY(Edit->hasFocus());
        QCOMPARE(QString::fromStdString(Edit->control().Text()), Edit->text());
    }

    void escapeDiscardsTyping() {
        typeAndPress("6");
        QSignalSpy Committed(Edit, &QuorixParserEdit::committed);
        QTest::keyClicks(Edit, "+1");
        QCOMPARE(Edit->text(), QString("+1"));  // the commit selected all, typing replaced it
        QTest::keyClick(Edit, Qt::Key_Escape);
        QCOMPARE(Edit->text(), QString("6.000"));
        QVERIFY(allSelected());
        QCOMPARE(Edit->value(), QVariant(6.0));
        QCOMPARE(Committed.count(), 0);
    }

    void leavingCommitsAndPatternsFollowTheFocus() {
        QSignalSpy Committed(Edit, &QuorixParserEdit::committed);
        QTest::keyClicks(Edit, "1234.5/2");
        Window->leave();
        QCOMPARE(Edit->value(), QVariant(617.25));
        QCOMPARE(Edit->text(), QString("617.25"));
        QCOMPARE(Committed.count(), 1);
        QTest::keyClicks(Edit, "0");  // not focused: the keys go nowhere near the control's text
        Window->focus(Edit);
        QCOMPARE(Edit->text(), QString("617.250"));
        QVERIFY(allSelected());
        Window->leave();
        QCOMPARE(Committed.count(), 2);  // leaving always commits
        QCOMPARE(Edit->text(), QString("617.25"));
        typeAndPress("1000");
    }

    void editingKeysWorkOnTheControlsText() {
        QTest::keyClicks(Edit, "12");
        QTest::keyClick(Edit, Qt::Key_Left);
        QTest::keyClicks(Edit, "3");
        QCOMPARE(Edit->text(), QString("132"));
        QCOMPARE(Edit->cursorPosition(), 2);
        QTest::keyClick(Edit, Qt::Key_Home);
        QTest::keyClick(Edit, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(Edit, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(Edit->selectedText(), QString("13"));
        QCOMPARE(Edit->control().SelLength(), 2);
        QTest::keyClick(Edit, Qt::Key_Delete);
        QCOMPARE(Edit->text(), QString("2"));
        QTest::keyClick(Edit, Qt::Key_End);
        QTest::keyClick(Edit, Qt::Key_Backspace);
        QCOMPARE(Edit->text(), QString());
        QTest::keyClicks(Edit, "x²");
        QTest::keyClick(Edit, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(Edit->selectedText(), QString("x²"));
        QCOMPARE(QString::fromStdString(Edit->control().Text()), QString("x²"));
    }

    void textSetThroughTheLineEditReachesTheControl() {
        Edit->setText("3*3");
        QCOMPARE(QString::fromStdString(Edit->control().Text()), QString("3*3"));
        QTest::keyClick(Edit, Qt::Key_Return);
        QCOMPARE(Edit->value(), QVariant(9.0));
        QCOMPARE(Edit->text(), QString("9.000"));
    }

    void rejectedTextShowsAnErrorAndTheHandlerStillRuns() {
        const QColor Plain = Edit->palette().color(QPalette::Text);
        Edit->setToolTip("price");
        typeAndPress("4");
        QSignalSpy Committed(Edit, &QuorixParserEdit::committed);
        typeAndPress("2*Nope(1)");
        QVERIFY(Edit->hasError());
        QCOMPARE(Edit->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(Edit->errorPosition(), 2);
        QVERIFY2(Edit->toolTip().contains("Unknown name at character 3"), qPrintable(Edit->toolTip()));
        QCOMPARE(Reported.size(), size_t(1));
        QCOMPARE(Reported[0].iPos, 2);
        QCOMPARE(Reported[0].iErrCode, int(quorix::qeUnknownName));
        QCOMPARE(Edit->value(), QVariant(4.0));
        QCOMPARE(Committed.count(), 0);
        Window->leave();
        QCOMPARE(Edit->text(), QString("2*Nope(1)"));  // the rejected text stays for the user to mend

        // The parser still reports to the application's handler, not to the widget.
        Parser->SetText("(1");
        QVERIFY(!Parser->Calc());
        QCOMPARE(Reported.size(), size_t(3));  // leaving evaluated the text again
        QCOMPARE(Edit->errorPosition(), 2);

        Window->focus(Edit);
        typeAndPress("5");
        QVERIFY(!Edit->hasError());
        QCOMPARE(Edit->palette().color(QPalette::Text), Plain);
        QCOMPARE(Edit->toolTip(), QString("price"));
        QCOMPARE(Committed.count(), 1);
    }

    void escapeClearsTheErrorWithTheRejectedText() {
        typeAndPress("(1");
        QVERIFY(Edit->hasError());
        QTest::keyClick(Edit, Qt::Key_Escape);
        QVERIFY(!Edit->hasError());
        QCOMPARE(Edit->text(), QString("0.000"));
    }

    void raisingEvaluationBecomesAnErrorNotACrash() {
        typeAndPress("3");
        QSignalSpy Committed(Edit, &QuorixParserEdit::committed);
        typeAndPress("ArcTanh(1)");
        QVERIFY(Edit->hasError());
        QCOMPARE(Edit->errorPosition(), -1);
        QVERIFY(!Edit->errorMessage().isEmpty());
        QCOMPARE(Edit->value(), QVariant(3.0));
        QCOMPARE(Committed.count(), 0);
        // The parser's handler is back in place after the interrupted commit.
        Parser->SetText("Nope");
        QVERIFY(!Parser->Calc());
        QCOMPARE(Reported.size(), size_t(1));
    }

    void nullShowsNothingAndCommitsNothing() {
        typeAndPress("8");
        QSignalSpy Committed(Edit, &QuorixParserEdit::committed);
        QSignalSpy Changed(Edit, &QuorixParserEdit::valueChanged);
        Edit->setValue(QVariant());
        QCOMPARE(Edit->text(), QString());
        QVERIFY(Edit->value().isNull());
        QCOMPARE(Changed.count(), 1);
        QTest::keyClick(Edit, Qt::Key_Escape);
        Window->leave();
        Window->focus(Edit);
        Window->leave();
        QCOMPARE(Edit->text(), QString());
        QVERIFY(Edit->value().isNull());
        QVERIFY(!Edit->hasError());
        QVERIFY(Reported.empty());
        QCOMPARE(Committed.count(), 0);

        Window->focus(Edit);
        typeAndPress("2^3");
        QCOMPARE(Edit->value(), QVariant(8.0));
        QCOMPARE(Committed.count(), 1);
    }

    void valueFromCodeIsCommittedButNotAnnounced_data() {
        QTest::addColumn<QVariant>("Assigned");
        QTest::addColumn<QString>("sShown");
        QTest::addColumn<QVariant>("Read");
        QTest::newRow("double") << QVariant(1234.5) << "1,234.50" << QVariant(1234.5);
        QTest::newRow("integer") << QVariant(7) << "7.00" << QVariant(7.0);
        QTest::newRow("text of a number") << QVariant(" 2.25 ") << "2.25" << QVariant(2.25);
        QTest::newRow("empty text") << QVariant("") << "" << QVariant();
        QTest::newRow("text that is no number") << QVariant("abc") << "" << QVariant();
    }
    void valueFromCodeIsCommittedButNotAnnounced() {
        QFETCH(QVariant, Assigned);
        QFETCH(QString, sShown);
        QFETCH(QVariant, Read);
        Window->leave();
        QSignalSpy Committed(Edit, &QuorixParserEdit::committed);
        Edit->setValue(Assigned);
        QCOMPARE(Edit->text(), sShown);
        QCOMPARE(Edit->value(), Read);
        QCOMPARE(Committed.count(), 0);
        QCOMPARE(Edit->property("value"), Read);  // the user property reads the same
    }

    void widgetsSharingAParserKeepTheirOwnPatterns() {
        auto* Second = Window->add(new QuorixParserEdit);
        Second->setParser(Parser.get());
        Second->setDisplayFormat("0.0000");
        typeAndPress("1/8");
        Window->focus(Second);
        typeAndPress("1/4");
        Window->leave();
        QCOMPARE(Edit->text(), QString("0.13"));
        QCOMPARE(Second->text(), QString("0.2500"));
        QCOMPARE(QString::fromStdString(Parser->Text()), QString("0.25"));  // the last commit's text
    }

    void parserGoingAwayEmptiesTheText() {
        typeAndPress("9");
        Parser.reset();
        QCOMPARE(Edit->text(), QString());
        QVERIFY(Edit->parser() == nullptr);
        QTest::keyClick(Edit, Qt::Key_Escape);
        QCOMPARE(Edit->text(), QString("9.000"));
    }
};

QUORIX_QT_TEST(ParserEditWidgetTest);

#include "ParserEditWidgetTest.moc"
