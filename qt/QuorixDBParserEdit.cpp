#include "qt/QuorixDBParserEdit.hpp"

#include <QKeyEvent>

#include "edits/DBParserEdit.hpp"

QuorixDBParserEdit::QuorixDBParserEdit(QWidget* parent)
    : QuorixParserEdit(&MakeControl<quorix::TDBParserEdit>, false, parent) {}

quorix::TCustomDBParserEdit& QuorixDBParserEdit::dbControl() const {
    return static_cast<quorix::TCustomDBParserEdit&>(control());
}

// Binding delivers the field's value at once; the control shows it through the listener.
void QuorixDBParserEdit::setDataSource(rtl::TDataSource* DataSource) {
    dbControl().SetDataSource(DataSource);
}

void QuorixDBParserEdit::setDataField(const QString& sField) { dbControl().SetField(sField.toStdString()); }

// A rejected text is what the data layer refused to save: its own error says why.
void QuorixDBParserEdit::showRefusal(const QString& sMessage) {
    if (!hasRejectedText()) setError(TError{.sMessage = sMessage, .Kind = TErrorKind::Refused});
}

// Escape reverts the text to Value, which is the refused value; going back to the stored
// one means giving up the record's pending change.
void QuorixDBParserEdit::keyPressEvent(QKeyEvent* Event) {
    const bool bCancel = isRefused() && Event->key() == Qt::Key_Escape;
    QuorixParserEdit::keyPressEvent(Event);
    if (!bCancel) return;
    if (rtl::TDataSet* DataSet = dataSource() ? dataSource()->DataSet() : nullptr)
        apply([DataSet] { DataSet->Cancel(); });
}
