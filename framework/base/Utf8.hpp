// The framework's one UTF-8 codec: for the control layer, where positions count
// characters, for case folding, for the UTF-16 text of resources and for programs that
// show foreign text. Stored text may hold invalid bytes; each of them counts as one
// character so that no position ever splits a valid sequence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rtl {

// The codec itself is inline: the package runtime, a library of its own, uses it too.

// Length of the valid UTF-8 sequence at byte i of S, with its code point in
// CodePoint; 0 when the bytes there are no character (overlong, surrogate, cut off).
inline std::size_t Utf8SequenceAt(std::string_view S, std::size_t i, char32_t& CodePoint) {
    const auto Byte = [&](std::size_t k) { return static_cast<unsigned char>(S[k]); };
    const unsigned char Lead = Byte(i);
    if (Lead < 0x80) {
        CodePoint = Lead;
        return 1;
    }
    std::size_t Length;
    char32_t Min;
    if ((Lead & 0xE0) == 0xC0) {
        Length = 2;
        Min = 0x80;
        CodePoint = Lead & 0x1F;
    } else if ((Lead & 0xF0) == 0xE0) {
        Length = 3;
        Min = 0x800;
        CodePoint = Lead & 0x0F;
    } else if ((Lead & 0xF8) == 0xF0) {
        Length = 4;
        Min = 0x10000;
        CodePoint = Lead & 0x07;
    } else return 0;
    if (i + Length > S.size()) return 0;
    for (std::size_t k = 1; k < Length; ++k) {
        if ((Byte(i + k) & 0xC0) != 0x80) return 0;
        CodePoint = (CodePoint << 6) | (Byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not characters.
    if (CodePoint < Min || CodePoint > 0x10FFFF || (CodePoint >= 0xD800 && CodePoint <= 0xDFFF)) return 0;
    return Length;
}

// Longest UTF-8 sequence: the room EncodeUtf8 needs.
inline constexpr std::size_t MaxUtf8Length = 4;
// Writes the UTF-8 form of a code point to Out and returns its length; 0 (nothing
// written) for a surrogate or a value above U+10FFFF.
inline std::size_t EncodeUtf8(char32_t CodePoint, char (&Out)[MaxUtf8Length]) {
    const auto Put = [&](std::size_t k, char32_t Bits) { Out[k] = static_cast<char>(Bits); };
    if (CodePoint < 0x80) {
        Put(0, CodePoint);
        return 1;
    }
    if (CodePoint < 0x800) {
        Put(0, 0xC0 | (CodePoint >> 6));
        Put(1, 0x80 | (CodePoint & 0x3F));
        return 2;
    }
    if (CodePoint < 0x10000) {
        if (CodePoint >= 0xD800 && CodePoint <= 0xDFFF) return 0;
        Put(0, 0xE0 | (CodePoint >> 12));
        Put(1, 0x80 | ((CodePoint >> 6) & 0x3F));
        Put(2, 0x80 | (CodePoint & 0x3F));
        return 3;
    }
    if (CodePoint > 0x10FFFF) return 0;
    Put(0, 0xF0 | (CodePoint >> 18));
    Put(1, 0x80 | ((CodePoint >> 12) & 0x3F));
    Put(2, 0x80 | ((CodePoint >> 6) & 0x3F));
    Put(3, 0x80 | (CodePoint & 0x3F));
    return 4;
}

// Number of characters in S.
int Utf8Length(const std::string& S);
// Byte offset of character iIndex (0 <= iIndex <= Utf8Length(S)).
std::size_t Utf8Offset(const std::string& S, int iIndex);
// The code points of S; false when S is not valid UTF-8.
bool DecodeUtf8(const std::string& S, std::vector<char32_t>& CodePoints);
// The UTF-8 form of a code point; empty for a surrogate or a value above U+10FFFF.
std::string EncodeUtf8(char32_t CodePoint);

}  // namespace rtl
