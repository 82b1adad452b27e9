#include "qt/FormErrors.hpp"

#include <QLabel>
#include <QRegularExpression>

#include "qt/QuorixDBParserEdit.hpp"

namespace quorix::qt {

QuorixParserEdit* RejectedTextEdit(const QWidget& Form) {
    for (QuorixParserEdit* Edit : Form.findChildren<QuorixParserEdit*>())
        if (Edit->hasRejectedText()) return Edit;
    return nullptr;
}

QString FieldLabel(const QWidget& Field) {
    const QWidget* Form = Field.window();
    for (const QLabel* Label : Form->findChildren<QLabel*>()) {
        if (Label->buddy() != &Field) continue;
        QString sLabel = Label->text();
        sLabel.remove(QRegularExpression("&(?!&)"));
        sLabel.replace("&&", "&");
        if (sLabel.endsWith(':')) sLabel.chop(1);
        return sLabel.trimmed();
    }
    return {};
}

// The column as a word of its own: "qty" in "qty >= 0", not in "qty2".
static QRegularExpression ColumnWord(const QString& sColumn) {
    return QRegularExpression("\\b" + QRegularExpression::escape(sColumn) + "\\b",
                              QRegularExpression::CaseInsensitiveOption);
}

QuorixDBParserEdit* ShowRefusal(const QWidget& Form, const QString& sMessage) {
    for (QuorixDBParserEdit* Edit : Form.findChildren<QuorixDBParserEdit*>()) {
        const QString sColumn = Edit->dataField();
        const QRegularExpression Column = ColumnWord(sColumn);
        if (sColumn.isEmpty() || !sMessage.contains(Column)) continue;
        const QString sLabel = FieldLabel(*Edit);
        Edit->showRefusal(sLabel.isEmpty() ? sMessage : QString(sMessage).replace(Column, sLabel));
        return Edit;
    }
    return nullptr;
}

}  // namespace quorix::qt
