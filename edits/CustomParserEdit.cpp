#include "edits/CustomParserEdit.hpp"

#include <cmath>
#include <limits>

#include "framework/base/Conversions.hpp"

namespace quorix {

void TCustomParserEdit::SetEditFormat(const std::string& sFormat) {
    if (sFormat == FEditFormat) return;
    FEditFormat = sFormat;
    UpdateText();
}

void TCustomParserEdit::SetDisplayFormat(const std::string& sFormat) {
    if (sFormat == FDisplayFormat) return;
    FDisplayFormat = sFormat;
    UpdateText();
}

// The previous parser keeps its notice entry: a later removal notice from it is
// simply not ours any more.
void TCustomParserEdit::SetParser(TQuorix* Parser) {
    if (Parser == FParser) return;
    FParser = Parser;
    if (Parser) Parser->FreeNotification(this);
}

void TCustomParserEdit::SetValue(rtl::Extended Value) {
    FValue = Value;
    FShowsRendering = false;  // the plain conversion is committed like typed text
    SetText(rtl::FloatToStr(Value));
    DoSave();
}

void TCustomParserEdit::Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) {
    rtl::TCustomEdit::Notification(AComponent, Operation);
    if (Operation != rtl::opRemove || AComponent != FParser) return;
    SetParser(nullptr);
    // While the form is being torn down, its other components may already be gone:
    // no text change, so no OnChange handler runs into them.
    const bool bTearingDown = (ComponentState() & rtl::csDestroying) ||
                              (Owner() && (Owner()->ComponentState() & rtl::csDestroying));
    if (bTearingDown) return;
    SetText(std::string());
    DoSave();
}

void TCustomParserEdit::DoEnter() {
    UpdateText();
    rtl::TCustomEdit::DoEnter();
}

void TCustomParserEdit::DoExit() {
    DoSave();
    rtl::TCustomEdit::DoExit();
}

void TCustomParserEdit::KeyDown(uint16_t& Key, rtl::TShiftState Shift) {
    if (Key == rtl::VK_RETURN) DoSave();
    else if (Key == rtl::VK_ESCAPE) UpdateText();
    else rtl::TCustomEdit::KeyDown(Key, Shift);
}

void TCustomParserEdit::Change() {
    FShowsRendering = false;
    rtl::TCustomEdit::Change();
}

// The parser still sees every commit, so a shared parser holds the text committed
// last; only the control's own rendering of Value leaves Value as it is, since its
// evaluation can give back no more digits than the pattern showed.
void TCustomParserEdit::DoSave() {
    if (!FParser) return;
    const bool bOwnRendering = FShowsRendering;
    FParser->SetText(Text());
    if (!FParser->Calc()) return;
    if (!bOwnRendering) FValue = FParser->Value();
    UpdateText();
}

void TCustomParserEdit::UpdateText() {
    const std::string& sPattern = Focused() ? FEditFormat : FDisplayFormat;
    const std::string sRendered = std::isnan(FValue) ? std::string()
                                  : sPattern.empty() ? rtl::FloatToStr(FValue)
                                                     : rtl::FormatFloat(sPattern, FValue);
    if (Text() != sRendered) SetText(sRendered);
    FShowsRendering = true;
    SelectAll();
}

void TCustomParserEdit::ShowNoValue() {
    FValue = std::numeric_limits<rtl::Extended>::quiet_NaN();
    UpdateText();
}

const rtl::TClassInfo& TCustomParserEdit::StaticClassInfo() {
    static const rtl::TClassInfo Info{"TCustomParserEdit", &rtl::TCustomEdit::StaticClassInfo(), {}, {}};
    return Info;
}

// Loading assigns EditFormat, DisplayFormat, Parser, Value in this order; Text is not
// stored, it follows from Value.
std::vector<rtl::TPropInfo> TCustomParserEdit::PublishedProperties() {
    std::vector<rtl::TPropInfo> Properties = EditProperties();
    Properties.push_back(
        rtl::MakeProperty("EditFormat", &TCustomParserEdit::EditFormat, &TCustomParserEdit::SetEditFormat));
    Properties.push_back(rtl::MakeProperty("DisplayFormat", &TCustomParserEdit::DisplayFormat,
                                           &TCustomParserEdit::SetDisplayFormat));
    Properties.push_back(
        rtl::MakeProperty("Parser", &TCustomParserEdit::Parser, &TCustomParserEdit::SetParser));
    Properties.push_back(rtl::MakeProperty("Value", &TCustomParserEdit::Value, &TCustomParserEdit::SetValue));
    return Properties;
}

}  // namespace quorix
