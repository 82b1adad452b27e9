// UTF-8 helpers, for the control layer, where positions count characters, and for
// programs that show foreign text. Stored text
// may hold invalid bytes; each of them counts as one character so that no position
// ever splits a valid sequence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rtl {

// Length of the valid UTF-8 sequence at byte i of S, with its code point in
// CodePoint; 0 when the bytes there are no character (overlong, surrogate, cut off).
std::size_t Utf8SequenceAt(std::string_view S, std::size_t i, char32_t& CodePoint);
// Number of characters in S.
int Utf8Length(const std::string& S);
// Byte offset of character iIndex (0 <= iIndex <= Utf8Length(S)).
std::size_t Utf8Offset(const std::string& S, int iIndex);
// The code points of S; false when S is not valid UTF-8.
bool DecodeUtf8(const std::string& S, std::vector<char32_t>& CodePoints);
// The UTF-8 form of a code point; empty for a surrogate or a value above U+10FFFF.
std::string EncodeUtf8(char32_t CodePoint);

}  // namespace rtl
