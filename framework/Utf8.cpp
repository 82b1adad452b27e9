#include "framework/Utf8.hpp"

namespace rtl {

namespace {

// Length of the character at S[i]: its valid sequence, else the single byte.
std::size_t CharacterAt(const std::string& S, std::size_t i) {
    char32_t Ignored;
    const std::size_t Length = Utf8SequenceAt(S, i, Ignored);
    return Length ? Length : 1;
}

}  // namespace

std::size_t Utf8SequenceAt(std::string_view S, std::size_t i, char32_t& CodePoint) {
    const auto Byte = [&](std::size_t k) { return static_cast<unsigned char>(S[k]); };
    const unsigned char Lead = Byte(i);
    if (Lead < 0x80) {
        CodePoint = Lead;
        return 1;
    }
    std::size_t Length;
    char32_t Min;
    if ((Lead & 0xE0) == 0xC0) { Length = 2; Min = 0x80; CodePoint = Lead & 0x1F; }
    else if ((Lead & 0xF0) == 0xE0) { Length = 3; Min = 0x800; CodePoint = Lead & 0x0F; }
    else if ((Lead & 0xF8) == 0xF0) { Length = 4; Min = 0x10000; CodePoint = Lead & 0x07; }
    else return 0;
    if (i + Length > S.size()) return 0;
    for (std::size_t k = 1; k < Length; ++k) {
        if ((Byte(i + k) & 0xC0) != 0x80) return 0;
        CodePoint = (CodePoint << 6) | (Byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not characters.
    if (CodePoint < Min || CodePoint > 0x10FFFF || (CodePoint >= 0xD800 && CodePoint <= 0xDFFF))
        return 0;
    return Length;
}

int Utf8Length(const std::string& S) {
    int Count = 0;
    for (std::size_t i = 0; i < S.size(); i += CharacterAt(S, i)) ++Count;
    return Count;
}

std::size_t Utf8Offset(const std::string& S, int iIndex) {
    std::size_t i = 0;
    for (int k = 0; k < iIndex && i < S.size(); ++k) i += CharacterAt(S, i);
    return i;
}

bool DecodeUtf8(const std::string& S, std::vector<char32_t>& CodePoints) {
    CodePoints.clear();
    for (std::size_t i = 0; i < S.size();) {
        char32_t CodePoint;
        const std::size_t Length = Utf8SequenceAt(S, i, CodePoint);
        if (!Length) return false;
        CodePoints.push_back(CodePoint);
        i += Length;
    }
    return true;
}

std::string EncodeUtf8(char32_t CodePoint) {
    std::string S;
    if (CodePoint < 0x80) {
        S += static_cast<char>(CodePoint);
    } else if (CodePoint < 0x800) {
        S += static_cast<char>(0xC0 | (CodePoint >> 6));
        S += static_cast<char>(0x80 | (CodePoint & 0x3F));
    } else if (CodePoint < 0x10000) {
        if (CodePoint >= 0xD800 && CodePoint <= 0xDFFF) return {};
        S += static_cast<char>(0xE0 | (CodePoint >> 12));
        S += static_cast<char>(0x80 | ((CodePoint >> 6) & 0x3F));
        S += static_cast<char>(0x80 | (CodePoint & 0x3F));
    } else if (CodePoint <= 0x10FFFF) {
        S += static_cast<char>(0xF0 | (CodePoint >> 18));
        S += static_cast<char>(0x80 | ((CodePoint >> 12) & 0x3F));
        S += static_cast<char>(0x80 | ((CodePoint >> 6) & 0x3F));
        S += static_cast<char>(0x80 | (CodePoint & 0x3F));
    }
    return S;
}

}  // namespace rtl
