#include "edits/CustomDBParserEdit.hpp"

#include <cmath>
#include <functional>

#include "framework/base/Exceptions.hpp"

namespace quorix {

namespace {

// Sets a flag for the length of a scope, whatever way the scope ends.
class TFlagScope {
public:
    explicit TFlagScope(bool& bFlag) : FFlag(bFlag), FWas(bFlag) { FFlag = true; }
    ~TFlagScope() { FFlag = FWas; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
    bool FWas;
};

}  // namespace

TCustomDBParserEdit::TCustomDBParserEdit(rtl::TComponent* AOwner)
    : TCustomParserEdit(AOwner), FDataLink(std::make_unique<rtl::TFieldDataLink>()) {
    FDataLink->SetOnDataChange([this](rtl::TDataLink* Sender) { DataChange(Sender); });
    FDataLink->SetOnUpdateData([this](rtl::TDataLink* Sender) { UpdateData(Sender); });
}

TCustomDBParserEdit::~TCustomDBParserEdit() {
    rtl::SaveOnDestroy(Name(), [this] { FDataLink->UpdateRecord(); });
    FDataLink->SetOnUpdateData(nullptr);
    FDataLink->SetOnDataChange(nullptr);
    FDataLink.reset();
}

void TCustomDBParserEdit::DataChange(rtl::TDataLink*) {
    FTyped = FKeyed = FEntered = false;
    FFieldError.clear();
    const rtl::TField* Field = FDataLink->Field();
    rtl::Extended rValue = 0;
    try {
        if (Field) rValue = Field->AsExtended();
    } catch (const rtl::EConvertError& E) {
        FFieldError = E.Message();
    } catch (const rtl::EDatabaseError& E) {
        FFieldError = E.Message();
    }
    if (FFieldError.empty()) SetValue(rValue);
    else ShowNoValue();
    FLoaded = Value();
}

void TCustomDBParserEdit::UpdateData(rtl::TDataLink*) {
    if (!FExiting && HoldsTypedText()) CommitTypedText();
    if (std::isnan(Value())) return;
    // A null field reads as 0, yet a 0 the user enters into it is a change.
    rtl::TField& Field = *FDataLink->Field();
    if (Value() == FLoaded && !(FEntered && Field.IsNull())) return;
    Field.SetAsExtended(Value());
    FLoaded = Value();
    FEntered = false;
}

void TCustomDBParserEdit::CommitTypedText() {
    DoSave();
    if (HoldsTypedText())
        throw rtl::EDatabaseError("The text '" + Text() + "' typed for field '" + DataField() +
                                  "' is not a value that can be saved");
}

// Without a value and without typing there is nothing to commit.
void TCustomDBParserEdit::DoSave() {
    if (!std::isnan(Value()) || !ShowsRendering()) TCustomParserEdit::DoSave();
    if (FKeyed && ShowsRendering() && Parser()) FEntered = true;  // the parser took what was typed
    FKeyed = false;
    FDataLink->Modified();
}

// A rejected text stays on screen, still marked for the next record update.
void TCustomDBParserEdit::DoExit() {
    TCustomParserEdit::DoExit();
    {
        const TFlagScope Exiting(FExiting);
        FDataLink->UpdateRecord();
    }
    if (HoldsTypedText()) FDataLink->Modified();
}

void TCustomDBParserEdit::HandleInput(const std::function<void()>& Input) {
    const TFlagScope Typing(FInput);
    Input();
}

void TCustomDBParserEdit::HandleKey(uint16_t Key, rtl::TShiftState Shift) {
    HandleInput([&] { TCustomParserEdit::HandleKey(Key, Shift); });
}

// A character counts as entered even when it leaves the text as it was (a 0 typed
// over the 0 that a null field shows).
void TCustomDBParserEdit::HandleCharacter(char32_t Key) {
    HandleInput([&] { TCustomParserEdit::HandleCharacter(Key); });
    if (ReadOnly() || Key < 0x20 || Key == 0x7F) return;  // nothing the edit takes
    FKeyed = true;
    FDataLink->Modified();
}

void TCustomDBParserEdit::KeyDown(uint16_t& Key, rtl::TShiftState Shift) {
    if (Key == rtl::VK_ESCAPE) FKeyed = false;
    TCustomParserEdit::KeyDown(Key, Shift);
}

// Typed text marks the link at once, so that every record update sees it.
void TCustomDBParserEdit::Change() {
    FTyped = FInput;
    if (FInput) FDataLink->Modified();
    TCustomParserEdit::Change();
}

const rtl::TClassInfo& TCustomDBParserEdit::StaticClassInfo() {
    static const rtl::TClassInfo Info{"TCustomDBParserEdit", &TCustomParserEdit::StaticClassInfo(), {}, {}};
    return Info;
}

// A field the control cannot show leaves Value NaN, which no stored form can hold.
rtl::Extended TCustomDBParserEdit::StoredValue() const { return std::isnan(Value()) ? 0 : Value(); }

// Neither declares a default: a data source reference is always stored. Value is
// redeclared (keeping its place) so that no value is stored as none.
std::vector<rtl::TPropInfo> TCustomDBParserEdit::PublishedProperties() {
    std::vector<rtl::TPropInfo> Properties = TCustomParserEdit::PublishedProperties();
    using TSetter = void (TCustomDBParserEdit::*)(rtl::Extended);
    Properties.push_back(rtl::MakeProperty("Value", &TCustomDBParserEdit::StoredValue,
                                           static_cast<TSetter>(&TCustomDBParserEdit::SetValue)));
    Properties.push_back(
        rtl::MakeProperty("DataField", &TCustomDBParserEdit::DataField, &TCustomDBParserEdit::SetField));
    Properties.push_back(rtl::MakeProperty("DataSource", &TCustomDBParserEdit::DataSource,
                                           &TCustomDBParserEdit::SetDataSource));
    return Properties;
}

}  // namespace quorix
