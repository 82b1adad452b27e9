#include "SqlFile.hpp"

#include <QTest>

namespace quorix_qt_test {

namespace {
int iFiles = 0;
}

TSqlFile::TSqlFile(const QString& sSchema)
    : FFileName(FDir.filePath("test.db")), FCheck(QString("check%1").arg(++iFiles)) {
    QSqlDatabase Check = open(FCheck);
    QSqlQuery Query(Check);
    for (const QString& sStatement : sSchema.split(';', Qt::SkipEmptyParts))
        if (!Query.exec(sStatement))
            qFatal("%s: %s", qPrintable(sStatement), qPrintable(Query.lastError().text()));
}

TSqlFile::~TSqlFile() {
    QSqlDatabase::database(FCheck, false).close();
    QSqlDatabase::removeDatabase(FCheck);
}

QSqlDatabase TSqlFile::open(const QString& sName) const {
    QSqlDatabase Database = QSqlDatabase::addDatabase("QSQLITE", sName);
    Database.setDatabaseName(FFileName);
    if (!Database.open()) qFatal("%s", qPrintable(Database.lastError().text()));
    return Database;
}

QVariantList TSqlFile::column(const QString& sTable, const QString& sColumn) const {
    QSqlQuery Query(QSqlDatabase::database(FCheck));
    Query.exec(QString("SELECT %1 FROM %2 ORDER BY rowid").arg(sColumn, sTable));
    QVariantList Values;
    while (Query.next()) Values.append(Query.value(0).isNull() ? QVariant() : Query.value(0));
    return Values;
}

}  // namespace quorix_qt_test
