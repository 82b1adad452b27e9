#include "DemoWindow.hpp"

#include <exception>

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "builtins/AttachFunctions.hpp"
#include "framework/base/Conversions.hpp"
#include "qt/ErrorText.hpp"
#include "qt/FormErrors.hpp"
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
// then the record is posted. A rejected typed text keeps the window open; a change the
// database refuses is saved again, discarded, or keeps the window open, as the user says.
void DemoWindow::closeEvent(QCloseEvent* Event) {
    if (QWidget* Focused = focusWidget()) Focused->clearFocus();
    if (keepsRejectedText() || !closeDataSet()) Event->ignore();
    else Event->accept();
}

bool DemoWindow::closeDataSet() {
    for (bool bDiscard = false;;) {
        QString sFailure;
        try {
            if (bDiscard) FItems->Cancel();
            FItems->Close();
            return true;
        } catch (const std::exception& Failure) {
            sFailure = showFailure(Failure);
        }
        QMessageBox Ask(QMessageBox::Warning, windowTitle(),
                        tr("The record's change cannot be saved:\n%1").arg(sFailure),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        Ask.button(QMessageBox::Save)->setText(tr("Save again"));
        Ask.setDefaultButton(QMessageBox::Cancel);
        const int iChoice = Ask.exec();
        if (iChoice == QMessageBox::Cancel) return false;
        bDiscard = iChoice == QMessageBox::Discard;
    }
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
    Layout->addRow(
        new QLabel(tr("Try %1 or %2").arg(Hints.mid(0, Hints.size() - 1).join(", "), Hints.last())));
    return Box;
}

QWidget* DemoWindow::makePriceList() {
    auto* Box = new QGroupBox(tr("Price list: fields bound to the SQLite table"));
    FPriceList = Box;
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
        connect(Field.Edit, &QuorixParserEdit::committed, this, [this, Edit = Field.Edit] {
            if (saveRecord()) showCommit(Edit);
        });
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
    if (keepsRejectedText()) return;
    try {
        (FItems->*Move)();
        statusBar()->clearMessage();
    } catch (const std::exception& Failure) {
        showFailure(Failure);
    }
    showRecord();
}

bool DemoWindow::saveRecord() {
    if (keepsRejectedText()) return false;
    try {
        FItems->Post();
        return true;
    } catch (const std::exception& Failure) {
        showFailure(Failure);
        return false;
    }
}

// A field holding typed text that was rejected keeps the record where it is.
bool DemoWindow::keepsRejectedText() {
    QuorixParserEdit* Edit = quorix::qt::RejectedTextEdit(*FPriceList);
    if (Edit) statusBar()->showMessage(Edit->errorMessage());
    return Edit;
}

// At the field the failure names, which then shows it on the status line; else there.
// Returns the message as shown.
QString DemoWindow::showFailure(const std::exception& Failure) {
    const QString sMessage = QString::fromUtf8(Failure.what());
    if (const QuorixParserEdit* Edit = quorix::qt::ShowRefusal(*FPriceList, sMessage))
        return Edit->errorMessage();
    statusBar()->showMessage(sMessage);
    return sMessage;
}

void DemoWindow::showRecord() {
    if (!FPosition) return;  // still being built
    const rtl::TField* Name = FNameLink.Field();
    FName->setText(Name ? QString::fromStdString(std::get<std::string>(Name->Value())) : QString());
    // In Extended: two prices a double holds may have a product it does not.
    const rtl::Extended rTotal =
        static_cast<rtl::Extended>(FPrice->value().toDouble()) * FQuantity->value().toDouble();
    FTotal->setText(QString::fromStdString(rtl::FormatFloat("#,##0.00", rTotal)));
    FPosition->setText(tr("Record %1 of %2").arg(FItems->RecNo()).arg(FItems->RecordCount()));
    enableNavigation();
}

// A focused button that becomes disabled hands the focus on first: to the next enabled
// button, else to the record's first field. Qt's own choice would be the next widget in
// the tab chain, a calculator field with its text selected.
void DemoWindow::enableNavigation() {
    const bool bFromStart = FItems->RecNo() > 1;
    const bool bToEnd = FItems->RecNo() < FItems->RecordCount();
    QPushButton* const Buttons[] = {FFirst, FPrior, FNext, FLast};
    const bool Enabled[] = {bFromStart, bFromStart, bToEnd, bToEnd};
    const int iCount = 4;
    int iFocused = -1;
    for (int i = 0; i < iCount; ++i) {
        if (Buttons[i]->hasFocus() && !Enabled[i]) iFocused = i;
        else Buttons[i]->setEnabled(Enabled[i]);
    }
    if (iFocused < 0) return;
    QWidget* Next = FPrice;
    for (int i = 1; i < iCount; ++i) {
        const int iButton = (iFocused + i) % iCount;
        if (Enabled[iButton]) {
            Next = Buttons[iButton];
            break;
        }
    }
    Next->setFocus(Qt::OtherFocusReason);
    Buttons[iFocused]->setEnabled(false);
}

// Failures that are no parser error (a refused write, an overflow) have no position;
// the parser's own handler reports the others. An error gone clears what it showed.
void DemoWindow::watchErrors(QuorixParserEdit* Edit) {
    connect(Edit, &QuorixParserEdit::errorChanged, this, [this, Edit] {
        if (Edit->hasError()) {
            if (Edit->errorPosition() < 0) statusBar()->showMessage(Edit->errorMessage());
            FErrorShownBy = Edit;
        } else if (FErrorShownBy == Edit) {
            statusBar()->clearMessage();
            FErrorShownBy = nullptr;
        }
    });
    if (!qobject_cast<QuorixDBParserEdit*>(Edit))  // a bound field's commit is shown once saved
        connect(Edit, &QuorixParserEdit::committed, this, [this, Edit] { showCommit(Edit); });
}

void DemoWindow::showCommit(QuorixParserEdit* Edit) {
    statusBar()->showMessage(tr("= %1").arg(Edit->value().toDouble(), 0, 'g', 15));
    FErrorShownBy = nullptr;
}

}  // namespace quorix_demo
