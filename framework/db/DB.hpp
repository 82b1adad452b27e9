// The data layer: a dataset over an SQLite table or query, and its fields.
//
// A dataset reads every record of its table or query into memory when it opens
// and moves over them with First/Next/Prior/Last/MoveBy. Edit or Insert/Append
// start a pending change that Post writes to the file in one transaction; a
// refused write raises EDatabaseError with SQLite's message and keeps the pending
// change, so nothing entered is lost. Anything that leaves the record (moving,
// Close) first asks the data links to hand over their pending values and posts.
//
// Other writers. A post reaches a record only while the columns it writes still hold
// what this dataset read (another writer's change of other columns is kept), and a
// delete only while the whole record does: the statement names the row id and those
// columns' values as read. Otherwise it raises EDatabaseError "The record was changed
// by another user" (or "... deleted by another connection" when the row is gone) and
// the edit stays pending; RefreshRecord re-reads the record and keeps the edit, so
// Post applies it again. A row id that was freed and reused is caught the same way.
//
// Row identity. Records are found again by the table's row id, under the first of
// the names rowid, _rowid_ and oid that no column of the table takes; a table whose
// columns take all three is refused on Open.
//
// A field written while the dataset only browses is posted at once: the dataset
// enters Edit, stores the value and posts it in its own transaction. Writing the
// value the field already holds changes nothing. A write that cannot be done (a
// query's dataset, no current record, a value that is not finite) is refused with
// EDatabaseError before anything changes; a write that SQLite refuses leaves the
// dataset in Edit with the value pending, to be posted again or cancelled.
//
// A database locked by another connection fails at once, without waiting; the change
// stays pending for the next Post.
//
// Open tells the data links that the dataset opened; when one of them fails, Open
// closes the dataset again and raises that failure, so an open that raised always
// leaves the dataset closed.
//
// Destroying. A destructor cannot raise, so a dataset that goes while open closes
// first, which posts a pending change (the links' values included); a data source
// that goes hands its links' values to the dataset first. When that fails the
// change is reported to the handler set with SetOnUnsavedChange, and the file keeps
// what it held before.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/base/Component.hpp"
#include "framework/base/Types.hpp"
#include "framework/db/DBValue.hpp"

struct sqlite3;

namespace rtl {

class TDataSet;
class TDataSource;
namespace sqlite {
class TConnection;
class TStatement;
}  // namespace sqlite

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// Receives what a destructor could not save: the component's name and the failure's
// message. The default handler writes one line to standard error.
using TUnsavedChangeHandler = std::function<void(const std::string& sComponent, const std::string& sMessage)>;
// Installs Handler (an empty one restores the default) and returns the previous one.
TUnsavedChangeHandler SetOnUnsavedChange(TUnsavedChangeHandler Handler);
// Runs Save, for a destructor; a failure goes to the unsaved-change handler.
void SaveOnDestroy(const std::string& sComponent, const std::function<void()>& Save) noexcept;

// What a dataset tells its data sources, and they their links.
enum TDataEvent { deActiveChanged, deDataSetChanged, deFieldChanged, deUpdateRecord };

// One column of the current record. Fields exist while their dataset is open.
class TField {
public:
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    const std::string& FieldName() const { return FFieldName; }
    TDataSet& DataSet() const { return FDataSet; }
    int Index() const { return FIndex; }

    // The value of the current record (of the pending change while editing);
    // null when there is no current record.
    const TFieldValue& Value() const;
    void SetValue(const TFieldValue& Value);
    bool IsNull() const;
    void Clear();  // writes null

    // Null reads as 0, an integer as its nearest double, text through StrToFloat;
    // a blob raises EDatabaseError.
    double AsFloat() const;
    void SetAsFloat(double Value);

    // As AsFloat, but an integer is read exactly and text keeps Extended's range.
    Extended AsExtended() const;
    // An integral value within 64 bits is written as an integer where the column
    // keeps integers (declared with integer or numeric affinity, or holding one now),
    // so no digit is lost; any other value as a double, raising EOverflow beyond
    // double precision before anything changes.
    void SetAsExtended(Extended Value);

private:
    friend class TDataSet;
    TField(TDataSet& DataSet, int iIndex, std::string sFieldName, bool bKeepsIntegers);

    TDataSet& FDataSet;
    int FIndex;
    std::string FFieldName;
    bool FKeepsIntegers;
};

class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    // Where the records come from: a database file (or an SQLite "file:" URI)
    // and either a table, whose records can be changed, or a single SELECT
    // query, whose cannot. None of them can change while the dataset is open.
    const std::string& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const std::string& sDatabaseName);
    const std::string& TableName() const { return FTableName; }
    void SetTableName(const std::string& sTableName);
    const std::string& SQL() const { return FSQL; }
    void SetSQL(const std::string& sSQL);

    void Open();   // raising, leaves the dataset closed
    void Close();  // posts a pending change first; stays open when that fails
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool bActive);
    TDataSetState State() const { return FState; }
    bool CanModify() const;   // open on a table
    sqlite3* Handle() const;  // the open connection, nil while closed

    // Navigation. Each first posts a pending change; RecNo counts from 1 and is 0
    // for an empty dataset. Bof is set by First and by moving before the first
    // record, Eof by Last and by moving past the last; both hold when empty.
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int iDistance);  // returns how many records it moved
    bool Bof() const { return FBof; }
    bool Eof() const { return FEof; }
    bool IsEmpty() const { return FRecords.empty(); }
    int RecNo() const;
    void SetRecNo(int iRecNo);
    int RecordCount() const { return static_cast<int>(FRecords.size()); }

    int FieldCount() const { return static_cast<int>(FFields.size()); }
    TField* Fields(int iIndex) const;
    TField* FindField(const std::string& sFieldName) const;    // case-insensitive; nil if none
    TField* FieldByName(const std::string& sFieldName) const;  // raises if none

    void Edit();
    void Insert();  // a new record before the current one
    void Append();  // a new record after the last one
    void Post();    // writes the pending change; in browse state only the links' values
    void Cancel();  // discards the pending change
    void Delete();  // deletes the current record (a pending insert is only cancelled)
    // Re-reads the current record from the file, after the links have handed over
    // their values. An edit keeps the fields written since Edit over the fresh
    // values, so a Post refused because of another writer can be applied again.
    // Raises EDatabaseError, changing nothing, when the record is gone.
    void RefreshRecord();

    // Asks every data link to put its pending value into the record.
    void UpdateRecord();

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

private:
    friend class TField;
    friend class TDataSource;

    struct TRecord {
        int64_t iRowId = 0;
        std::vector<TFieldValue> arrValues;
    };

    void CheckInactive(const char* sWhat) const;
    void CheckActive() const;
    void CheckCanModify() const;
    void CheckBrowseMode();  // hands over link values and posts a pending change
    void ReadRecords();
    void Discard();  // drops fields, records and the connection
    std::string SelectText() const;
    std::optional<TRecord> ReadRow(int64_t iRowId);
    void WritePending();  // the SQL side of Post, in one transaction
    // The condition that the row still holds the given columns of a record as read,
    // and its arguments from iParam on.
    std::string WhereUnchanged(const std::vector<size_t>& arrColumns) const;
    void BindUnchanged(sqlite::TStatement& Statement, int iParam, const TRecord& Record,
                       const std::vector<size_t>& arrColumns) const;
    std::vector<size_t> AllColumns() const;
    [[noreturn]] void RaiseConflict(int64_t iRowId);
    void MoveTo(int iIndex);
    void DataEvent(TDataEvent Event, TField* Field = nullptr);
    const TFieldValue& FieldValue(const TField& Field) const;
    void SetFieldValue(TField& Field, const TFieldValue& Value);
    void AddDataSource(TDataSource* DataSource);
    void RemoveDataSource(TDataSource* DataSource);

    std::string FDatabaseName;
    std::string FTableName;
    std::string FSQL;
    std::string FRowIdName;  // how the table's row id is reached; empty for a query
    TDataSetState FState = dsInactive;
    std::unique_ptr<sqlite::TConnection> FConnection;
    std::vector<std::unique_ptr<TField>> FFields;
    std::vector<TRecord> FRecords;
    int FCurrent = -1;  // index into FRecords; -1 when empty
    bool FBof = true;
    bool FEof = true;
    TRecord FPending;                   // the record being edited or inserted
    std::vector<bool> FPendingChanged;  // per field: written since Edit/Insert
    int FInsertAt = 0;                  // where a pending insert goes
    std::vector<TDataSource*> FDataSources;
};

}  // namespace rtl
