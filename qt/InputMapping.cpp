#include "qt/InputMapping.hpp"

#include <QKeyEvent>

namespace quorix::qt {

rtl::TShiftState ShiftState(Qt::KeyboardModifiers Modifiers) {
    rtl::TShiftState Shift = 0;
    if (Modifiers & Qt::ShiftModifier) Shift |= rtl::ssShift;
    if (Modifiers & Qt::ControlModifier) Shift |= rtl::ssCtrl;
    if (Modifiers & Qt::AltModifier) Shift |= rtl::ssAlt;
    return Shift;
}

std::optional<TControlKey> ControlKey(const QKeyEvent& Event) {
    const rtl::TShiftState Shift = ShiftState(Event.modifiers());
    switch (Event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: return TControlKey{rtl::VK_RETURN, Shift};
        case Qt::Key_Escape: return TControlKey{rtl::VK_ESCAPE, Shift};
        case Qt::Key_Backspace: return TControlKey{rtl::VK_BACK, Shift};
        case Qt::Key_Delete: return TControlKey{rtl::VK_DELETE, Shift};
        case Qt::Key_Left: return TControlKey{rtl::VK_LEFT, Shift};
        case Qt::Key_Right: return TControlKey{rtl::VK_RIGHT, Shift};
        case Qt::Key_Home: return TControlKey{rtl::VK_HOME, Shift};
        case Qt::Key_End: return TControlKey{rtl::VK_END, Shift};
        default: return std::nullopt;
    }
}

bool IsTypedText(const QString& sText) {
    if (sText.isEmpty()) return false;
    for (const QChar Character : sText)
        if (Character.category() == QChar::Other_Control) return false;
    return true;
}

int CodePointsBefore(const QString& sText, int iUnits) {
    int iCount = 0;
    for (int i = 0; i < iUnits && i < sText.size(); ++i)
        if (!sText.at(i).isLowSurrogate()) ++iCount;
    return iCount;
}

int UnitsBefore(const QString& sText, int iCodePoints) {
    int i = 0;
    for (int iCount = 0; iCount < iCodePoints && i < sText.size(); ++iCount)
        i += sText.at(i).isHighSurrogate() && i + 1 < sText.size() ? 2 : 1;
    return i;
}

}  // namespace quorix::qt
