// JSON strings written straight to a stream: no copy of the text is made, so that
// a record about a long expression can be written when memory has run short.
#pragma once

#include <iosfwd>
#include <string_view>

namespace quorix::calculator {

// Writes sText as a JSON string in quotes. Control characters, DEL and the C1
// controls are written as \u escapes; a byte that is not UTF-8 becomes U+FFFD.
void WriteJsonString(std::ostream& Out, std::string_view sText);

}  // namespace quorix::calculator
