// Owners of SQLite's handles for the data layer. Every failure becomes an
// EDatabaseError that carries SQLite's own message, so callers never see a
// bare result code.
#pragma once

#include <functional>
#include <string>

#include "framework/db/DBValue.hpp"

struct sqlite3;
struct sqlite3_stmt;

namespace rtl::sqlite {

class TConnection {
public:
    // Opens an existing file for reading and writing; "file:" URIs are
    // accepted, so "file:x.db?mode=ro" opens a database that refuses writes.
    explicit TConnection(const std::string& sFileName);
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    sqlite3* Handle() const { return FHandle; }
    void Exec(const std::string& sSQL);  // statements without results
    // Runs Body in one transaction that takes the write lock at once; commits when
    // Body returns, rolls back and rethrows when Body or the commit fails.
    void InTransaction(const std::function<void()>& Body);
    int64_t LastInsertRowId() const;
    int Changes() const;             // rows touched by the last statement
    [[noreturn]] void Fail() const;  // raises the last error's message

private:
    sqlite3* FHandle = nullptr;
};

class TStatement {
public:
    TStatement(TConnection& Connection, const std::string& sSQL);
    ~TStatement();
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    bool IsReadOnly() const;                          // the statement does not change the database
    void Bind(int iIndex, const TFieldValue& Value);  // 1-based, as SQLite counts
    bool Step();                                      // true: a row is ready; false: done
    int ColumnCount() const;
    std::string ColumnName(int iIndex) const;
    std::string ColumnDeclType(int iIndex) const;  // as the table declares it; empty if none
    TFieldValue Column(int iIndex) const;

private:
    TConnection& FConnection;
    sqlite3_stmt* FHandle = nullptr;
};

// An identifier quoted for SQL text: "name" with inner quotes doubled.
std::string QuoteName(const std::string& sName);

}  // namespace rtl::sqlite
