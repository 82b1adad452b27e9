// TCustomDBParserEdit: the evaluating edit bound to one numeric field through an owned
// field data link. A delivery from the link loads the field's value as Value; every
// commit marks the link modified; leaving the control asks the link to update the
// record, which writes Value into the field as a double.
#pragma once

#include <memory>
#include <string>

#include "edits/CustomParserEdit.hpp"
#include "framework/DBLinks.hpp"

namespace quorix {

class TCustomDBParserEdit : public TCustomParserEdit {
public:
    explicit TCustomDBParserEdit(rtl::TComponent* AOwner);
    ~TCustomDBParserEdit() override;

    // Held by the link, not by the control.
    const std::string& DataField() const { return FDataLink->FieldName(); }
    void SetField(const std::string& sDataField) { FDataLink->SetFieldName(sDataField); }
    rtl::TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(rtl::TDataSource* ADataSource) { FDataLink->SetDataSource(ADataSource); }

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

protected:
    // The published properties of a data-aware parser edit, in published order.
    static std::vector<rtl::TPropInfo> PublishedProperties();

    void DoExit() override;  // commits, fires OnExit, then updates the record
    void DoSave() override;  // commits, then marks the link modified, whatever the outcome

    // The link's callbacks: load the bound field's value (0 when unbound), and write
    // Value into the field, raising EOverflow for a value beyond double precision.
    void DataChange(rtl::TDataLink* Sender);
    void UpdateData(rtl::TDataLink* Sender);

    const rtl::TFieldDataLink& DataLink() const { return *FDataLink; }

private:
    std::unique_ptr<rtl::TFieldDataLink> FDataLink;  // never nil while the control lives
};

}  // namespace quorix
