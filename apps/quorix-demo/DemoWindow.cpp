#include "DemoWindow.hpp"

#include <exception>

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "builtins/AttachFunctions.hpp"
#include "framework/Conversions.hpp"
#include "qt/ErrorText.hpp"
#include "qt/QuorixDBParserEdit.hpp"

namespace quorix_demo {

DemoWindow::DemoWindow(const QString& sDatabase, QWidget* parent)
    : QMainWindow(parent),
      FComponents(std::make_unique<rtl::TComponent>(nullptr)),
      FParser(new quorix::TExtParser(FComponents.get())),
      FItems(new rtl::TDataSet(FComponents.get())),
      FSource(new rtl::TDataSource(FComponents.get())) {
    setWindowTitle(tr("Quorix demo"));
    // The application's own handler: the widgets chain to it while they commit.
    FParser->SetOnError([this](int iPos, int iErrCode) {
        statusBar()->showMessage(quorix::qt::ErrorTextAt(iErrCode, iPos));
    });
    quorix::AttachEverydayFunctions(*FParser);

    FItems->SetDatabaseName(sDatabase.toStdString());
    FItems->SetTableName("items");
    FSource->SetDataSet(FItems);
    FItems->Open();
    FNameLink.SetOnDataChange([this](rtl::TDataLink*) { showRecord(); });
    FNameLink.SetFieldName("name");
    FNameLink.SetDataSource(FSource);

    auto* Central = new QWidget;
    auto* Layout = new QVBoxLayout(Central);
    Layout->addWidget(makeCalculator());
    Layout->addWidget(makePriceList());
    Layout->addStretch();
    setCentralWidget(Central);
    statusBar()->showMessage(tr("Type an expression and press Enter, or leave the field"));
    showRecord();
}

QStringList DemoWindow::expressionHints() {
    return {"2*Sin(Pi/4)^2", "Sum(1;2;3)", "Round(1250*1.045^3)", "Sqrt(2)"};
}

// The widgets go first: they refer to the parser and the data source.
DemoWindow::~DemoWindow() { delete takeCentralWidget(); }

// Leaving the focused field commits and writes it, as moving to another one would;
// then the record is posted. A write the database refuses keeps the window open.
void DemoWindow::closeEvent(QCloseEvent* Event) {
    if (QWidget* Focused = focusWidget()) Focused->clearFocus();
    try {
        FItems->Close();
    } catch (const std::exception& Failure) {
        statusBar()->showMessage(QString::fromUtf8(Failure.what()));
        Event->ignore();
        return;
    }
    Event->accept();
}

QWidget* DemoWindow::makeCalculator() {
    struct TField {
        const char* sName;
        const char* sLabel;
        const char* sEditFormat;
        const char* sDisplayFormat;
        double rValue;
    };
    const TField Fields[] = {
        {"amount", "Amount", "0.##", "#,##0.00", 1250},
        {"rate", "Interest rate (%)", "0.####", "0.00", 4.5},
        {"light", "Speed of light (m/s)", "", "0.000E+00", 299792458},
    };
    auto* Box = new QGroupBox(tr("Calculator: fields sharing one parser"));
    auto* Layout = new QFormLayout(Box);
    for (const TField& Field : Fields) {
        auto* Edit = new QuorixParserEdit;
        Edit->setObjectName(Field.sName);
        Edit->setParser(FParser);
        Edit->setEditFormat(Field.sEditFormat);
        Edit->setDisplayFormat(Field.sDisplayFormat);
        Edit->setValue(Field.rValue);
        watchErrors(Edit);
        Layout->addRow(tr(Field.sLabel), Edit);
    }
    const QStringList Hints = expressionHints();
    Layout->addRow(new QLabel(tr("Try %1 or %2").arg(Hints.mid(0, Hints.size() - 1).join(", "), Hints.last())));
    return Box;
}

QWidget* DemoWindow::makePriceList() {
    auto* Box = new QGroupBox(tr("Price list: fields bound to the SQLite table"));
    auto* Layout = new QFormLayout(Box);
    FName = new QLabel;
    FName->setObjectName("name");
    FPrice = new QuorixDBParserEdit;
    FPrice->setObjectName("price");
    FQuantity = new QuorixDBParserEdit;
    FQuantity->setObjectName("qty");
    FTotal = new QLabel;
    FTotal->setObjectName("total");
    const struct {
        QuorixDBParserEdit* Edit;
        const char* sField;
        const char* sEditFormat;
        const char* sDisplayFormat;
    } Bound[] = {{FPrice, "price", "0.00", "#,##0.00"}, {FQuantity, "qty", "0.###", "#,##0.###"}};
    for (const auto& Field : Bound) {
        Field.Edit->setParser(FParser);
        Field.Edit->setEditFormat(Field.sEditFormat);
        Field.Edit->setDisplayFormat(Field.sDisplayFormat);
        Field.Edit->setDataField(Field.sField);
        Field.Edit->setDataSource(FSource);
        watchErrors(Field.Edit);
        connect(Field.Edit, &QuorixParserEdit::valueChanged, this, &DemoWindow::showRecord);
    }
    Layout->addRow(tr("Item"), FName);
    Layout->addRow(tr("Price"), FPrice);
    Layout->addRow(tr("Quantity"), FQuantity);
    Layout->addRow(tr("Total"), FTotal);

    auto* Navigation = new QHBoxLayout;
    FFirst = new QPushButton(tr("|< First"));
    FFirst->setObjectName("first");
    FPrior = new QPushButton(tr("< Prior"));
    FPrior->setObjectName("prior");
    FPosition = new QLabel;
    FPosition->setAlignment(Qt::AlignCenter);
    FNext = new QPushButton(tr("Next >"));
    FNext->setObjectName("next");
    FLast = new QPushButton(tr("Last >|"));
    FLast->setObjectName("last");
    connect(FFirst, &QPushButton::clicked, this, [this] { navigate(&rtl::TDataSet::First); });
    connect(FPrior, &QPushButton::clicked, this, [this] { navigate(&rtl::TDataSet::Prior); });
    connect(FNext, &QPushButton::clicked, this, [this] { navigate(&rtl::TDataSet::Next); });
    connect(FLast, &QPushButton::clicked, this, [this] { navigate(&rtl::TDataSet::Last); });
    Navigation->addWidget(FFirst);
    Navigation->addWidget(FPrior);
    Navigation->addWidget(FPosition, 1);
    Navigation->addWidget(FNext);
    Navigation->addWidget(FLast);
    Layout->addRow(Navigation);
    return Box;
}

// Moving posts the record; a write the database refuses stays pending and is reported.
void DemoWindow::navigate(void (rtl::TDataSet::*Move)()) {
    try {
        (FItems->*Move)();
        statusBar()->clearMessage();
    } catch (const std::exception& Failure) {
        statusBar()->showMessage(QString::fromUtf8(Failure.what()));
    }
    showRecord();
}

void DemoWindow::showRecord() {
    if (!FPosition) return;  // still being built
    const rtl::TField* Name = FNameLink.Field();
    FName->setText(Name ? QString::fromStdString(std::get<std::string>(Name->Value())) : QString());
    const QVariant Price = FPrice->value();
    const QVariant Quantity = FQuantity->value();
    FTotal->setText(QString::fromStdString(rtl::FormatFloat("#,##0.00", Price.toDouble() * Quantity.toDouble())));
    FPosition->setText(tr("Record %1 of %2").arg(FItems->RecNo()).arg(FItems->RecordCount()));
    FFirst->setEnabled(FItems->RecNo() > 1);
    FPrior->setEnabled(FItems->RecNo() > 1);
    FNext->setEnabled(FItems->RecNo() < FItems->RecordCount());
    FLast->setEnabled(FItems->RecNo() < FItems->RecordCount());
}

// Failures that are no parser error (a refused write, an overflow) have no position.
void DemoWindow::watchErrors(QuorixParserEdit* Edit) {
    connect(Edit, &QuorixParserEdit::errorChanged, this, [this, Edit] {
        if (Edit->hasError() && Edit->errorPosition() < 0) statusBar()->showMessage(Edit->errorMessage());
    });
    connect(Edit, &QuorixParserEdit::committed, this, [this, Edit] {
        statusBar()->showMessage(tr("= %1").arg(Edit->value().toDouble(), 0, 'g', 15));
    });
}

}  // namespace quorix_demo
