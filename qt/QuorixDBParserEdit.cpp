#include "qt/QuorixDBParserEdit.hpp"

#include "edits/DBParserEdit.hpp"

QuorixDBParserEdit::QuorixDBParserEdit(QWidget* parent)
    : QuorixParserEdit(&MakeControl<quorix::TDBParserEdit>, false, parent) {}

quorix::TCustomDBParserEdit& QuorixDBParserEdit::dbControl() const {
    return static_cast<quorix::TCustomDBParserEdit&>(control());
}

// Binding delivers the field's value at once; the control shows it through the listener.
void QuorixDBParserEdit::setDataSource(rtl::TDataSource* DataSource) { dbControl().SetDataSource(DataSource); }

void QuorixDBParserEdit::setDataField(const QString& sField) { dbControl().SetField(sField.toStdString()); }
