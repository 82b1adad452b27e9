#include "framework/base/Utf8.hpp"

namespace rtl {

namespace {

// Length of the character at S[i]: its valid sequence, else the single byte.
std::size_t CharacterAt(const std::string& S, std::size_t i) {
    char32_t Ignored;
    const std::size_t Length = Utf8SequenceAt(S, i, Ignored);
    return Length ? Length : 1;
}

}  // namespace

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
    char Bytes[MaxUtf8Length];
    return std::string(Bytes, EncodeUtf8(CodePoint, Bytes));
}

}  // namespace rtl
