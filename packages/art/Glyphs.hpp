// The pictures the packages carry: one 24 x 24 palette glyph per registered class,
// named by the upper-cased class name, and the 32 x 32 package icon.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "packages/art/Canvas.hpp"

namespace quorix::art {

inline constexpr int kGlyphSize = 24;
inline constexpr int kIconSize = 32;

// The glyph of a class ("TQUORIX", "TEXTPARSER", "TPARSEREDIT", "TDBPARSEREDIT").
std::optional<TCanvas> DrawGlyph(const std::string& sName);
std::vector<std::string> GlyphNames();
TCanvas DrawPackageIcon();

}  // namespace quorix::art
