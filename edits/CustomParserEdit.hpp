// TCustomParserEdit: a single-line edit whose text is an expression. Committing (Enter,
// leaving the control, SetValue) evaluates the text through the attached parser and
// keeps the result as Value; the value is shown through EditFormat while the control
// has the focus and through DisplayFormat otherwise. Escape shows the last value again.
// The value, not the text, is what a stored form keeps.
//
// Committing the control's own rendering, untouched since it was shown (leaving the
// control or pressing Enter again without typing), keeps Value: the digits a pattern
// shows are never read back. Losing the parser while the control or its owner is being
// destroyed neither empties the text nor commits.
#pragma once

#include <string>
#include <vector>

#include "engine/Quorix.hpp"
#include "framework/controls/CustomEdit.hpp"

namespace quorix {

class TCustomParserEdit : public rtl::TCustomEdit {
public:
    using rtl::TCustomEdit::TCustomEdit;

    // Patterns of FormatFloat; empty means the plain conversion (FloatToStr).
    const std::string& EditFormat() const { return FEditFormat; }
    void SetEditFormat(const std::string& sFormat);
    const std::string& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const std::string& sFormat);

    // Not owned; several controls may share one parser. Attaching neither evaluates
    // nor re-renders.
    TQuorix* Parser() const { return FParser; }
    void SetParser(TQuorix* Parser);

    // The last committed value. Assigning shows its plain conversion and commits it.
    // NaN means the control holds no value: its text is empty.
    rtl::Extended Value() const { return FValue; }
    void SetValue(rtl::Extended Value);

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

protected:
    // The published properties of a parser edit, in published order.
    static std::vector<rtl::TPropInfo> PublishedProperties();

    // A parser that goes away is forgotten; the text empties and is committed, which
    // keeps Value. While this control or its owner is being destroyed the parser is
    // only forgotten: the text stays and nothing is committed, so no OnChange or commit
    // handler runs into components the teardown has already freed.
    void Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) override;
    void DoEnter() override;  // renders with EditFormat, then OnEnter
    void DoExit() override;   // commits, then OnExit
    // Enter commits and Escape reverts, whatever the shift state; neither reaches
    // OnKeyDown. Other keys go to the base.
    void KeyDown(uint16_t& Key, rtl::TShiftState Shift) override;
    void Change() override;  // any change of the text but UpdateText's own

    // The commit step: evaluate the text; on success keep the result and re-render.
    // A rejected text stays as typed and the value stays as it was. When the text is
    // still the control's own rendering of Value, nothing typed since (leaving, or
    // Enter again), a successful commit keeps Value as it is rather than the digits
    // the pattern shows: with "0.00", 2/3 stays 2/3, not 0.67. The parser evaluates
    // the text all the same, so a shared parser holds the text committed last. Any
    // typing, even of the very digits shown, makes the text the user's, taken as written.
    virtual void DoSave();
    // Renders the value with the pattern for the present focus state and selects all.
    void UpdateText();
    // Drops the value without a commit: Value becomes NaN and the text empty.
    void ShowNoValue();
    // The text is UpdateText's rendering, untouched since.
    bool ShowsRendering() const { return FShowsRendering; }

private:
    std::string FEditFormat;
    std::string FDisplayFormat;
    rtl::Extended FValue = 0;
    TQuorix* FParser = nullptr;
    // The text is UpdateText's rendering of FValue, untouched since (see DoSave).
    bool FShowsRendering = false;
};

}  // namespace quorix
