// A fresh SQLite file for a test, made and read back through Qt's own driver on a
// connection of its own, so that what the test reads is what the file holds.
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

namespace quorix_qt_test {

class TSqlFile {
public:
    // Statements separated by ";" make the schema and the first records.
    explicit TSqlFile(const QString& sSchema);
    ~TSqlFile();
    TSqlFile(const TSqlFile&) = delete;
    TSqlFile& operator=(const TSqlFile&) = delete;

    QString fileName() const { return FFileName; }
    // A connection of the caller's, named sName, to the file.
    QSqlDatabase open(const QString& sName) const;
    // The values of one column, in rowid order, as the file holds them now.
    QVariantList column(const QString& sTable, const QString& sColumn) const;

private:
    QTemporaryDir FDir;
    QString FFileName;
    QString FCheck;
};

}  // namespace quorix_qt_test
