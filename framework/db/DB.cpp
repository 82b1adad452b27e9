#include "framework/db/DB.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <iostream>
#include <utility>

#include "framework/base/Conversions.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"
#include "framework/base/TextCase.hpp"
#include "framework/db/DBLinks.hpp"
#include "framework/db/DBSQLite.hpp"
#include "framework/math/Math.hpp"

namespace rtl {

namespace {

const TFieldValue kNull;
const char* const kChanged = "The record was changed by another user";
const char* const kDeleted = "The record was deleted by another connection";

TUnsavedChangeHandler& UnsavedChangeHandler() {
    static TUnsavedChangeHandler Handler;
    return Handler;
}

// SQLite's affinity rules, reduced to the question whether a column keeps an
// integer as an integer (integer and numeric affinity do).
bool KeepsIntegers(const std::string& sDeclType) {
    const std::string sType = UpperCase(sDeclType);
    const auto Has = [&](const char* sPart) { return sType.find(sPart) != std::string::npos; };
    if (Has("INT")) return true;
    if (Has("CHAR") || Has("CLOB") || Has("TEXT") || Has("BLOB") || sType.empty()) return false;
    return !(Has("REAL") || Has("FLOA") || Has("DOUB"));
}

// The integer an Extended holds exactly, if it fits in 64 bits.
std::optional<int64_t> ExactInteger(Extended rValue) {
    if (!(rValue >= -0x1p63L && rValue < 0x1p63L) || rValue != std::trunc(rValue)) return std::nullopt;
    return static_cast<int64_t>(rValue);
}

// Extended to double, raising the framework's overflow error where the value has no
// double (converting such a value is undefined in C++). Values just above DBL_MAX
// that round down to it still convert, as the hardware would.
double ToDouble(Extended rValue) {
    const Extended rRoundsToInfinity = std::ldexp(Extended{1}, 1024) - std::ldexp(Extended{1}, 970);
    if (std::fabs(rValue) >= rRoundsToInfinity && std::isfinite(rValue)) RaiseOverflow();
    return static_cast<double>(rValue);
}

bool IsNumber(const TFieldValue& Value) {
    return std::holds_alternative<int64_t>(Value) || std::holds_alternative<double>(Value);
}

// Equal values, also across integer and real storage (3 and 3.0), so that writing
// back what a field holds is recognised as no change.
bool SameValue(const TFieldValue& A, const TFieldValue& B) {
    if (A.index() == B.index()) return A == B;
    if (!IsNumber(A) || !IsNumber(B)) return false;
    const int64_t i = std::holds_alternative<int64_t>(A) ? std::get<int64_t>(A) : std::get<int64_t>(B);
    const double d = std::holds_alternative<double>(A) ? std::get<double>(A) : std::get<double>(B);
    // Range check first: converting a double outside int64's range is undefined.
    return d >= -0x1p63 && d < 0x1p63 && static_cast<int64_t>(d) == i && static_cast<double>(i) == d;
}

}  // namespace

TUnsavedChangeHandler SetOnUnsavedChange(TUnsavedChangeHandler Handler) {
    return std::exchange(UnsavedChangeHandler(), std::move(Handler));
}

void SaveOnDestroy(const std::string& sComponent, const std::function<void()>& Save) noexcept {
    std::string sMessage;
    try {
        Save();
        return;
    } catch (const std::exception& E) {
        sMessage = E.what();
    } catch (...) {
        sMessage = "unknown failure";
    }
    try {
        if (const TUnsavedChangeHandler& Handler = UnsavedChangeHandler()) Handler(sComponent, sMessage);
        else std::cerr << "Unsaved change lost with '" << sComponent << "': " << sMessage << std::endl;
    } catch (...) {
        // A handler that fails has nowhere to report to either.
    }
}

// ---------------------------------------------------------------------------- TField

TField::TField(TDataSet& DataSet, int iIndex, std::string sFieldName, bool bKeepsIntegers)
    : FDataSet(DataSet), FIndex(iIndex), FFieldName(std::move(sFieldName)), FKeepsIntegers(bKeepsIntegers) {}

const TFieldValue& TField::Value() const { return FDataSet.FieldValue(*this); }

void TField::SetValue(const TFieldValue& Value) { FDataSet.SetFieldValue(*this, Value); }

bool TField::IsNull() const { return std::holds_alternative<std::monostate>(Value()); }

void TField::Clear() { SetValue(std::monostate{}); }

Extended TField::AsExtended() const {
    const TFieldValue& Stored = Value();
    if (const auto* i = std::get_if<int64_t>(&Stored)) return static_cast<Extended>(*i);
    if (const auto* d = std::get_if<double>(&Stored)) return *d;
    if (const auto* s = std::get_if<std::string>(&Stored)) return StrToFloat(*s);
    if (std::holds_alternative<TBlob>(Stored))
        throw EDatabaseError("Field '" + FFieldName + "' holds binary data, not a number");
    return 0;
}

double TField::AsFloat() const {
    const Extended r = AsExtended();
    if (std::fabs(r) > DBL_MAX)
        throw EDatabaseError("Field '" + FFieldName + "' holds a value beyond double precision");
    return static_cast<double>(r);
}

void TField::SetAsFloat(double Value) { SetValue(Value); }

void TField::SetAsExtended(Extended rValue) {
    if (FKeepsIntegers || std::holds_alternative<int64_t>(Value()))
        if (const std::optional<int64_t> i = ExactInteger(rValue)) return SetValue(*i);
    SetValue(ToDouble(rValue));
}

// --------------------------------------------------------------------------- TDataSet

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet() {
    SaveOnDestroy(Name(), [this] { Close(); });
    // Data sources unbind their links while the fields still exist. A handler's
    // failure has nowhere to go from a destructor.
    while (!FDataSources.empty()) {
        try {
            FDataSources.back()->SetDataSet(nullptr);
        } catch (...) {}
    }
}

void TDataSet::CheckInactive(const char* sWhat) const {
    if (Active()) throw EDatabaseError(std::string("Cannot change the ") + sWhat + " of an open dataset");
}

void TDataSet::CheckActive() const {
    if (!Active()) throw EDatabaseError("Dataset '" + Name() + "' is not open");
}

void TDataSet::CheckCanModify() const {
    CheckActive();
    if (!CanModify()) throw EDatabaseError("Cannot modify a read-only dataset (a query)");
}

void TDataSet::SetDatabaseName(const std::string& sDatabaseName) {
    CheckInactive("database");
    FDatabaseName = sDatabaseName;
}

void TDataSet::SetTableName(const std::string& sTableName) {
    CheckInactive("table name");
    FTableName = sTableName;
}

void TDataSet::SetSQL(const std::string& sSQL) {
    CheckInactive("SQL");
    FSQL = sSQL;
}

bool TDataSet::CanModify() const { return Active() && !FTableName.empty(); }

sqlite3* TDataSet::Handle() const { return FConnection ? FConnection->Handle() : nullptr; }

void TDataSet::SetActive(bool bActive) {
    if (bActive) Open();
    else Close();
}

namespace {

// The first name of the row id that no column of the table takes.
std::string RowIdName(sqlite::TConnection& Connection, const std::string& sTable) {
    sqlite::TStatement Columns(Connection, "SELECT * FROM " + sqlite::QuoteName(sTable));
    for (const char* sName : {"rowid", "_rowid_", "oid"}) {
        bool bTaken = false;
        for (int i = 0; i < Columns.ColumnCount() && !bTaken; ++i)
            bTaken = AnsiSameText(Columns.ColumnName(i), sName);
        if (!bTaken) return sName;
    }
    throw EDatabaseError("Table '" + sTable + "' has columns named rowid, _rowid_ and oid, " +
                         "which hide the record id its changes need");
}

}  // namespace

std::string TDataSet::SelectText() const {
    // A table's records carry their row id, which is how changes find them again.
    return FTableName.empty() ? FSQL : "SELECT " + FRowIdName + ", * FROM " + sqlite::QuoteName(FTableName);
}

void TDataSet::Open() {
    if (Active()) return;
    if (FTableName.empty() == FSQL.empty())
        throw EDatabaseError("Dataset '" + Name() + "' needs either a table name or a query");
    auto Connection = std::make_unique<sqlite::TConnection>(FDatabaseName);
    FRowIdName = FTableName.empty() ? "" : RowIdName(*Connection, FTableName);
    std::vector<std::unique_ptr<TField>> arrFields;
    std::vector<TRecord> arrRecords;
    {
        sqlite::TStatement Select(*Connection, SelectText());
        if (!Select.IsReadOnly())
            throw EDatabaseError("The query of a dataset must only read: '" + FSQL + "'");
        const int iFirst = FTableName.empty() ? 0 : 1;
        for (int i = iFirst; i < Select.ColumnCount(); ++i)
            arrFields.emplace_back(
                new TField(*this, i - iFirst, Select.ColumnName(i), KeepsIntegers(Select.ColumnDeclType(i))));
        while (Select.Step()) {
            TRecord Record;
            if (iFirst == 1) Record.iRowId = std::get<int64_t>(Select.Column(0));
            for (int i = iFirst; i < Select.ColumnCount(); ++i) Record.arrValues.push_back(Select.Column(i));
            arrRecords.push_back(std::move(Record));
        }
    }
    FConnection = std::move(Connection);
    FFields = std::move(arrFields);
    FRecords = std::move(arrRecords);
    FCurrent = FRecords.empty() ? -1 : 0;
    FBof = true;
    FEof = FRecords.empty();
    FState = dsBrowse;
    try {
        DataEvent(deActiveChanged);
    } catch (...) {
        // A link that could not take the opening would show a dataset it does not
        // know; closed again, every link drops its field.
        FState = dsInactive;
        try {
            DataEvent(deActiveChanged);
        } catch (...) {}
        Discard();
        throw;
    }
}

void TDataSet::Close() {
    if (!Active()) return;
    Post();
    FState = dsInactive;
    // Every link hears of the close (and drops its field) before the fields go.
    std::exception_ptr Failure;
    try {
        DataEvent(deActiveChanged);
    } catch (...) {
        Failure = std::current_exception();
    }
    Discard();
    if (Failure) std::rethrow_exception(Failure);
}

void TDataSet::Discard() {
    FFields.clear();
    FRecords.clear();
    FPending = TRecord();
    FCurrent = -1;
    FBof = FEof = true;
    FConnection.reset();
}

TField* TDataSet::Fields(int iIndex) const {
    if (iIndex < 0 || iIndex >= FieldCount())
        throw EDatabaseError("Field index " + std::to_string(iIndex) + " out of range");
    return FFields[static_cast<size_t>(iIndex)].get();
}

TField* TDataSet::FindField(const std::string& sFieldName) const {
    for (const auto& Field : FFields)
        if (AnsiSameText(Field->FieldName(), sFieldName)) return Field.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const std::string& sFieldName) const {
    TField* Field = FindField(sFieldName);
    if (!Field) throw EDatabaseError("Field '" + sFieldName + "' not found");
    return Field;
}

// An application opens the dataset itself once a stored form has been read.
const TClassInfo& TDataSet::StaticClassInfo() {
    static const TClassInfo Info{
        "TDataSet",
        &TComponent::StaticClassInfo(),
        [](TComponent* AOwner) -> TComponent* { return new TDataSet(AOwner); },
        {MakeProperty("DatabaseName", &TDataSet::DatabaseName, &TDataSet::SetDatabaseName),
         MakeProperty("TableName", &TDataSet::TableName, &TDataSet::SetTableName),
         MakeProperty("SQL", &TDataSet::SQL, &TDataSet::SetSQL)},
    };
    return Info;
}

// ------------------------------------------------------------------------- navigation

int TDataSet::RecNo() const { return FCurrent + 1; }

void TDataSet::SetRecNo(int iRecNo) {
    CheckActive();
    if (iRecNo < 1 || iRecNo > RecordCount())
        throw EDatabaseError("Record number " + std::to_string(iRecNo) + " is not between 1 and " +
                             std::to_string(RecordCount()));
    MoveBy(iRecNo - RecNo());
}

void TDataSet::MoveTo(int iIndex) {
    if (iIndex == FCurrent) return;
    FCurrent = iIndex;
    DataEvent(deDataSetChanged);
}

void TDataSet::First() {
    CheckActive();
    Post();
    FBof = true;
    FEof = IsEmpty();
    if (!IsEmpty()) MoveTo(0);
}

void TDataSet::Last() {
    CheckActive();
    Post();
    FBof = IsEmpty();
    FEof = true;
    if (!IsEmpty()) MoveTo(RecordCount() - 1);
}

int TDataSet::MoveBy(int iDistance) {
    CheckActive();
    Post();
    if (iDistance == 0) return 0;
    if (IsEmpty()) {
        FBof = FEof = true;
        return 0;
    }
    const int64_t iTarget = int64_t{FCurrent} + iDistance;
    FBof = iTarget < 0;
    FEof = iTarget >= RecordCount();
    const int iFrom = FCurrent;
    MoveTo(static_cast<int>(std::clamp<int64_t>(iTarget, 0, RecordCount() - 1)));
    return FCurrent - iFrom;
}

// --------------------------------------------------------------------------- changes

void TDataSet::Edit() {
    CheckCanModify();
    if (FState != dsBrowse) return;
    if (IsEmpty()) throw EDatabaseError("Cannot edit: dataset '" + Name() + "' has no records");
    FPending = FRecords[static_cast<size_t>(FCurrent)];
    FPendingChanged.assign(FFields.size(), false);
    FState = dsEdit;
}

void TDataSet::Insert() {
    CheckCanModify();
    Post();
    FPending = TRecord{0, std::vector<TFieldValue>(FFields.size())};
    FPendingChanged.assign(FFields.size(), false);
    FInsertAt = std::max(FCurrent, 0);
    FState = dsInsert;
    DataEvent(deDataSetChanged);
}

void TDataSet::Append() {
    Insert();
    FInsertAt = RecordCount();
}

void TDataSet::UpdateRecord() {
    if (Active()) DataEvent(deUpdateRecord);
}

void TDataSet::Post() {
    CheckActive();
    UpdateRecord();
    if (FState == dsBrowse) return;
    WritePending();
    FState = dsBrowse;
    FPending = TRecord();
    DataEvent(deDataSetChanged);
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    FState = dsBrowse;
    FPending = TRecord();
    DataEvent(deDataSetChanged);
}

void TDataSet::Delete() {
    CheckCanModify();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    Cancel();
    if (IsEmpty()) throw EDatabaseError("Cannot delete: dataset '" + Name() + "' has no records");
    const TRecord& Current = FRecords[static_cast<size_t>(FCurrent)];
    const std::vector<size_t> arrAll = AllColumns();
    FConnection->InTransaction([&] {
        sqlite::TStatement Delete(*FConnection,
                                  "DELETE FROM " + sqlite::QuoteName(FTableName) + WhereUnchanged(arrAll));
        BindUnchanged(Delete, 1, Current, arrAll);
        Delete.Step();
        // A row already gone is what was asked for; a changed one is not.
        if (FConnection->Changes() == 0 && ReadRow(Current.iRowId)) RaiseConflict(Current.iRowId);
    });
    FRecords.erase(FRecords.begin() + FCurrent);
    FEof = FCurrent >= RecordCount();
    FCurrent = std::min(FCurrent, RecordCount() - 1);
    FBof = IsEmpty();
    FEof = FEof || IsEmpty();
    DataEvent(deDataSetChanged);
}

void TDataSet::RefreshRecord() {
    CheckCanModify();
    UpdateRecord();
    if (FState == dsInsert || IsEmpty()) return;
    TRecord& Current = FRecords[static_cast<size_t>(FCurrent)];
    std::optional<TRecord> Fresh = ReadRow(Current.iRowId);
    if (!Fresh) throw EDatabaseError(kDeleted);
    if (FState == dsEdit)
        for (size_t i = 0; i < FFields.size(); ++i)
            if (!FPendingChanged[i]) FPending.arrValues[i] = Fresh->arrValues[i];
    Current = std::move(*Fresh);
    DataEvent(deDataSetChanged);
}

std::optional<TDataSet::TRecord> TDataSet::ReadRow(int64_t iRowId) {
    sqlite::TStatement Select(*FConnection, SelectText() + " WHERE " + FRowIdName + " = ?");
    Select.Bind(1, iRowId);
    if (!Select.Step()) return std::nullopt;
    TRecord Record{iRowId, {}};
    for (int i = 1; i < Select.ColumnCount(); ++i) Record.arrValues.push_back(Select.Column(i));
    return Record;
}

// "IS" matches null to null, so a column read as null must still be null.
std::string TDataSet::WhereUnchanged(const std::vector<size_t>& arrColumns) const {
    std::string sWhere = " WHERE " + FRowIdName + " = ?";
    for (size_t i : arrColumns) sWhere += " AND " + sqlite::QuoteName(FFields[i]->FieldName()) + " IS ?";
    return sWhere;
}

void TDataSet::BindUnchanged(sqlite::TStatement& Statement, int iParam, const TRecord& Record,
                             const std::vector<size_t>& arrColumns) const {
    Statement.Bind(iParam, Record.iRowId);
    for (size_t i : arrColumns) Statement.Bind(++iParam, Record.arrValues[i]);
}

std::vector<size_t> TDataSet::AllColumns() const {
    std::vector<size_t> arrAll(FFields.size());
    for (size_t i = 0; i < arrAll.size(); ++i) arrAll[i] = i;
    return arrAll;
}

void TDataSet::RaiseConflict(int64_t iRowId) { throw EDatabaseError(ReadRow(iRowId) ? kChanged : kDeleted); }

void TDataSet::WritePending() {
    std::vector<size_t> arrChanged;
    for (size_t i = 0; i < FFields.size(); ++i)
        if (FPendingChanged[i]) arrChanged.push_back(i);
    if (FState == dsEdit && arrChanged.empty()) return;

    std::string sSQL;
    const std::string sTable = sqlite::QuoteName(FTableName);
    if (FState == dsEdit) {
        sSQL = "UPDATE " + sTable + " SET ";
        for (size_t i : arrChanged)
            sSQL +=
                (i == arrChanged.front() ? "" : ", ") + sqlite::QuoteName(FFields[i]->FieldName()) + " = ?";
        sSQL += WhereUnchanged(arrChanged);
    } else if (arrChanged.empty()) {
        sSQL = "INSERT INTO " + sTable + " DEFAULT VALUES";
    } else {
        std::string sNames, sMarks;
        for (size_t i : arrChanged) {
            sNames += (sNames.empty() ? "" : ", ") + sqlite::QuoteName(FFields[i]->FieldName());
            sMarks += sMarks.empty() ? "?" : ", ?";
        }
        sSQL = "INSERT INTO " + sTable + " (" + sNames + ") VALUES (" + sMarks + ")";
    }

    TRecord Stored;
    FConnection->InTransaction([&] {
        sqlite::TStatement Write(*FConnection, sSQL);
        int iParam = 0;
        for (size_t i : arrChanged) Write.Bind(++iParam, FPending.arrValues[i]);
        if (FState == dsEdit)
            BindUnchanged(Write, iParam + 1, FRecords[static_cast<size_t>(FCurrent)], arrChanged);
        Write.Step();
        if (FState == dsEdit && FConnection->Changes() == 0) RaiseConflict(FPending.iRowId);
        // Read back what SQLite stored: column affinity and defaults may differ
        // from what was written. A trigger may have removed it: keep what was written.
        const int64_t iRowId = FState == dsEdit ? FPending.iRowId : FConnection->LastInsertRowId();
        Stored = ReadRow(iRowId).value_or(FPending);
        Stored.iRowId = iRowId;
    });
    if (FState == dsEdit) {
        FRecords[static_cast<size_t>(FCurrent)] = std::move(Stored);
    } else {
        FRecords.insert(FRecords.begin() + FInsertAt, std::move(Stored));
        FCurrent = FInsertAt;
        FBof = FEof = false;
    }
}

const TFieldValue& TDataSet::FieldValue(const TField& Field) const {
    const size_t i = static_cast<size_t>(Field.Index());
    if (FState == dsEdit || FState == dsInsert) return FPending.arrValues[i];
    if (FCurrent < 0) return kNull;
    return FRecords[static_cast<size_t>(FCurrent)].arrValues[i];
}

void TDataSet::SetFieldValue(TField& Field, const TFieldValue& Value) {
    CheckCanModify();
    if (const auto* d = std::get_if<double>(&Value); d && !std::isfinite(*d))
        throw EDatabaseError("Field '" + Field.FieldName() + "' cannot store a value that is not finite");
    const size_t i = static_cast<size_t>(Field.Index());
    const bool bPostNow = FState == dsBrowse;
    if (bPostNow) {
        if (IsEmpty())
            throw EDatabaseError("Cannot write field '" + Field.FieldName() + "': dataset '" + Name() +
                                 "' has no current record");
        if (SameValue(FRecords[static_cast<size_t>(FCurrent)].arrValues[i], Value)) return;
        Edit();
    }
    FPending.arrValues[i] = Value;
    FPendingChanged[i] = true;
    DataEvent(deFieldChanged, &Field);
    if (bPostNow) Post();
}

}  // namespace rtl
