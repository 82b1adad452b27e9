// TCustomEdit: the headless single-line edit control. The text is UTF-8; positions,
// lengths and MaxLength count characters (code points). Typing replaces the
// selection and honours ReadOnly, MaxLength and CharCase; programmatic changes
// (SetText, SetSelText) honour CharCase only. OnChange fires only when the text
// really changes.
#pragma once

#include <string>
#include <vector>

#include "framework/controls/Controls.hpp"

namespace rtl {

enum TBorderStyle { bsNone, bsSingle };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* AOwner);

    void SetText(const std::string& sText) override;  // the caret goes to the start

    // Selection: SelStart is the caret's position when SelLength is 0.
    int SelStart() const;
    void SetSelStart(int iStart);  // clamped to the text; clears the selection
    int SelLength() const;
    void SetSelLength(int iLength);  // from SelStart, clamped to the text
    std::string SelText() const;
    void SetSelText(const std::string& sText);  // replaces the selection
    void SelectAll();
    void ClearSelection();  // deletes the selected text

    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool bAutoSelect) { FAutoSelect = bAutoSelect; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool bAutoSize) { FAutoSize = bAutoSize; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Style) { FBorderStyle = Style; }
    // Changing the case converts the present text too.
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase CharCase);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool bHide) { FHideSelection = bHide; }
    // Characters the user may type; 0: no limit. Never cuts text already there.
    int32_t MaxLength() const { return FMaxLength; }
    void SetMaxLength(int32_t iMaxLength);
    bool OEMConvert() const { return FOEMConvert; }
    void SetOEMConvert(bool bConvert) { FOEMConvert = bConvert; }
    char PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char Char) { FPasswordChar = Char; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool bReadOnly) { FReadOnly = bReadOnly; }

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Event) { FOnChange = std::move(Event); }

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

protected:
    // The properties that a published edit control publishes, in published order.
    static std::vector<TPropInfo> EditProperties();

    // Fires OnChange; called after every real change of the text.
    virtual void Change();
    void DoEnter() override;
    void HandleKey(uint16_t Key, TShiftState Shift) override;
    void HandleCharacter(char32_t Key) override;

private:
    std::string ApplyCharCase(const std::string& sText) const;
    // Replaces the selection with sText (already cased) and puts the caret after it.
    void ReplaceSelection(const std::string& sText);
    void MoveCaret(int iCaret, bool bExtend);

    // The selection runs from the anchor to the caret, in either direction.
    int FSelAnchor = 0;
    int FCaret = 0;
    bool FAutoSelect = true;
    bool FAutoSize = true;
    TBorderStyle FBorderStyle = bsSingle;
    TEditCharCase FCharCase = ecNormal;
    bool FHideSelection = true;
    int32_t FMaxLength = 0;
    bool FOEMConvert = false;
    char FPasswordChar = '\0';
    bool FReadOnly = false;
    TNotifyEvent FOnChange;
};

}  // namespace rtl
