// QuorixParserEdit: a QLineEdit that drives a headless TParserEdit. Keys, typed text
// and focus changes reach the control through its form's input entry points, and the
// control's text and selection show in the widget; what Enter, Escape and leaving do
// stays the control's. The widget adds what a Qt form needs: the value as its user
// property (null for an empty database field), a signal for every accepted commit
// the user made, and an error state that shows a rejected text in red with the
// parser's message as tool tip, while the parser's own OnError handler still runs.
// A result beyond a double's range is rejected like a text the parser refuses. A plain
// number pasted with the thousands separators of the display pattern is taken without
// them, so that a value copied from a field pastes back.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QLineEdit>
#include <QPalette>
#include <QVariant>

#include "edits/CustomParserEdit.hpp"
#include "qt/EditBridge.hpp"

class QDataWidgetMapper;

namespace rtl {
class TForm;
}

class QuorixParserEdit : public QLineEdit, private quorix::qt::TEditListener {
    Q_OBJECT
    Q_PROPERTY(QVariant value READ value WRITE setValue NOTIFY valueChanged USER true DESIGNABLE false)
    Q_PROPERTY(QString editFormat READ editFormat WRITE setEditFormat)
    Q_PROPERTY(QString displayFormat READ displayFormat WRITE setDisplayFormat)

public:
    explicit QuorixParserEdit(QWidget* parent = nullptr);
    ~QuorixParserEdit() override;

    // The last committed value as a double; null while the widget shows no value (an
    // empty database field, or one the data-aware control cannot read, or one beyond a
    // double's range): never an infinity.
    QVariant value() const;
    // A number (or text that reads as one) is committed as the control's Value; null,
    // empty text or anything else empties the widget, which then holds no value.
    void setValue(const QVariant& Value);

    QString editFormat() const;
    void setEditFormat(const QString& sFormat);
    QString displayFormat() const;
    void setDisplayFormat(const QString& sFormat);

    // Not owned; attach from code. Several widgets may share one parser.
    quorix::TQuorix* parser() const;
    void setParser(quorix::TQuorix* Parser);

    // The error state: the last commit was rejected, or raised.
    bool hasError() const { return FError.has_value(); }
    // The error state holds text the user typed and the commit rejected (the parser
    // refused it, or its value is beyond a double's range). Leaving the record would
    // lose it: see quorix::qt::RejectedTextEdit.
    bool hasRejectedText() const { return FError && FError->Kind == TErrorKind::RejectedText; }
    QString errorMessage() const { return FError ? FError->sMessage : QString(); }
    int errorPosition() const { return FError ? FError->iPos : -1; }  // 0-based; -1: none

    // Maps the widget to a section of the mapper's model and writes its value into the
    // model on every commit. The mapper is switched to manual submit: its own focus-out
    // submit would read the value before the control has committed the edit.
    void bindToMapper(QDataWidgetMapper& Mapper, int iSection);

    // The headless control; its state is what the widget shows.
    quorix::TCustomParserEdit& control() const { return FAccess->Control(); }

signals:
    void valueChanged(const QVariant& Value);
    // The user committed (Enter, leaving) and the parser accepted the text.
    void committed();
    void errorChanged();

protected:
    using TMakeControl = quorix::qt::TEditAccess* (*)(rtl::TForm& Form, quorix::qt::TEditListener& Listener);
    // bNullable: whether setValue may leave the widget without a value.
    QuorixParserEdit(TMakeControl MakeControl, bool bNullable, QWidget* parent);

    template <class TEdit>
    static quorix::qt::TEditAccess* MakeControl(rtl::TForm& Form, quorix::qt::TEditListener& Listener) {
        return new quorix::qt::TListenedEdit<TEdit>(&Form, Listener);
    }

    void keyPressEvent(QKeyEvent* Event) override;
    void inputMethodEvent(QInputMethodEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;

    // Runs Input as the user's, then shows the outcome. Failures raised on the way
    // become the error state: no exception may cross Qt's event loop.
    void deliver(const std::function<void()>& Input);
    // Runs a change from code, failures likewise shown.
    void apply(const std::function<void()>& Change);

    enum class TErrorKind {
        Failure,       // the commit raised (a write the data layer refused, say)
        RejectedText,  // the typed text stays, its value not taken
        Refused,       // the database refused the record's pending change
    };
    struct TError {
        QString sMessage;
        int iPos = -1;
        TErrorKind Kind = TErrorKind::Failure;
        std::string sText = {};    // RejectedText: the text
        rtl::Extended rValue = 0;  // RejectedText: the value it did not replace
    };
    void setError(std::optional<TError> Error);
    bool isRefused() const { return FError && FError->Kind == TErrorKind::Refused; }

private:
    bool BeforeSave() override;
    void AfterSave(bool bCompleted) override;
    void TextChanged() override;

    void showControl();                   // text, selection and value into the widget
    void takeSelection();                 // a selection made with the mouse into the control
    void takeText(const QString& sText);  // text Qt put in itself (setText, paste, drop)
    void submitTo(QDataWidgetMapper& Mapper, int iSection);
    void keepNullEmpty();
    void mirrorWidgetState();  // read-only and maximum length into the control
    void rejectTooLarge();     // raises, with the typed text and the value before it back
    bool reloadsRejectedValue() const;
    bool failsForAnotherField() const;
    QString withoutGrouping(const QString& sText) const;

    std::unique_ptr<rtl::TForm> FForm;  // a form of its own, holding the focus state
    quorix::qt::TEditAccess* FAccess;   // the control, owned by FForm
    bool FNullable;
    bool FNull = false;       // holds no value (an empty database field)
    int FInputDepth = 0;      // > 0 while the user's input is delivered
    bool FCommitted = false;  // an accepted user commit waits for its signal
    bool FShowing = false;    // the widget is being updated from the control
    QVariant FShownValue;     // the value last announced by valueChanged

    // While a commit runs: the parser it uses, the handler it chains to, its error.
    quorix::TQuorix* FSaveParser = nullptr;
    quorix::TOnErrorEvent FChainedOnError;
    std::optional<TError> FSaveError;
    rtl::Extended FSaveValue = 0;  // Value before the commit
    std::string FSaveText;         // the text it commits

    std::optional<TError> FError;
    QPalette FPlainPalette;
    QString FPlainToolTip;
};
