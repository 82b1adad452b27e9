// QuorixDBParserEdit: QuorixParserEdit driving a TDBParserEdit, bound from code to a
// field of the framework's data layer. Leaving the widget writes a committed value
// that differs from the one loaded into the field, as the control does; a write the
// data layer refuses shows as the error state, and so does a refused post that a form
// attributes to the field (quorix::qt::ShowRefusal). A null field reads as 0, as the data
// layer converts it; a field that is no number shows empty, with a null value.
#pragma once

#include "edits/CustomDBParserEdit.hpp"
#include "qt/QuorixParserEdit.hpp"

class QuorixDBParserEdit : public QuorixParserEdit {
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)

public:
    explicit QuorixDBParserEdit(QWidget* parent = nullptr);

    // Not owned.
    rtl::TDataSource* dataSource() const { return dbControl().DataSource(); }
    void setDataSource(rtl::TDataSource* DataSource);
    QString dataField() const { return QString::fromStdString(dbControl().DataField()); }
    // Raises rtl::EDatabaseError when the open dataset has no such field.
    void setDataField(const QString& sField);

    quorix::TCustomDBParserEdit& dbControl() const;

    // The database refused the record's pending change because of this field: it shows
    // red with sMessage until a commit succeeds. Escape then restores the stored record,
    // cancelling its pending change. A field holding rejected text keeps that error.
    void showRefusal(const QString& sMessage);

protected:
    void keyPressEvent(QKeyEvent* Event) override;
};
