// TCustomDBParserEdit: the evaluating edit bound to one numeric field through an owned
// field data link. A delivery from the link loads the field's value as Value; every
// commit marks the link modified; leaving the control asks the link to update the
// record, which writes Value into the field.
//
// What is stored changes only when the user or the program changed it:
// - A Value still equal to the one the last delivery loaded is not written back, so
//   passing through a field never rewrites it (with its 15 digits, or as a double);
//   a value typed into a null field is written even when it is the 0 shown for null.
//   A written value keeps an integer column's integers exactly (TField::SetAsExtended).
// - A field that cannot be read as a number (text that is no number, binary data)
//   shows as empty text with Value NaN, FieldError telling why; nothing is written
//   into it until a value is committed. Storing the form then stores no Value for
//   the control, as for a Value of 0.
// - Typed text is never dropped silently. Whenever the dataset collects its links'
//   values (Post, moving, Close, RefreshRecord, destroying the dataset or its data
//   source) the control first commits text typed since the last commit, as leaving
//   would; text that cannot be committed (the parser rejects it, or there is no
//   parser) raises EDatabaseError and the dataset stays where it is, the text
//   untouched. Leaving the control keeps a rejected text on screen and writes nothing.
// - A control destroyed with a committed or typed change hands it to the dataset
//   first; what fails is reported through rtl::SetOnUnsavedChange.
#pragma once

#include <memory>
#include <string>

#include "edits/CustomParserEdit.hpp"
#include "framework/db/DBLinks.hpp"

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

    // Why the bound field shows no value; empty while it shows one.
    const std::string& FieldError() const { return FFieldError; }

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

protected:
    // The published properties of a data-aware parser edit, in published order.
    static std::vector<rtl::TPropInfo> PublishedProperties();

    void DoExit() override;  // commits, fires OnExit, then updates the record
    void DoSave() override;  // commits, then marks the link modified, whatever the outcome
    void HandleKey(uint16_t Key, rtl::TShiftState Shift) override;
    void HandleCharacter(char32_t Key) override;
    void KeyDown(uint16_t& Key, rtl::TShiftState Shift) override;
    void Change() override;

    // The link's callbacks: load the bound field's value (0 when unbound), and write
    // a changed Value into the field, raising EOverflow for a value beyond double
    // precision where it is written as a double.
    void DataChange(rtl::TDataLink* Sender);
    void UpdateData(rtl::TDataLink* Sender);

    const rtl::TFieldDataLink& DataLink() const { return *FDataLink; }

private:
    rtl::Extended StoredValue() const;  // Value, or 0 (not stored) for no value
    bool HoldsTypedText() const { return FTyped && !ShowsRendering(); }
    void CommitTypedText();  // raises when the text cannot be committed
    void HandleInput(const std::function<void()>& Input);

    std::unique_ptr<rtl::TFieldDataLink> FDataLink;  // never nil while the control lives
    rtl::Extended FLoaded = 0;                       // Value as the last delivery left it
    std::string FFieldError;
    bool FInput = false;    // the user's keys are being handled
    bool FTyped = false;    // the text last changed by the user's keys
    bool FKeyed = false;    // characters were typed since the last commit
    bool FEntered = false;  // typed text was committed since the last load or write
    bool FExiting = false;  // the record update comes from leaving the control
};

}  // namespace quorix
