#include "framework/db/DBLinks.hpp"

#include <algorithm>
#include <exception>

#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"

namespace rtl {

namespace {

// Calls Visit for each member of List, also when an earlier one fails, so that
// every member hears of an event; the first failure is rethrown at the end.
// Handlers may attach or detach members meanwhile: only those still listed are
// visited, each once.
template <class T, class F>
void VisitEach(const std::vector<T*>& List, F Visit) {
    const std::vector<T*> arrSnapshot = List;
    std::exception_ptr Failure;
    for (T* Member : arrSnapshot) {
        if (std::find(List.begin(), List.end(), Member) == List.end()) continue;
        try {
            Visit(Member);
        } catch (...) {
            if (!Failure) Failure = std::current_exception();
        }
    }
    if (Failure) std::rethrow_exception(Failure);
}

template <class T>
void Unlist(std::vector<T*>& List, T* Member) {
    List.erase(std::remove(List.begin(), List.end(), Member), List.end());
}

}  // namespace

// The dataset's side of the fan-out: dataset -> data sources -> links.
void TDataSet::DataEvent(TDataEvent Event, TField* Field) {
    VisitEach(FDataSources, [&](TDataSource* Source) { Source->DataEvent(Event, Field); });
}

void TDataSet::AddDataSource(TDataSource* DataSource) { FDataSources.push_back(DataSource); }

void TDataSet::RemoveDataSource(TDataSource* DataSource) { Unlist(FDataSources, DataSource); }

// ------------------------------------------------------------------------ TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    // What the links hold pending goes to the dataset before they are detached.
    SaveOnDestroy(Name(), [this] {
        if (FDataSet && FDataSet->Active()) DataEvent(deUpdateRecord, nullptr);
    });
    // Links hear of the detach while this source still exists; a handler's failure
    // has nowhere to go from a destructor.
    while (!FLinks.empty()) {
        try {
            FLinks.back()->SetDataSource(nullptr);
        } catch (...) {}
    }
    if (FDataSet) FDataSet->RemoveDataSource(this);
}

void TDataSource::SetDataSet(TDataSet* ADataSet) {
    if (ADataSet == FDataSet) return;
    if (FDataSet) FDataSet->RemoveDataSource(this);
    FDataSet = ADataSet;
    if (FDataSet) FDataSet->AddDataSource(this);
    DataEvent(deActiveChanged, nullptr);
}

const TClassInfo& TDataSource::StaticClassInfo() {
    static const TClassInfo Info{
        "TDataSource",
        &TComponent::StaticClassInfo(),
        [](TComponent* AOwner) -> TComponent* { return new TDataSource(AOwner); },
        {MakeProperty("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet, nullptr)},
    };
    return Info;
}

void TDataSource::AddLink(TDataLink* Link) { FLinks.push_back(Link); }

void TDataSource::RemoveLink(TDataLink* Link) { Unlist(FLinks, Link); }

void TDataSource::DataEvent(TDataEvent Event, TField* Field) {
    VisitEach(FLinks, [&](TDataLink* Link) { Link->DataEvent(Event, Field); });
}

// -------------------------------------------------------------------------- TDataLink

TDataLink::~TDataLink() {
    if (FDataSource) FDataSource->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* ADataSource) {
    if (ADataSource == FDataSource) return;
    if (FDataSource) FDataSource->RemoveLink(this);
    FDataSource = ADataSource;
    if (FDataSource) FDataSource->AddLink(this);
    ActiveChanged();
}

void TDataLink::UpdateRecord() {
    if (FUpdating) return;
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

void TDataLink::DataEvent(TDataEvent Event, TField* Field) {
    switch (Event) {
        case deActiveChanged: ActiveChanged(); break;
        case deDataSetChanged:
            // A link that is writing caused the change itself and already shows it.
            if (!FUpdating) DataSetChanged();
            break;
        case deFieldChanged:
            if (!FUpdating) RecordChanged(Field);
            break;
        case deUpdateRecord: UpdateRecord(); break;
    }
}

// --------------------------------------------------------------------- TFieldDataLink

void TFieldDataLink::SetFieldName(const std::string& sFieldName) {
    if (sFieldName == FFieldName) return;
    if (Active() && !sFieldName.empty() && !DataSet()->FindField(sFieldName))
        throw EDatabaseError("Field '" + sFieldName + "' not found");
    FFieldName = sFieldName;
    UpdateField();
}

void TFieldDataLink::ActiveChanged() { UpdateField(); }

void TFieldDataLink::DataSetChanged() { DataChange(); }

void TFieldDataLink::RecordChanged(TField* Field) {
    if (!Field || Field == FField) DataChange();
}

void TFieldDataLink::UpdateField() {
    FField = Active() && !FFieldName.empty() ? DataSet()->FindField(FFieldName) : nullptr;
    DataChange();
}

void TFieldDataLink::DataChange() {
    // Loading a value never writes it back: the mark goes, however the handler ends.
    struct TClearMark {
        bool& bModified;
        ~TClearMark() { bModified = false; }
    } ClearMark{FModified};
    if (FOnDataChange) FOnDataChange(this);
}

void TFieldDataLink::UpdateData() {
    if (!FModified) return;
    // A failed write keeps the mark, so the value is offered again next time.
    if (FField && FOnUpdateData) FOnUpdateData(this);
    FModified = false;
}

}  // namespace rtl
