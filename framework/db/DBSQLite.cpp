#include "framework/db/DBSQLite.hpp"

#include <sqlite3.h>

#include <type_traits>

#include "framework/base/Exceptions.hpp"

namespace rtl::sqlite {

TConnection::TConnection(const std::string& sFileName) {
    if (sFileName.empty()) throw EDatabaseError("No database file name given");
    // Never creates a file: a mistyped name must not leave an empty database behind.
    const int iFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI;
    const int iResult = sqlite3_open_v2(sFileName.c_str(), &FHandle, iFlags, nullptr);
    if (iResult != SQLITE_OK) {
        // The handle carries the message even on failure and must still be closed.
        const std::string sMessage = FHandle ? sqlite3_errmsg(FHandle) : sqlite3_errstr(iResult);
        sqlite3_close(FHandle);
        throw EDatabaseError("Cannot open database '" + sFileName + "': " + sMessage);
    }
    sqlite3_extended_result_codes(FHandle, 1);
}

TConnection::~TConnection() { sqlite3_close(FHandle); }

void TConnection::Exec(const std::string& sSQL) {
    if (sqlite3_exec(FHandle, sSQL.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail();
}

void TConnection::InTransaction(const std::function<void()>& Body) {
    Exec("BEGIN IMMEDIATE");
    try {
        Body();
        Exec("COMMIT");
    } catch (...) {
        // SQLite may already have rolled back (a full disk does); nothing is lost
        // by ignoring the rollback's own complaint then.
        sqlite3_exec(FHandle, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

int64_t TConnection::LastInsertRowId() const { return sqlite3_last_insert_rowid(FHandle); }

int TConnection::Changes() const { return sqlite3_changes(FHandle); }

void TConnection::Fail() const { throw EDatabaseError(sqlite3_errmsg(FHandle)); }

TStatement::TStatement(TConnection& Connection, const std::string& sSQL) : FConnection(Connection) {
    const char* pTail = nullptr;
    if (sqlite3_prepare_v2(Connection.Handle(), sSQL.c_str(), static_cast<int>(sSQL.size()), &FHandle,
                           &pTail) != SQLITE_OK)
        throw EDatabaseError(std::string(sqlite3_errmsg(Connection.Handle())) + " in '" + sSQL + "'");
    if (!FHandle) throw EDatabaseError("No SQL statement in '" + sSQL + "'");
    for (; pTail && *pTail; ++pTail) {
        if (*pTail != ';' && *pTail != ' ' && *pTail != '\t' && *pTail != '\n' && *pTail != '\r') {
            sqlite3_finalize(FHandle);
            throw EDatabaseError("More than one SQL statement in '" + sSQL + "'");
        }
    }
}

TStatement::~TStatement() { sqlite3_finalize(FHandle); }

bool TStatement::IsReadOnly() const { return sqlite3_stmt_readonly(FHandle) != 0; }

void TStatement::Bind(int iIndex, const TFieldValue& Value) {
    const int iResult = std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) return sqlite3_bind_null(FHandle, iIndex);
            else if constexpr (std::is_same_v<T, int64_t>) return sqlite3_bind_int64(FHandle, iIndex, v);
            else if constexpr (std::is_same_v<T, double>) return sqlite3_bind_double(FHandle, iIndex, v);
            else if constexpr (std::is_same_v<T, std::string>)
                return sqlite3_bind_text64(FHandle, iIndex, v.data(), v.size(), SQLITE_TRANSIENT,
                                           SQLITE_UTF8);
            else return sqlite3_bind_blob64(FHandle, iIndex, v.data(), v.size(), SQLITE_TRANSIENT);
        },
        Value);
    if (iResult != SQLITE_OK) FConnection.Fail();
}

bool TStatement::Step() {
    const int iResult = sqlite3_step(FHandle);
    if (iResult == SQLITE_ROW) return true;
    if (iResult == SQLITE_DONE) return false;
    FConnection.Fail();
}

int TStatement::ColumnCount() const { return sqlite3_column_count(FHandle); }

std::string TStatement::ColumnName(int iIndex) const {
    const char* sName = sqlite3_column_name(FHandle, iIndex);
    if (!sName) throw EDatabaseError("Out of memory naming a column");
    return sName;
}

std::string TStatement::ColumnDeclType(int iIndex) const {
    const char* sType = sqlite3_column_decltype(FHandle, iIndex);
    return sType ? sType : "";
}

TFieldValue TStatement::Column(int iIndex) const {
    switch (sqlite3_column_type(FHandle, iIndex)) {
        case SQLITE_INTEGER: return int64_t{sqlite3_column_int64(FHandle, iIndex)};
        case SQLITE_FLOAT: return sqlite3_column_double(FHandle, iIndex);
        case SQLITE_TEXT: {
            const auto* pText = reinterpret_cast<const char*>(sqlite3_column_text(FHandle, iIndex));
            const int iBytes = sqlite3_column_bytes(FHandle, iIndex);
            return pText ? std::string(pText, static_cast<size_t>(iBytes)) : std::string();
        }
        case SQLITE_BLOB: {
            const auto* pData = static_cast<const uint8_t*>(sqlite3_column_blob(FHandle, iIndex));
            const int iBytes = sqlite3_column_bytes(FHandle, iIndex);
            return pData ? TBlob(pData, pData + iBytes) : TBlob();
        }
        default: return std::monostate{};
    }
}

std::string QuoteName(const std::string& sName) {
    std::string sQuoted = "\"";
    for (char c : sName) {
        if (c == '"') sQuoted += '"';
        sQuoted += c;
    }
    return sQuoted + '"';
}

}  // namespace rtl::sqlite
