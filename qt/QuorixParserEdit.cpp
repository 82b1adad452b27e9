#include "qt/QuorixParserEdit.hpp"

#include <cmath>
#include <exception>
#include <limits>

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QClipboard>
#include <QDataWidgetMapper>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QRegularExpression>

#include "edits/ParserEdit.hpp"
#include "framework/base/Conversions.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/controls/Controls.hpp"
#include "qt/ErrorText.hpp"
#include "qt/FormErrors.hpp"
#include "qt/InputMapping.hpp"

using quorix::qt::CodePointsBefore;
using quorix::qt::ErrorTextAt;
using quorix::qt::UnitsBefore;

namespace {

// Empty text and null read as no value, like anything that is not a number.
std::optional<double> NumberOf(const QVariant& Value) {
    if (!Value.isValid() || Value.isNull()) return std::nullopt;
    bool bOk = false;
    const double rNumber = Value.metaType().id() == QMetaType::QString
                               ? Value.toString().trimmed().toDouble(&bOk)
                               : Value.toDouble(&bOk);
    if (!bOk) return std::nullopt;
    return rNumber;
}

// Focus that goes to a menu or another window comes back to the same field: the
// control is not left (as a framework form stays put while its window is inactive).
bool LeavesForm(Qt::FocusReason Reason) {
    return Reason != Qt::PopupFocusReason && Reason != Qt::ActiveWindowFocusReason;
}

// An Extended that a double cannot hold would reach Qt as an infinity.
bool BeyondDouble(rtl::Extended rValue) {
    return std::isfinite(rValue) ? std::fabs(rValue) > std::numeric_limits<double>::max()
                                 : std::isinf(rValue);
}

// A commit whose value the widget cannot hand on; the widget shows it itself.
class ETooLarge : public rtl::EOverflow {
public:
    using rtl::EOverflow::EOverflow;
};

}  // namespace

QuorixParserEdit::QuorixParserEdit(QWidget* parent)
    : QuorixParserEdit(&MakeControl<quorix::TParserEdit>, true, parent) {}

QuorixParserEdit::QuorixParserEdit(TMakeControl Make, bool bNullable, QWidget* parent)
    : QLineEdit(parent),
      FForm(std::make_unique<rtl::TForm>(nullptr)),
      FAccess(Make(*FForm, *this)),
      FNullable(bNullable) {
    connect(this, &QLineEdit::textChanged, this, &QuorixParserEdit::takeText);
    showControl();
}

// The form frees the control; a commit the teardown might start has no widget to show in.
QuorixParserEdit::~QuorixParserEdit() {
    FShowing = true;
    FForm.reset();
}

QVariant QuorixParserEdit::value() const {
    const rtl::Extended rValue = control().Value();
    if (FNull || std::isnan(rValue) || BeyondDouble(rValue)) return {};
    return QVariant(static_cast<double>(rValue));
}

void QuorixParserEdit::setValue(const QVariant& Value) {
    const std::optional<double> Number = NumberOf(Value);
    // A model that re-reads the record after another field's write hands back the value
    // this one holds: the text the user is to correct stays.
    if (hasRejectedText() && Number && static_cast<double>(control().Value()) == *Number) return;
    apply([&] {
        setError(std::nullopt);
        if (!Number && FNullable) {
            FNull = true;
            control().SetText(std::string());
        } else if (!FNull && Number && static_cast<double>(control().Value()) == *Number) {
            // The value it holds (say, read back from the model it was written to):
            // shown again without a round trip through its plain conversion.
            FAccess->ShowValue();
        } else {
            FNull = false;
            control().SetValue(Number.value_or(0));
        }
    });
}

QString QuorixParserEdit::editFormat() const { return QString::fromStdString(control().EditFormat()); }

void QuorixParserEdit::setEditFormat(const QString& sFormat) {
    apply([&] { control().SetEditFormat(sFormat.toStdString()); });
    keepNullEmpty();
}

QString QuorixParserEdit::displayFormat() const { return QString::fromStdString(control().DisplayFormat()); }

void QuorixParserEdit::setDisplayFormat(const QString& sFormat) {
    apply([&] { control().SetDisplayFormat(sFormat.toStdString()); });
    keepNullEmpty();
}

// The control re-renders its Value on entry, on Escape and on a new pattern; without a
// value the widget stays empty instead.
void QuorixParserEdit::keepNullEmpty() {
    if (FNull) apply([&] { control().SetText(std::string()); });
}

quorix::TQuorix* QuorixParserEdit::parser() const { return control().Parser(); }

void QuorixParserEdit::setParser(quorix::TQuorix* Parser) { control().SetParser(Parser); }

void QuorixParserEdit::bindToMapper(QDataWidgetMapper& Mapper, int iSection) {
    Mapper.setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    Mapper.addMapping(this, iSection, "value");
    connect(this, &QuorixParserEdit::committed, &Mapper,
            [this, &Mapper, iSection] { submitTo(Mapper, iSection); });
}

// Only this field is written. A submit of the whole record writes the fields one by
// one, and a model that re-reads the record after each write (QSqlTableModel on field
// change) would put the old values back into the fields not yet written.
void QuorixParserEdit::submitTo(QDataWidgetMapper& Mapper, int iSection) {
    QAbstractItemModel* Model = Mapper.model();
    if (!Model || Mapper.currentIndex() < 0) return;
    const QModelIndex Index = Mapper.orientation() == Qt::Horizontal
                                  ? Model->index(Mapper.currentIndex(), iSection, Mapper.rootIndex())
                                  : Model->index(iSection, Mapper.currentIndex(), Mapper.rootIndex());
    Mapper.itemDelegate()->setModelData(this, Model, Index);
    if (!Model->submit()) setError(TError{.sMessage = tr("The value could not be saved")});
}

// ---- Input

void QuorixParserEdit::keyPressEvent(QKeyEvent* Event) {
    rtl::TForm& Form = *FForm;
    if (const auto Key = quorix::qt::ControlKey(*Event)) {
        deliver([&] { Form.PressKey(Key->Key, Key->Shift); });
        if (Key->Key == rtl::VK_ESCAPE) {
            // The text that was rejected is gone, and with it the error.
            setError(std::nullopt);
            keepNullEmpty();
        }
    } else if (Event->matches(QKeySequence::SelectAll)) {
        deliver([&] { Form.PressKey('A', rtl::ssCtrl); });
    } else if (Event->matches(QKeySequence::Copy)) {
        copy();
    } else if (Event->matches(QKeySequence::Cut)) {
        copy();
        if (hasSelectedText()) deliver([&] { Form.PressKey(rtl::VK_DELETE); });
    } else if (Event->matches(QKeySequence::Paste)) {
        const QString sPasted = withoutGrouping(QApplication::clipboard()->text());
        deliver([&] { Form.TypeText(sPasted.toStdString()); });
    } else if (quorix::qt::IsTypedText(Event->text())) {
        const std::string sTyped = Event->text().toStdString();
        deliver([&] { Form.TypeText(sTyped); });
    } else {
        Event->ignore();  // not an editing key: the parent may want it
        return;
    }
    Event->accept();
}

void QuorixParserEdit::inputMethodEvent(QInputMethodEvent* Event) {
    const std::string sCommitted = Event->commitString().toStdString();
    if (!sCommitted.empty()) deliver([&] { FForm->TypeText(sCommitted); });
    Event->accept();
}

// Entering renders the value for editing and selects it; a rejected text is the user's
// to correct, so it comes back as typed, selected likewise.
void QuorixParserEdit::focusInEvent(QFocusEvent* Event) {
    QLineEdit::focusInEvent(Event);
    const std::string sRejected = hasRejectedText() ? control().Text() : std::string();
    deliver([&] { FForm->SetActiveControl(&control()); });
    if (!sRejected.empty() && control().Text() != sRejected) {
        rtl::TForm& Form = *FForm;
        deliver([&] {
            Form.PressKey('A', rtl::ssCtrl);
            Form.TypeText(sRejected);
            Form.PressKey('A', rtl::ssCtrl);
        });
    }
    keepNullEmpty();
}

void QuorixParserEdit::focusOutEvent(QFocusEvent* Event) {
    QLineEdit::focusOutEvent(Event);
    if (LeavesForm(Event->reason())) deliver([&] { FForm->SetActiveControl(nullptr); });
    else showControl();
}

void QuorixParserEdit::mousePressEvent(QMouseEvent* Event) {
    QLineEdit::mousePressEvent(Event);
    takeSelection();
}

void QuorixParserEdit::mouseMoveEvent(QMouseEvent* Event) {
    QLineEdit::mouseMoveEvent(Event);
    takeSelection();
}

void QuorixParserEdit::mouseReleaseEvent(QMouseEvent* Event) {
    QLineEdit::mouseReleaseEvent(Event);
    takeSelection();
}

void QuorixParserEdit::mouseDoubleClickEvent(QMouseEvent* Event) {
    QLineEdit::mouseDoubleClickEvent(Event);
    takeSelection();
}

void QuorixParserEdit::takeSelection() {
    if (FShowing) return;
    const QString sText = text();
    rtl::TCustomEdit& Control = control();
    if (!hasSelectedText()) {
        Control.SetSelStart(CodePointsBefore(sText, cursorPosition()));
        return;
    }
    const int iStart = CodePointsBefore(sText, selectionStart());
    const int iEnd = CodePointsBefore(sText, selectionEnd());
    // The caret stays where the mouse left it, at either end.
    if (cursorPosition() == selectionStart()) {
        Control.SetSelStart(iEnd);
        Control.SetSelLength(iStart - iEnd);
    } else {
        Control.SetSelStart(iStart);
        Control.SetSelLength(iEnd - iStart);
    }
}

// Text that reached the QLineEdit past the control (QLineEdit::setText from code, a
// context-menu paste, a drop) replaces the control's text.
void QuorixParserEdit::takeText(const QString& sText) {
    if (FShowing) return;
    const std::string sNew = withoutGrouping(sText).toStdString();
    apply([&] { control().SetText(sNew); });
}

void QuorixParserEdit::mirrorWidgetState() {
    rtl::TCustomEdit& Control = control();
    Control.SetReadOnly(isReadOnly());
    // QLineEdit's default maximum (32767) is its own limit, not a user's choice.
    Control.SetMaxLength(maxLength() == 32767 ? 0 : maxLength());
}

void QuorixParserEdit::deliver(const std::function<void()>& Input) {
    mirrorWidgetState();
    ++FInputDepth;
    apply(Input);
    --FInputDepth;
    if (FInputDepth == 0 && FCommitted) {
        FCommitted = false;
        emit committed();
    }
}

void QuorixParserEdit::apply(const std::function<void()>& Change) {
    try {
        Change();
    } catch (const ETooLarge&) {
        FCommitted = false;  // the error state is set already
    } catch (const std::exception& Failure) {
        FCommitted = false;  // a commit whose write failed is no commit to announce
        if (!failsForAnotherField()) setError(TError{.sMessage = QString::fromUtf8(Failure.what())});
    }
    showControl();
}

// ---- What the control reports

// The parser's handler stays in place for other users of the parser; for the length of
// this commit it is wrapped, so that the rejection is seen here and still reaches it.
bool QuorixParserEdit::BeforeSave() {
    if (FNull && control().Text().empty()) return false;  // an empty field stays empty
    FSaveError.reset();
    FSaveValue = control().Value();
    FSaveText = control().Text();
    FSaveParser = control().Parser();
    if (FSaveParser) {
        FChainedOnError = FSaveParser->OnError();
        FSaveParser->SetOnError([this](int iPos, int iErrCode) {
            if (!FSaveError)
                FSaveError = TError{ErrorTextAt(iErrCode, iPos), iPos, TErrorKind::RejectedText, FSaveText,
                                    FSaveValue};
            if (FChainedOnError) FChainedOnError(iPos, iErrCode);
        });
    }
    return true;
}

void QuorixParserEdit::AfterSave(bool bCompleted) {
    quorix::TQuorix* Parser = std::exchange(FSaveParser, nullptr);
    if (!Parser) return;  // nothing was evaluated
    Parser->SetOnError(std::move(FChainedOnError));
    FChainedOnError = nullptr;
    if (!bCompleted || FShowing) return;
    if (FSaveError) {
        setError(std::exchange(FSaveError, std::nullopt));
    } else if (BeyondDouble(control().Value())) {
        rejectTooLarge();
    } else if (reloadsRejectedValue()) {
        control().SetText(FError->sText);
    } else {
        FNull = false;
        setError(std::nullopt);
        if (FInputDepth > 0) FCommitted = true;
    }
    showControl();
}

// Raising stops what asked for the commit: a record update, a move, a post.
// Setting the value commits again, and with it the commit's state.
void QuorixParserEdit::rejectTooLarge() {
    const std::string sTyped = std::exchange(FSaveText, std::string());
    const QString sMessage =
        tr("The value of '%1' is too large for this field").arg(QString::fromStdString(sTyped));
    control().SetValue(FSaveValue);
    control().SetText(sTyped);
    setError(TError{sMessage, -1, TErrorKind::RejectedText, sTyped, FSaveValue});
    showControl();
    throw ETooLarge(sMessage.toStdString());
}

// Writing this field updates the record, which first commits the text typed into the
// other fields: a rejected one among them fails the write, and shows why itself.
bool QuorixParserEdit::failsForAnotherField() const {
    const QuorixParserEdit* Rejected =
        parentWidget() ? quorix::qt::RejectedTextEdit(*parentWidget()) : nullptr;
    return Rejected && Rejected != this;
}

// A data-change delivery of the value a rejected text left in place (another field of
// the record was written, say) is no answer to the text: it stays, and so does its error.
bool QuorixParserEdit::reloadsRejectedValue() const {
    return hasRejectedText() && FInputDepth == 0 && control().Value() == FError->rValue;
}

// A plain number pasted as this widget displays it, with the thousands separators of
// its display pattern, is taken without them; any other text is taken as it is.
QString QuorixParserEdit::withoutGrouping(const QString& sText) const {
    const QChar Group = QChar::fromLatin1(rtl::FormatSettings.ThousandSeparator);
    if (!displayFormat().contains(',')) return sText;
    const QString sDecimal =
        QRegularExpression::escape(QChar::fromLatin1(rtl::FormatSettings.DecimalSeparator));
    const QString sGroup = QRegularExpression::escape(Group);
    const QRegularExpression Grouped("^\\s*[-+]?\\d{1,3}(" + sGroup + "\\d{3})+(" + sDecimal + "\\d*)?\\s*$");
    if (!Grouped.match(sText).hasMatch()) return sText;
    return QString(sText).remove(Group).trimmed();
}

void QuorixParserEdit::TextChanged() {
    if (!FShowing) showControl();
}

// ---- Showing

void QuorixParserEdit::showControl() {
    if (FShowing) return;
    FShowing = true;
    const rtl::TCustomEdit& Control = control();
    const QString sText = QString::fromStdString(Control.Text());
    if (text() != sText) setText(sText);
    const int iStart = UnitsBefore(sText, Control.SelStart());
    const int iEnd = UnitsBefore(sText, Control.SelStart() + Control.SelLength());
    if (iEnd > iStart && (Control.Focused() || !Control.HideSelection())) setSelection(iStart, iEnd - iStart);
    else setCursorPosition(iStart);
    FShowing = false;

    const QVariant Value = value();
    if (Value != FShownValue) {
        FShownValue = Value;
        emit valueChanged(Value);
    }
}

void QuorixParserEdit::setError(std::optional<TError> Error) {
    const bool bWasShown = FError.has_value();
    FError = std::move(Error);
    if (!FError) {
        if (!bWasShown) return;
        setPalette(FPlainPalette);
        setToolTip(FPlainToolTip);
    } else {
        if (!bWasShown) {
            FPlainPalette = palette();
            FPlainToolTip = toolTip();
        }
        QPalette Red = FPlainPalette;
        Red.setColor(QPalette::Text, Qt::red);
        setPalette(Red);
        setToolTip(FError->sMessage);
    }
    emit errorChanged();
}
