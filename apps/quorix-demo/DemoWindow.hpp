// The demo window: a calculator of three evaluating fields that share one parser with
// different patterns, and a price list whose price and quantity are evaluating fields
// bound to an SQLite table, with record navigation. The status line shows what the
// parser reports through its OnError handler, and failures of the data layer. Every
// commit of a bound field posts the record, so that a value the database refuses is
// reported at once, at its field.
#pragma once

#include <memory>

#include <QMainWindow>
#include <QStringList>

#include "builtins/ExtParser.hpp"
#include "framework/db/DBLinks.hpp"

class QLabel;
class QPushButton;
class QuorixParserEdit;
class QuorixDBParserEdit;

namespace quorix_demo {

class DemoWindow : public QMainWindow {
    Q_OBJECT

public:
    // Opens the price list in the SQLite file; raises what the data layer raises.
    explicit DemoWindow(const QString& sDatabase, QWidget* parent = nullptr);
    ~DemoWindow() override;

    // The expressions the calculator's hint suggests; each evaluates in its fields.
    static QStringList expressionHints();

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    QWidget* makeCalculator();
    QWidget* makePriceList();
    void navigate(void (rtl::TDataSet::*Move)());
    bool saveRecord();
    bool keepsRejectedText();
    QString showFailure(const std::exception& Failure);
    bool closeDataSet();
    void showRecord();
    void enableNavigation();
    void watchErrors(QuorixParserEdit* Edit);
    void showCommit(QuorixParserEdit* Edit);

    // Owns the parser and the data layer's components.
    std::unique_ptr<rtl::TComponent> FComponents;
    quorix::TExtParser* FParser;
    rtl::TDataSet* FItems;
    rtl::TDataSource* FSource;
    rtl::TFieldDataLink FNameLink;  // follows the record for the labels

    QWidget* FPriceList = nullptr;  // the record's fields and navigation
    QLabel* FName = nullptr;
    QLabel* FTotal = nullptr;
    QLabel* FPosition = nullptr;
    QuorixDBParserEdit* FPrice = nullptr;
    QuorixDBParserEdit* FQuantity = nullptr;
    QPushButton* FFirst = nullptr;
    QPushButton* FPrior = nullptr;
    QPushButton* FNext = nullptr;
    QPushButton* FLast = nullptr;
    QuorixParserEdit* FErrorShownBy = nullptr;  // whose error the status line shows
};

}  // namespace quorix_demo
