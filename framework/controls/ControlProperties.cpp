// Property tables of the control layer. Enumerations are stored by their names and
// sets as "[name,name]", so that stored forms stay readable; the font and the size
// constraints are stored field by field ("FontColor", "ConstraintsMaxWidth").
#include <array>
#include <span>

#include "framework/base/TextCase.hpp"
#include "framework/controls/Controls.hpp"
#include "framework/controls/CustomEdit.hpp"

namespace rtl {

namespace {

using TNames = std::span<const char* const>;

constexpr std::array<const char*, 4> AnchorNames{"akLeft", "akTop", "akRight", "akBottom"};
constexpr std::array<const char*, 4> BiDiModeNames{"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign",
                                                   "bdRightToLeftReadingOnly"};
constexpr std::array<const char*, 2> BorderStyleNames{"bsNone", "bsSingle"};
constexpr std::array<const char*, 3> CharCaseNames{"ecNormal", "ecUpperCase", "ecLowerCase"};
constexpr std::array<const char*, 2> DragKindNames{"dkDrag", "dkDock"};
constexpr std::array<const char*, 2> DragModeNames{"dmManual", "dmAutomatic"};
constexpr std::array<const char*, 4> FontStyleNames{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr std::array<const char*, 12> ImeModeNames{"imDisable", "imClose",   "imOpen",     "imDontCare",
                                                   "imSAlpha",  "imAlpha",   "imHira",     "imSKata",
                                                   "imKata",    "imChinese", "imSHanguel", "imHanguel"};

int NameIndex(TNames Names, const std::string& sName) {
    for (std::size_t i = 0; i < Names.size(); ++i)
        if (AnsiSameText(Names[i], sName)) return static_cast<int>(i);
    return -1;
}

std::string TrimSpaces(const std::string& S) {
    const auto First = S.find_first_not_of(' ');
    if (First == std::string::npos) return {};
    return S.substr(First, S.find_last_not_of(' ') - First + 1);
}

std::string SetToText(TNames Names, unsigned Set) {
    std::string sText = "[";
    for (std::size_t i = 0; i < Names.size(); ++i)
        if (Set & (1u << i)) {
            if (sText.size() > 1) sText += ',';
            sText += Names[i];
        }
    return sText + "]";
}

unsigned TextToSet(TNames Names, const std::string& sText, const std::string& sProp) {
    const std::string sTrimmed = TrimSpaces(sText);
    if (sTrimmed.size() < 2 || sTrimmed.front() != '[' || sTrimmed.back() != ']')
        detail::RaisePropertyError(sProp, "\"" + sText + "\" is not a set such as [" + Names[0] + "]");
    unsigned Set = 0;
    const std::string sInner = sTrimmed.substr(1, sTrimmed.size() - 2);
    if (TrimSpaces(sInner).empty()) return Set;
    std::size_t From = 0;
    while (true) {
        const std::size_t Comma = sInner.find(',', From);
        const std::string sName = TrimSpaces(sInner.substr(From, Comma - From));
        const int Index = NameIndex(Names, sName);
        if (Index < 0) detail::RaisePropertyError(sProp, "unknown set element \"" + sName + "\"");
        Set |= 1u << Index;
        if (Comma == std::string::npos) return Set;
        From = Comma + 1;
    }
}

// A property of class C reached through two plain functions; T is int32_t or
// std::string.
template <class C, class T>
TPropInfo FieldProperty(const std::string& sName, T (*Read)(const C&), void (*Write)(C&, T), T Default) {
    TPropInfo Info;
    Info.Name = sName;
    Info.Kind = detail::KindOf<T>();
    Info.Read = [sName, Read](const TComponent& Instance) {
        return detail::ToPropValue<T>(Read(detail::InstanceOf<C>(const_cast<TComponent&>(Instance), sName)));
    };
    Info.Write = [sName, Write](TComponent& Instance, const TPropValue& Value) {
        C& Typed = detail::InstanceOf<C>(Instance, sName);
        if constexpr (std::is_same_v<T, std::string>) {
            Write(Typed, detail::Expect<std::string>(Value, sName));
        } else {
            const int64_t Number = detail::Expect<int64_t>(Value, sName);
            if (!std::in_range<T>(Number))
                detail::RaisePropertyError(sName, std::to_string(Number) + " is out of range");
            Write(Typed, static_cast<T>(Number));
        }
    };
    Info.Default = detail::ToPropValue<T>(Default);
    return Info;
}

// An enumeration, stored by name.
template <class C, class E>
TPropInfo EnumProperty(const std::string& sName, E (C::*Getter)() const, void (C::*Setter)(E), E Default,
                       TNames Names) {
    TPropInfo Info;
    Info.Name = sName;
    Info.Kind = TTypeKind::String;
    Info.Read = [sName, Getter, Names](const TComponent& Instance) {
        const C& Typed = detail::InstanceOf<C>(const_cast<TComponent&>(Instance), sName);
        return TPropValue(std::string(Names[static_cast<std::size_t>((Typed.*Getter)())]));
    };
    Info.Write = [sName, Setter, Names](TComponent& Instance, const TPropValue& Value) {
        const std::string& sValue = detail::Expect<std::string>(Value, sName);
        const int Index = NameIndex(Names, sValue);
        if (Index < 0) detail::RaisePropertyError(sName, "unknown value \"" + sValue + "\"");
        (detail::InstanceOf<C>(Instance, sName).*Setter)(static_cast<E>(Index));
    };
    Info.Default = TPropValue(std::string(Names[static_cast<std::size_t>(Default)]));
    return Info;
}

// A set of enumeration values (bit i for Names[i]), stored as "[name,name]".
template <class C>
TPropInfo SetProperty(const std::string& sName, unsigned (*Read)(const C&), void (*Write)(C&, unsigned),
                      unsigned Default, TNames Names) {
    TPropInfo Info;
    Info.Name = sName;
    Info.Kind = TTypeKind::String;
    Info.Read = [sName, Read, Names](const TComponent& Instance) {
        return TPropValue(
            SetToText(Names, Read(detail::InstanceOf<C>(const_cast<TComponent&>(Instance), sName))));
    };
    Info.Write = [sName, Write, Names](TComponent& Instance, const TPropValue& Value) {
        const unsigned Set = TextToSet(Names, detail::Expect<std::string>(Value, sName), sName);
        Write(detail::InstanceOf<C>(Instance, sName), Set);
    };
    Info.Default = TPropValue(SetToText(Names, Default));
    return Info;
}

// One field of the font: read it, or replace the whole font with the field changed.
template <class T, T TFont::*Field>
TPropInfo FontProperty(const std::string& sField) {
    const TFont Default;
    return FieldProperty<TControl, T>(
        "Font" + sField, [](const TControl& Control) { return Control.Font().*Field; },
        [](TControl& Control, T Value) {
            TFont Font = Control.Font();
            Font.*Field = std::move(Value);
            Control.SetFont(Font);
        },
        Default.*Field);
}

template <int32_t TSizeConstraints::*Field>
TPropInfo ConstraintProperty(const std::string& sField) {
    return FieldProperty<TControl, int32_t>(
        "Constraints" + sField, [](const TControl& Control) { return Control.Constraints().*Field; },
        [](TControl& Control, int32_t Value) {
            TSizeConstraints Constraints = Control.Constraints();
            Constraints.*Field = Value;
            Control.SetConstraints(Constraints);
        },
        0);
}

}  // namespace

const TClassInfo& TControl::StaticClassInfo() {
    static const TClassInfo Info{
        "TControl",
        &TComponent::StaticClassInfo(),
        {},
        {MakeProperty("Left", &TControl::Left, &TControl::SetLeft),
         MakeProperty("Top", &TControl::Top, &TControl::SetTop),
         MakeProperty("Width", &TControl::Width, &TControl::SetWidth),
         MakeProperty("Height", &TControl::Height, &TControl::SetHeight),
         MakeProperty("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault),
         MakeProperty("Hint", &TControl::Hint, &TControl::SetHint)},
    };
    return Info;
}

const TClassInfo& TWinControl::StaticClassInfo() {
    static const TClassInfo Info{"TWinControl", &TControl::StaticClassInfo(), {}, {}};
    return Info;
}

const TClassInfo& TForm::StaticClassInfo() {
    static const TClassInfo Info{
        "TForm",
        &TWinControl::StaticClassInfo(),
        [](TComponent* AOwner) -> TComponent* { return new TForm(AOwner); },
        {MakeProperty("Caption", &TControl::Text, &TControl::SetText)},
    };
    return Info;
}

const TClassInfo& TCustomEdit::StaticClassInfo() {
    static const TClassInfo Info{"TCustomEdit", &TWinControl::StaticClassInfo(), {}, {}};
    return Info;
}

std::vector<TPropInfo> TCustomEdit::EditProperties() {
    return {
        SetProperty<TControl>(
            "Anchors", [](const TControl& C) { return C.Anchors(); },
            [](TControl& C, unsigned Set) { C.SetAnchors(Set); }, DefaultAnchors, AnchorNames),
        MakeProperty("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, true),
        MakeProperty("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize, true),
        EnumProperty("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode, bdLeftToRight, BiDiModeNames),
        EnumProperty("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, bsSingle,
                     BorderStyleNames),
        EnumProperty("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, ecNormal, CharCaseNames),
        MakeProperty("Color", &TControl::Color, &TControl::SetColor, clWindow),
        ConstraintProperty<&TSizeConstraints::MaxHeight>("MaxHeight"),
        ConstraintProperty<&TSizeConstraints::MaxWidth>("MaxWidth"),
        ConstraintProperty<&TSizeConstraints::MinHeight>("MinHeight"),
        ConstraintProperty<&TSizeConstraints::MinWidth>("MinWidth"),
        MakeProperty("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D, true),
        MakeProperty("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor, crDrag),
        EnumProperty("DragKind", &TControl::DragKind, &TControl::SetDragKind, dkDrag, DragKindNames),
        EnumProperty("DragMode", &TControl::DragMode, &TControl::SetDragMode, dmManual, DragModeNames),
        MakeProperty("Enabled", &TControl::Enabled, &TControl::SetEnabled, true),
        FontProperty<int32_t, &TFont::Charset>("Charset"),
        FontProperty<TColor, &TFont::Color>("Color"),
        FontProperty<int32_t, &TFont::Height>("Height"),
        FontProperty<std::string, &TFont::Name>("Name"),
        SetProperty<TControl>(
            "FontStyle", [](const TControl& C) { return C.Font().Style; },
            [](TControl& C, unsigned Set) {
                TFont Font = C.Font();
                Font.Style = Set;
                C.SetFont(Font);
            },
            0, FontStyleNames),
        MakeProperty("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection, true),
        EnumProperty("ImeMode", &TWinControl::ImeMode, &TWinControl::SetImeMode, imDontCare, ImeModeNames),
        MakeProperty("ImeName", &TWinControl::ImeName, &TWinControl::SetImeName, std::string()),
        MakeProperty("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0),
        MakeProperty("OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert, false),
        MakeProperty("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode, true),
        MakeProperty("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, false),
        MakeProperty("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D, true),
        MakeProperty("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true),
        MakeProperty("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true),
        MakeProperty("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar, '\0'),
        MakeProperty("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu, nullptr),
        MakeProperty("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false),
        MakeProperty("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false),
        MakeProperty("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1),
        MakeProperty("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true),
        MakeProperty("Visible", &TControl::Visible, &TControl::SetVisible, true),
    };
}

}  // namespace rtl
