// How controls meet a dataset: a data source joins any number of data links to
// one dataset and passes the dataset's events on to them. A field data link binds
// one field by name and turns those events into two callbacks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/base/Component.hpp"
#include "framework/db/DB.hpp"

namespace rtl {

class TDataLink;

class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;  // hands over its links' values, detaches them, leaves its dataset

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* ADataSet);
    TDataSetState State() const { return FDataSet ? FDataSet->State() : dsInactive; }

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

private:
    friend class TDataLink;
    friend class TDataSet;
    void AddLink(TDataLink* Link);
    void RemoveLink(TDataLink* Link);
    void DataEvent(TDataEvent Event, TField* Field);

    TDataSet* FDataSet = nullptr;
    std::vector<TDataLink*> FLinks;
};

class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();  // leaves its data source
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* ADataSource);  // nil detaches
    TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }
    bool Active() const { return DataSet() && DataSet()->Active(); }

    // Asks the link to put its pending value into the record. Does nothing while
    // the link is already doing so (its own write may post the record).
    void UpdateRecord();
    bool Updating() const { return FUpdating; }

protected:
    virtual void ActiveChanged() {}         // the dataset opened, closed or changed
    virtual void DataSetChanged() {}        // another record, or the record re-read
    virtual void RecordChanged(TField*) {}  // a field's value changed
    virtual void UpdateData() {}            // put the pending value into the record

private:
    friend class TDataSource;
    void DataEvent(TDataEvent Event, TField* Field);

    TDataSource* FDataSource = nullptr;
    bool FUpdating = false;
};

using TDataLinkNotifyEvent = std::function<void(TDataLink* Sender)>;

// Binds one field. OnDataChange runs, with the link as sender, whenever the bound
// field's value may have changed; the modified mark is cleared after it returns,
// so a mark set while a control loads the value never writes back. OnUpdateData
// runs when the record is updated while the mark is set and a field is bound.
class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink() = default;

    const std::string& FieldName() const { return FFieldName; }
    // Raises EDatabaseError, changing nothing, when the dataset is open and has no
    // such field; on a closed dataset the name binds when it opens.
    void SetFieldName(const std::string& sFieldName);
    TField* Field() const { return FField; }  // nil when unbound or closed

    void Modified() { FModified = true; }  // the control holds a value to write
    bool IsModified() const { return FModified; }

    const TDataLinkNotifyEvent& OnDataChange() const { return FOnDataChange; }
    void SetOnDataChange(TDataLinkNotifyEvent Handler) { FOnDataChange = std::move(Handler); }
    const TDataLinkNotifyEvent& OnUpdateData() const { return FOnUpdateData; }
    void SetOnUpdateData(TDataLinkNotifyEvent Handler) { FOnUpdateData = std::move(Handler); }

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    void UpdateField();  // binds the named field and delivers its value
    void DataChange();

    std::string FFieldName;
    TField* FField = nullptr;
    bool FModified = false;
    TDataLinkNotifyEvent FOnDataChange;
    TDataLinkNotifyEvent FOnUpdateData;
};

}  // namespace rtl
