// The headless control layer: TControl, TWinControl and TForm, with key codes, shift
// states and the stored appearance values a toolkit binding would show. A form owns
// its controls and tracks which one has the input focus; input reaches a control only
// through the form's entry points (PressKey, TypeText, SetActiveControl, SelectNext),
// which call the controls' hooks in the order a windowing system would.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/base/Component.hpp"
#include "framework/base/Exceptions.hpp"
#include "framework/base/Properties.hpp"

namespace rtl {

// A request the control layer cannot honour, such as focusing a hidden control.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// Virtual key codes delivered by PressKey.
constexpr uint16_t VK_BACK = 8;
constexpr uint16_t VK_TAB = 9;
constexpr uint16_t VK_RETURN = 13;
constexpr uint16_t VK_ESCAPE = 27;
constexpr uint16_t VK_END = 35;
constexpr uint16_t VK_HOME = 36;
constexpr uint16_t VK_LEFT = 37;
constexpr uint16_t VK_RIGHT = 39;
constexpr uint16_t VK_DELETE = 46;

// Bits of a shift state: the modifier keys and mouse buttons held down.
enum TShiftStateFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
using TShiftState = unsigned;

// Colours: 0x00BBGGRR, or a system colour with the high byte 0xFF.
using TColor = int32_t;
constexpr TColor clWindowText = static_cast<TColor>(0xFF000008u);
constexpr TColor clWindow = static_cast<TColor>(0xFF000005u);

using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crDrag = -12;

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = unsigned;  // bit (1 << TAnchorKind) per anchor
constexpr TAnchors DefaultAnchors = (1u << akLeft) | (1u << akTop);

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TDragKind { dkDrag, dkDock };
enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TImeMode {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel,
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = unsigned;  // bit (1 << TFontStyle) per style

struct TFont {
    int32_t Charset = 1;  // the default character set
    TColor Color = clWindowText;
    int32_t Height = -11;
    std::string Name = "Sans Serif";
    TFontStyles Style = 0;
    bool operator==(const TFont&) const = default;
};

// 0 means unconstrained.
struct TSizeConstraints {
    int32_t MaxHeight = 0;
    int32_t MaxWidth = 0;
    int32_t MinHeight = 0;
    int32_t MinWidth = 0;
    bool operator==(const TSizeConstraints&) const = default;
};

// Events of the control layer; like the system's own, they carry no sender.
using TNotifyEvent = std::function<void()>;
using TKeyEvent = std::function<void(uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(char32_t& Key)>;  // a Unicode code point
using TMouseEvent = std::function<void(TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TShiftState Shift, int X, int Y)>;
using TDragDropEvent = std::function<void(TComponent* Source, int X, int Y)>;
using TDragOverEvent = std::function<void(TComponent* Source, int X, int Y, TDragState State, bool& Accept)>;
using TEndDragEvent = std::function<void(TComponent* Target, int X, int Y)>;
using TStartDragEvent = std::function<void()>;

class TWinControl;
class TForm;

class TControl : public TComponent {
public:
    // A control owned by a windowed control is placed on it.
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    void SetParent(TWinControl* AParent);
    // The form this control is placed on, directly or through other controls.
    TForm* ParentForm() const;

    const std::string& Text() const { return FText; }
    virtual void SetText(const std::string& sText);

    int32_t Left() const { return FLeft; }
    void SetLeft(int32_t iLeft) { FLeft = iLeft; }
    int32_t Top() const { return FTop; }
    void SetTop(int32_t iTop) { FTop = iTop; }
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t iWidth) { FWidth = iWidth; }
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t iHeight) { FHeight = iHeight; }
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Cursor) { FCursor = Cursor; }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& sHint) { FHint = sHint; }

    // Hiding or disabling a control takes the input focus away from it.
    bool Visible() const { return FVisible; }
    void SetVisible(bool bVisible);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool bEnabled);

    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors Anchors) { FAnchors = Anchors; }
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Mode) { FBiDiMode = Mode; }
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool bParent) { FParentBiDiMode = bParent; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Color) { FColor = Color; }
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool bParent) { FParentColor = bParent; }
    const TSizeConstraints& Constraints() const { return FConstraints; }
    void SetConstraints(const TSizeConstraints& Constraints) { FConstraints = Constraints; }
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Cursor) { FDragCursor = Cursor; }
    TDragKind DragKind() const { return FDragKind; }
    void SetDragKind(TDragKind Kind) { FDragKind = Kind; }
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode Mode) { FDragMode = Mode; }
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& Font) { FFont = Font; }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool bParent) { FParentFont = bParent; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool bShow) { FShowHint = bShow; }
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool bParent) { FParentShowHint = bParent; }
    // A reference, dropped when the pop-up menu component goes away.
    TComponent* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TComponent* Menu);

    const TNotifyEvent& OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent Event) { FOnClick = std::move(Event); }
    const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
    void SetOnDblClick(TNotifyEvent Event) { FOnDblClick = std::move(Event); }
    const TDragDropEvent& OnDragDrop() const { return FOnDragDrop; }
    void SetOnDragDrop(TDragDropEvent Event) { FOnDragDrop = std::move(Event); }
    const TDragOverEvent& OnDragOver() const { return FOnDragOver; }
    void SetOnDragOver(TDragOverEvent Event) { FOnDragOver = std::move(Event); }
    const TEndDragEvent& OnEndDock() const { return FOnEndDock; }
    void SetOnEndDock(TEndDragEvent Event) { FOnEndDock = std::move(Event); }
    const TEndDragEvent& OnEndDrag() const { return FOnEndDrag; }
    void SetOnEndDrag(TEndDragEvent Event) { FOnEndDrag = std::move(Event); }
    const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
    void SetOnMouseDown(TMouseEvent Event) { FOnMouseDown = std::move(Event); }
    const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
    void SetOnMouseMove(TMouseMoveEvent Event) { FOnMouseMove = std::move(Event); }
    const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
    void SetOnMouseUp(TMouseEvent Event) { FOnMouseUp = std::move(Event); }
    const TStartDragEvent& OnStartDock() const { return FOnStartDock; }
    void SetOnStartDock(TStartDragEvent Event) { FOnStartDock = std::move(Event); }
    const TStartDragEvent& OnStartDrag() const { return FOnStartDrag; }
    void SetOnStartDrag(TStartDragEvent Event) { FOnStartDrag = std::move(Event); }

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Replaces the text without any notification; for controls with rules of their own.
    void StoreText(std::string sText) { FText = std::move(sText); }

private:
    friend class TWinControl;
    // This control or one of the controls placed on it, directly or not.
    bool Contains(const TControl* Control) const;
    // Hidden or disabled: a focus on this control or inside it moves to none.
    void GiveUpFocus();

    TWinControl* FParent = nullptr;
    std::string FText;
    int32_t FLeft = 0;
    int32_t FTop = 0;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    TCursor FCursor = crDefault;
    std::string FHint;
    bool FVisible = true;
    bool FEnabled = true;
    TAnchors FAnchors = DefaultAnchors;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FParentBiDiMode = true;
    TColor FColor = clWindow;
    bool FParentColor = false;
    TSizeConstraints FConstraints;
    TCursor FDragCursor = crDrag;
    TDragKind FDragKind = dkDrag;
    TDragMode FDragMode = dmManual;
    TFont FFont;
    bool FParentFont = true;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TComponent* FPopupMenu = nullptr;
    TNotifyEvent FOnClick, FOnDblClick;
    TDragDropEvent FOnDragDrop;
    TDragOverEvent FOnDragOver;
    TEndDragEvent FOnEndDock, FOnEndDrag;
    TMouseEvent FOnMouseDown, FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TStartDragEvent FOnStartDock, FOnStartDrag;
};

// A control that can hold the input focus and other controls.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int Index) const;  // raises EListError

    // Focus: Focused() is true while this control owns the input focus of its form.
    bool Focused() const;
    // Visible and enabled, with all its parents, on a form.
    bool CanFocus() const;
    // Raises EInvalidOperation when the control cannot take the focus.
    void SetFocus();

    // Position among the focusable siblings; -1 for a control without a parent.
    int32_t TabOrder() const;
    void SetTabOrder(int32_t iOrder);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool bTabStop) { FTabStop = bTabStop; }
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool bCtl3D) { FCtl3D = bCtl3D; }
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool bParent) { FParentCtl3D = bParent; }
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode Mode) { FImeMode = Mode; }
    const std::string& ImeName() const { return FImeName; }
    void SetImeName(const std::string& sName) { FImeName = sName; }

    const TNotifyEvent& OnEnter() const { return FOnEnter; }
    void SetOnEnter(TNotifyEvent Event) { FOnEnter = std::move(Event); }
    const TNotifyEvent& OnExit() const { return FOnExit; }
    void SetOnExit(TNotifyEvent Event) { FOnExit = std::move(Event); }
    const TKeyEvent& OnKeyDown() const { return FOnKeyDown; }
    void SetOnKeyDown(TKeyEvent Event) { FOnKeyDown = std::move(Event); }
    const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
    void SetOnKeyPress(TKeyPressEvent Event) { FOnKeyPress = std::move(Event); }
    const TKeyEvent& OnKeyUp() const { return FOnKeyUp; }
    void SetOnKeyUp(TKeyEvent Event) { FOnKeyUp = std::move(Event); }

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

protected:
    // Entry hook, called after the control has gained the focus; fires OnEnter.
    virtual void DoEnter();
    // Exit hook, called after the control has lost the focus; fires OnExit.
    virtual void DoExit();
    // Key hooks; a handler that sets Key to 0 stops the key's default action.
    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(char32_t& Key);
    virtual void KeyUp(uint16_t& Key, TShiftState Shift);
    // The control's own reaction to a key or character nobody consumed.
    virtual void HandleKey(uint16_t Key, TShiftState Shift);
    virtual void HandleCharacter(char32_t Key);

private:
    friend class TControl;
    friend class TForm;
    // The visible, enabled controls on this one, in tab order, depth first.
    void CollectFocusable(std::vector<TWinControl*>& List) const;

    // Placed on this control, not owned. The windowed ones among them are in tab order.
    std::vector<TControl*> FControls;
    int32_t FTabOrder = -1;  // asked for before the control had a parent
    bool FTabStop = true;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    TImeMode FImeMode = imDontCare;
    std::string FImeName;
    TNotifyEvent FOnEnter, FOnExit;
    TKeyEvent FOnKeyDown, FOnKeyUp;
    TKeyPressEvent FOnKeyPress;
};

// The top-level window: it tracks the focused control and is where input arrives.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    TWinControl* ActiveControl() const { return FActiveControl; }
    // Moves the focus (nullptr: to none of the controls). The old control's exit hook
    // runs after it has lost the focus, then the new one's entry hook after it has
    // gained it. An exception from the exit hook abandons the move: the old control
    // keeps the focus and the exception passes on.
    void SetActiveControl(TWinControl* Control);
    // Tab: moves the focus to the next (or previous) control in tab order that can
    // take it; returns false when there is none.
    bool SelectNext(bool bForward = true);

    // Input entry points. They deliver to the focused control and return false when
    // no control has the focus. PressKey runs KeyDown, then (unless the key was
    // consumed) Tab navigation or the control's own key handling, then KeyUp.
    bool PressKey(uint16_t Key, TShiftState Shift = 0);
    // Delivers each character (UTF-8 text) through KeyPress; raises EConvertError on
    // text that is not valid UTF-8, before delivering anything.
    bool TypeText(const std::string& sText);

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

private:
    friend class TControl;
    friend class TWinControl;
    TWinControl* FActiveControl = nullptr;
};

}  // namespace rtl
