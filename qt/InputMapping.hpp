// Qt's input in the control layer's terms: key codes, shift states, and text
// positions (the control counts code points, Qt counts UTF-16 units).
#pragma once

#include <cstdint>
#include <optional>

#include <QString>
#include <Qt>

#include "framework/controls/Controls.hpp"

class QKeyEvent;

namespace quorix::qt {

struct TControlKey {
    uint16_t Key = 0;
    rtl::TShiftState Shift = 0;
};

rtl::TShiftState ShiftState(Qt::KeyboardModifiers Modifiers);
// The control's key code for an editing or command key; none for keys that type text
// or that the control does not know.
std::optional<TControlKey> ControlKey(const QKeyEvent& Event);
// Text that a key types: not empty and free of control characters.
bool IsTypedText(const QString& sText);

int CodePointsBefore(const QString& sText, int iUnits);
int UnitsBefore(const QString& sText, int iCodePoints);

}  // namespace quorix::qt
