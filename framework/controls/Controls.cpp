#include "framework/controls/Controls.hpp"

#include <algorithm>

#include "framework/base/Utf8.hpp"

namespace rtl {

namespace {

template <class T>
void EraseItem(std::vector<T*>& List, const T* Item) {
    const auto It = std::find(List.begin(), List.end(), Item);
    if (It != List.end()) List.erase(It);
}

}  // namespace

// ---- TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
    if (auto* Owner = dynamic_cast<TWinControl*>(AOwner)) SetParent(Owner);
}

TControl::~TControl() { SetParent(nullptr); }

// Works on half-built and half-destroyed controls too (construction and destruction
// go through here), so nothing below depends on the control's dynamic type except
// the tab order, which only a finished windowed control has.
void TControl::SetParent(TWinControl* AParent) {
    if (AParent == FParent) return;
    for (const TControl* Up = AParent; Up; Up = Up->FParent)
        if (Up == this) throw EInvalidOperation("A control cannot be placed on itself");
    if (FParent) {
        // Leaving with the focus inside: the focus is dropped without hooks, since
        // the control may be on its way out.
        if (TForm* Form = FParent->ParentForm(); Form && Contains(Form->FActiveControl))
            Form->FActiveControl = nullptr;
        EraseItem(FParent->FControls, this);
        FParent = nullptr;
    }
    auto* Windowed = dynamic_cast<TWinControl*>(this);
    const int32_t WantedOrder = Windowed ? Windowed->FTabOrder : -1;
    if (Windowed) Windowed->FTabOrder = -1;
    if (AParent) {
        AParent->FControls.push_back(this);
        FParent = AParent;
        if (WantedOrder >= 0) Windowed->SetTabOrder(WantedOrder);
    }
}

TForm* TControl::ParentForm() const {
    TForm* Form = nullptr;
    for (const TControl* Up = this; Up; Up = Up->FParent)
        if (auto* AsForm = dynamic_cast<TForm*>(const_cast<TControl*>(Up))) Form = AsForm;
    return Form;
}

void TControl::SetText(const std::string& sText) { FText = sText; }

void TControl::SetVisible(bool bVisible) {
    FVisible = bVisible;
    if (!bVisible) GiveUpFocus();
}

void TControl::SetEnabled(bool bEnabled) {
    FEnabled = bEnabled;
    if (!bEnabled) GiveUpFocus();
}

void TControl::SetPopupMenu(TComponent* Menu) {
    if (Menu == FPopupMenu) return;
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = Menu;
    if (Menu) Menu->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

bool TControl::Contains(const TControl* Control) const {
    for (const TControl* Up = Control; Up; Up = Up->FParent)
        if (Up == this) return true;
    return false;
}

void TControl::GiveUpFocus() {
    TForm* Form = ParentForm();
    if (Form && Form != this && Contains(Form->ActiveControl())) Form->SetActiveControl(nullptr);
}

// ---- TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

// The controls placed here stay alive (their owner frees them); they only lose
// their parent.
TWinControl::~TWinControl() {
    while (!FControls.empty()) FControls.back()->SetParent(nullptr);
}

TControl* TWinControl::Controls(int Index) const {
    if (Index < 0 || Index >= ControlCount())
        throw EListError("Control index out of bounds (" + std::to_string(Index) + ")");
    return FControls[Index];
}

bool TWinControl::Focused() const {
    const TForm* Form = ParentForm();
    return Form && Form->FActiveControl == this;
}

bool TWinControl::CanFocus() const {
    const TForm* Form = ParentForm();
    if (!Form || Form == this) return false;
    for (const TControl* Up = this; Up; Up = Up->Parent())
        if (!Up->Visible() || !Up->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    TForm* Form = ParentForm();
    if (!Form || Form == this) throw EInvalidOperation("Control " + Name() + " is not placed on a form");
    Form->SetActiveControl(this);
}

int32_t TWinControl::TabOrder() const {
    if (!Parent()) return FTabOrder;
    int32_t Order = 0;
    for (const TControl* Sibling : Parent()->FControls) {
        if (Sibling == this) break;
        if (dynamic_cast<const TWinControl*>(Sibling)) ++Order;
    }
    return Order;
}

// Out-of-range orders move the control to the end, like a fresh control.
void TWinControl::SetTabOrder(int32_t iOrder) {
    if (!Parent()) {
        FTabOrder = iOrder;
        return;
    }
    auto& List = Parent()->FControls;
    EraseItem(List, static_cast<TControl*>(this));
    auto Position = List.end();
    int32_t Order = 0;
    for (auto It = List.begin(); iOrder >= 0 && It != List.end(); ++It) {
        if (!dynamic_cast<TWinControl*>(*It)) continue;
        if (Order++ == iOrder) {
            Position = It;
            break;
        }
    }
    List.insert(Position, this);
}

void TWinControl::DoEnter() {
    if (FOnEnter) FOnEnter();
}

void TWinControl::DoExit() {
    if (FOnExit) FOnExit();
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (FOnKeyDown) FOnKeyDown(Key, Shift);
}

void TWinControl::KeyPress(char32_t& Key) {
    if (FOnKeyPress) FOnKeyPress(Key);
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (FOnKeyUp) FOnKeyUp(Key, Shift);
}

void TWinControl::HandleKey(uint16_t, TShiftState) {}

void TWinControl::HandleCharacter(char32_t) {}

void TWinControl::CollectFocusable(std::vector<TWinControl*>& List) const {
    for (TControl* Child : FControls) {
        auto* Windowed = dynamic_cast<TWinControl*>(Child);
        if (!Windowed || !Windowed->Visible() || !Windowed->Enabled()) continue;
        List.push_back(Windowed);
        Windowed->CollectFocusable(List);
    }
}

// ---- TForm

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {}

TForm::~TForm() { FActiveControl = nullptr; }

void TForm::SetActiveControl(TWinControl* Control) {
    if (Control == FActiveControl) return;
    if (Control && (Control->ParentForm() != this || !Control->CanFocus()))
        throw EInvalidOperation("Cannot focus the control " + Control->Name() +
                                ": it is not a visible, enabled control of this form");
    TWinControl* Old = FActiveControl;
    FActiveControl = Control;
    if (Old) {
        try {
            Old->DoExit();
        } catch (...) {
            if (FActiveControl == Control) FActiveControl = Old;
            throw;
        }
    }
    // An exit handler that moved the focus elsewhere has had its way.
    if (Control && FActiveControl == Control) Control->DoEnter();
}

// The search starts from the focused control's place in tab order, even when that
// control is not a tab stop itself.
bool TForm::SelectNext(bool bForward) {
    std::vector<TWinControl*> Candidates;
    CollectFocusable(Candidates);
    const auto Count = static_cast<std::ptrdiff_t>(Candidates.size());
    const auto Current = std::find(Candidates.begin(), Candidates.end(), FActiveControl) - Candidates.begin();
    const std::ptrdiff_t Start = Current < Count ? Current : (bForward ? -1 : Count);
    for (std::ptrdiff_t Step = 1; Step <= Count; ++Step) {
        const std::ptrdiff_t Index = ((Start + (bForward ? Step : -Step)) % Count + Count) % Count;
        TWinControl* Candidate = Candidates[static_cast<std::size_t>(Index)];
        if (Candidate == FActiveControl) break;
        if (!Candidate->FTabStop) continue;
        SetActiveControl(Candidate);
        return true;
    }
    return false;
}

bool TForm::PressKey(uint16_t Key, TShiftState Shift) {
    TWinControl* Target = FActiveControl;
    if (!Target) return false;
    const uint16_t Pressed = Key;
    Target->KeyDown(Key, Shift);
    if (Key != 0 && FActiveControl == Target) {
        if (Key == VK_TAB && !(Shift & (ssCtrl | ssAlt))) SelectNext(!(Shift & ssShift));
        else Target->HandleKey(Key, Shift);
    }
    // The key comes up wherever the focus is by then.
    if (FActiveControl) {
        uint16_t Released = Pressed;
        FActiveControl->KeyUp(Released, Shift);
    }
    return true;
}

bool TForm::TypeText(const std::string& sText) {
    std::vector<char32_t> Characters;
    if (!DecodeUtf8(sText, Characters)) throw EConvertError("Typed text is not valid UTF-8");
    if (!FActiveControl) return false;
    for (char32_t Character : Characters) {
        TWinControl* Target = FActiveControl;
        if (!Target) break;
        Target->KeyPress(Character);
        if (Character != 0 && FActiveControl == Target) Target->HandleCharacter(Character);
    }
    return true;
}

}  // namespace rtl
