#include "framework/controls/CustomEdit.hpp"

#include <algorithm>
#include <cstdlib>

#include "framework/base/TextCase.hpp"
#include "framework/base/Utf8.hpp"

namespace rtl {

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetWidth(121);
    SetHeight(21);
}

void TCustomEdit::SetText(const std::string& sText) {
    std::string sNew = ApplyCharCase(sText);
    if (sNew == Text()) return;
    FSelAnchor = FCaret = 0;
    StoreText(std::move(sNew));
    Change();
}

int TCustomEdit::SelStart() const { return std::min(FSelAnchor, FCaret); }

void TCustomEdit::SetSelStart(int iStart) { FSelAnchor = FCaret = std::clamp(iStart, 0, Utf8Length(Text())); }

int TCustomEdit::SelLength() const { return std::abs(FCaret - FSelAnchor); }

// A negative length selects towards the start, as a shift-arrow to the left would.
void TCustomEdit::SetSelLength(int iLength) {
    const int Start = SelStart();
    const int Length = Utf8Length(Text());
    FSelAnchor = Start;
    FCaret = static_cast<int>(std::clamp<long long>(static_cast<long long>(Start) + iLength, 0, Length));
}

std::string TCustomEdit::SelText() const {
    const std::size_t From = Utf8Offset(Text(), SelStart());
    const std::size_t To = Utf8Offset(Text(), SelStart() + SelLength());
    return Text().substr(From, To - From);
}

void TCustomEdit::SetSelText(const std::string& sText) { ReplaceSelection(ApplyCharCase(sText)); }

void TCustomEdit::SelectAll() {
    FSelAnchor = 0;
    FCaret = Utf8Length(Text());
}

void TCustomEdit::ClearSelection() { ReplaceSelection(std::string()); }

void TCustomEdit::SetCharCase(TEditCharCase CharCase) {
    FCharCase = CharCase;
    SetText(Text());
}

void TCustomEdit::SetMaxLength(int32_t iMaxLength) {
    if (iMaxLength < 0)
        throw EInvalidOperation("MaxLength cannot be negative (" + std::to_string(iMaxLength) + ")");
    FMaxLength = iMaxLength;
}

void TCustomEdit::Change() {
    if (FOnChange) FOnChange();
}

void TCustomEdit::DoEnter() {
    if (FAutoSelect) SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::HandleKey(uint16_t Key, TShiftState Shift) {
    const bool bExtend = (Shift & ssShift) != 0;
    const int Length = Utf8Length(Text());
    switch (Key) {
        case VK_LEFT:
            if (SelLength() > 0 && !bExtend) MoveCaret(SelStart(), false);
            else MoveCaret(FCaret - 1, bExtend);
            break;
        case VK_RIGHT:
            if (SelLength() > 0 && !bExtend) MoveCaret(SelStart() + SelLength(), false);
            else MoveCaret(FCaret + 1, bExtend);
            break;
        case VK_HOME: MoveCaret(0, bExtend); break;
        case VK_END: MoveCaret(Length, bExtend); break;
        case VK_BACK:
        case VK_DELETE:
            if (FReadOnly) break;
            if (SelLength() == 0) {
                // Nothing selected: the character before (Backspace) or after the caret.
                const int Other = Key == VK_BACK ? FCaret - 1 : FCaret + 1;
                if (Other < 0 || Other > Length) break;
                FSelAnchor = Other;
            }
            ReplaceSelection(std::string());
            break;
        case 'A':
            if (Shift & ssCtrl) SelectAll();
            break;
        default: break;
    }
}

// Control characters never enter a single-line text.
void TCustomEdit::HandleCharacter(char32_t Key) {
    if (FReadOnly || Key < 0x20 || Key == 0x7F) return;
    const std::string sTyped = ApplyCharCase(EncodeUtf8(Key));
    if (sTyped.empty()) return;  // not a character (a handler may change Key to anything)
    if (FMaxLength > 0 && Utf8Length(Text()) - SelLength() + Utf8Length(sTyped) > FMaxLength) return;
    ReplaceSelection(sTyped);
}

// Lower case maps ASCII letters only: the framework's locale-aware case mapping
// goes one way, to upper case.
std::string TCustomEdit::ApplyCharCase(const std::string& sText) const {
    switch (FCharCase) {
        case ecUpperCase: return AnsiUpperCase(sText);
        case ecLowerCase: {
            std::string sLower = sText;
            for (char& C : sLower)
                if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
            return sLower;
        }
        case ecNormal: break;
    }
    return sText;
}

void TCustomEdit::ReplaceSelection(const std::string& sText) {
    const std::string& sOld = Text();
    const std::size_t From = Utf8Offset(sOld, SelStart());
    const std::size_t To = Utf8Offset(sOld, SelStart() + SelLength());
    std::string sNew = sOld.substr(0, From) + sText + sOld.substr(To);
    FSelAnchor = FCaret = Utf8Length(sNew.substr(0, From + sText.size()));
    if (sNew == sOld) return;
    StoreText(std::move(sNew));
    Change();
}

void TCustomEdit::MoveCaret(int iCaret, bool bExtend) {
    FCaret = std::clamp(iCaret, 0, Utf8Length(Text()));
    if (!bExtend) FSelAnchor = FCaret;
}

}  // namespace rtl
