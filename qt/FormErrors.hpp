// What a form does with the failures of its evaluating fields: a record is not left
// while a field holds typed text that was rejected, and a write the database refuses
// is shown at the field whose column it names.
#pragma once

#include <QString>

class QWidget;
class QuorixParserEdit;
class QuorixDBParserEdit;

namespace quorix::qt {

// The first field under Form that holds a rejected typed text; null when none does.
// A form asks before it moves to another record, posts or closes, whether its fields
// are bound to the data layer or to a QDataWidgetMapper: the mapper would load the
// next record over the text.
QuorixParserEdit* RejectedTextEdit(const QWidget& Form);

// The field's label as the form gives it (a QLabel whose buddy it is, as QFormLayout
// makes), without its mnemonic and colon; empty when there is none.
QString FieldLabel(const QWidget& Field);

// Marks the bound field under Form whose column sMessage names as refused, the column
// in the message replaced by the field's label. Returns the field, or null when the
// message names none (then nothing is marked).
QuorixDBParserEdit* ShowRefusal(const QWidget& Form, const QString& sMessage);

}  // namespace quorix::qt
