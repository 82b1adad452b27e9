// Upper-casing and case-insensitive comparison of names.
#pragma once

#include <string>

namespace rtl {

// ASCII a-z only; every other byte is unchanged.
std::string UpperCase(const std::string& S);

// Unicode simple upper-case mapping over UTF-8 text. Invalid byte sequences pass
// through unchanged and the result is never invalid UTF-8.
std::string AnsiUpperCase(const std::string& S);

// Comparison that folds letter case the way AnsiUpperCase does: -1, 0 or 1 as the
// upper-cased texts compare byte by byte (code point order for valid UTF-8).
int AnsiCompareText(const std::string& S1, const std::string& S2);
bool AnsiSameText(const std::string& S1, const std::string& S2);

}  // namespace rtl
