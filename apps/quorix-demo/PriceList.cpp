#include "PriceList.hpp"

#include <stdexcept>

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace quorix_demo {

namespace {

// Returns SQLite's message, or an empty text when all went well.
QString CreateItems(const QString& sFileName, const QString& sConnection) {
    QSqlDatabase Database = QSqlDatabase::addDatabase("QSQLITE", sConnection);
    Database.setDatabaseName(sFileName);
    if (!Database.open()) return Database.lastError().text();
    QSqlQuery Query(Database);
    const char* const Statements[] = {
        "CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT NOT NULL, "
        "price REAL CHECK (price >= 0), qty REAL CHECK (qty >= 0))",
        "INSERT INTO items (name, price, qty) VALUES "
        "('Pencil', 0.85, 120), ('Notebook', 3.2, 40), ('Stapler', 12.5, 6), "
        "('Ink cartridge', 27.9, 3), ('Desk lamp', 44, 1)",
    };
    for (const char* sStatement : Statements)
        if (!Query.exec(sStatement)) return Query.lastError().text();
    return {};
}

}  // namespace

void EnsurePriceList(const QString& sFileName) {
    if (QFileInfo::exists(sFileName)) return;
    const QString sConnection = "quorix-demo-setup";
    const QString sFailure = CreateItems(sFileName, sConnection);
    QSqlDatabase::removeDatabase(sConnection);
    if (sFailure.isEmpty()) return;
    QFile::remove(sFileName);  // no half-made file to trip the next start
    throw std::runtime_error("Cannot create " + sFileName.toStdString() + ": " + sFailure.toStdString());
}

}  // namespace quorix_demo
