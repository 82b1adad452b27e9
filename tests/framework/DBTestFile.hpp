// A temporary SQLite file per test, and reads of it that bypass the data layer,
// so a test can check what really reached the file.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/base/Exceptions.hpp"

namespace quorix_test {

using TRows = std::vector<std::string>;

// The message of the EDatabaseError that Action raises, or a text saying it raised none.
inline std::string MessageOf(const std::function<void()>& Action) {
    try {
        Action();
    } catch (const rtl::EDatabaseError& E) {
        return E.Message();
    }
    return "(no EDatabaseError)";
}

class TTestDatabase {
public:
    // Creates a fresh file and runs sSchema (statements separated by ';') on it.
    explicit TTestDatabase(const std::string& sSchema) {
        char sDir[] = "/tmp/quorix-db-XXXXXX";
        if (!mkdtemp(sDir)) throw std::runtime_error("mkdtemp failed");
        FDir = sDir;
        FFileName = FDir + "/test.db";
        Exec(sSchema);
    }
    ~TTestDatabase() {
        std::error_code Ignored;
        std::filesystem::remove_all(FDir, Ignored);
    }
    TTestDatabase(const TTestDatabase&) = delete;
    TTestDatabase& operator=(const TTestDatabase&) = delete;

    const std::string& FileName() const { return FFileName; }
    std::string ReadOnlyUri() const { return "file:" + FFileName + "?mode=ro"; }

    // Runs statements on a connection of its own.
    void Exec(const std::string& sSQL) const {
        sqlite3* Db = Open(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        char* sError = nullptr;
        const int iResult = sqlite3_exec(Db, sSQL.c_str(), nullptr, nullptr, &sError);
        const std::string sMessage = sError ? sError : "";
        sqlite3_free(sError);
        sqlite3_close(Db);
        if (iResult != SQLITE_OK) throw std::runtime_error(sMessage + " in " + sSQL);
    }

    // Each row of the query as its columns joined by '|'; NULL for null, reals
    // with 17 significant digits so that no rounding hides a difference.
    TRows Rows(const std::string& sQuery) const {
        sqlite3* Db = Open(SQLITE_OPEN_READONLY);
        sqlite3_stmt* Stmt = nullptr;
        TRows arrRows;
        int iResult = sqlite3_prepare_v2(Db, sQuery.c_str(), -1, &Stmt, nullptr);
        while (iResult == SQLITE_OK && (iResult = sqlite3_step(Stmt)) == SQLITE_ROW) {
            std::string sRow;
            for (int i = 0; i < sqlite3_column_count(Stmt); ++i) sRow += (i > 0 ? "|" : "") + Cell(Stmt, i);
            arrRows.push_back(sRow);
            iResult = SQLITE_OK;
        }
        const std::string sError = sqlite3_errmsg(Db);
        sqlite3_finalize(Stmt);
        sqlite3_close(Db);
        if (iResult != SQLITE_DONE) throw std::runtime_error(sError + " in " + sQuery);
        return arrRows;
    }

private:
    sqlite3* Open(int iFlags) const {
        sqlite3* Db = nullptr;
        if (sqlite3_open_v2(FFileName.c_str(), &Db, iFlags, nullptr) != SQLITE_OK) {
            sqlite3_close(Db);
            throw std::runtime_error("cannot open " + FFileName);
        }
        return Db;
    }

    static std::string Cell(sqlite3_stmt* Stmt, int i) {
        switch (sqlite3_column_type(Stmt, i)) {
            case SQLITE_NULL: return "NULL";
            case SQLITE_FLOAT: {
                char sBuffer[40];
                snprintf(sBuffer, sizeof sBuffer, "%.17g", sqlite3_column_double(Stmt, i));
                return sBuffer;
            }
            default: return reinterpret_cast<const char*>(sqlite3_column_text(Stmt, i));
        }
    }

    std::string FDir;
    std::string FFileName;
};

}  // namespace quorix_test
