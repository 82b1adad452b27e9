// The packages' palette glyphs as Qt icons.
#pragma once

#include <string>

#include <QIcon>

namespace quorix::qt {

// The glyph named by an upper-cased class name ("TPARSEREDIT"), drawn and encoded as
// the packages carry it; a null icon for a name without a glyph.
QIcon GlyphIcon(const std::string& sName);

}  // namespace quorix::qt
