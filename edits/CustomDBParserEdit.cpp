#include "edits/CustomDBParserEdit.hpp"

#include <cfloat>
#include <cmath>

#include "framework/Math.hpp"

namespace quorix {

namespace {

// Extended to double, raising the framework's overflow error where the value has no
// double (converting such a value is undefined in C++). Values just above DBL_MAX
// that round down to it still convert, as the hardware would.
double ToDouble(rtl::Extended rValue) {
    const rtl::Extended rRoundsToInfinity = std::ldexp(rtl::Extended{1}, 1024) - std::ldexp(rtl::Extended{1}, 970);
    if (std::fabs(rValue) >= rRoundsToInfinity && std::isfinite(rValue)) rtl::RaiseOverflow();
    return static_cast<double>(rValue);
}

}  // namespace

TCustomDBParserEdit::TCustomDBParserEdit(rtl::TComponent* AOwner)
    : TCustomParserEdit(AOwner), FDataLink(std::make_unique<rtl::TFieldDataLink>()) {
    FDataLink->SetOnDataChange([this](rtl::TDataLink* Sender) { DataChange(Sender); });
    FDataLink->SetOnUpdateData([this](rtl::TDataLink* Sender) { UpdateData(Sender); });
}

TCustomDBParserEdit::~TCustomDBParserEdit() {
    FDataLink->SetOnUpdateData(nullptr);
    FDataLink->SetOnDataChange(nullptr);
    FDataLink.reset();
}

void TCustomDBParserEdit::DataChange(rtl::TDataLink*) {
    const rtl::TField* Field = FDataLink->Field();
    SetValue(Field ? Field->AsFloat() : 0);
}

void TCustomDBParserEdit::UpdateData(rtl::TDataLink*) { FDataLink->Field()->SetAsFloat(ToDouble(Value())); }

void TCustomDBParserEdit::DoSave() {
    TCustomParserEdit::DoSave();
    FDataLink->Modified();
}

void TCustomDBParserEdit::DoExit() {
    TCustomParserEdit::DoExit();
    FDataLink->UpdateRecord();
}

const rtl::TClassInfo& TCustomDBParserEdit::StaticClassInfo() {
    static const rtl::TClassInfo Info{"TCustomDBParserEdit", &TCustomParserEdit::StaticClassInfo(), {}, {}};
    return Info;
}

// Neither declares a default: a data source reference is always stored.
std::vector<rtl::TPropInfo> TCustomDBParserEdit::PublishedProperties() {
    std::vector<rtl::TPropInfo> Properties = TCustomParserEdit::PublishedProperties();
    Properties.push_back(rtl::MakeProperty("DataField", &TCustomDBParserEdit::DataField,
                                           &TCustomDBParserEdit::SetField));
    Properties.push_back(rtl::MakeProperty("DataSource", &TCustomDBParserEdit::DataSource,
                                           &TCustomDBParserEdit::SetDataSource));
    return Properties;
}

}  // namespace quorix
