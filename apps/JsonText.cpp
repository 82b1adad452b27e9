#include "apps/JsonText.hpp"

#include <ostream>

#include "framework/base/Utf8.hpp"

namespace quorix::calculator {

namespace {

void WriteUnicodeEscape(std::ostream& Out, char32_t CodePoint) {
    static constexpr char Hex[] = "0123456789abcdef";
    const char sEscape[] = {'\\', 'u', '0', '0', Hex[(CodePoint >> 4) & 15], Hex[CodePoint & 15]};
    Out.write(sEscape, sizeof sEscape);
}

}  // namespace

void WriteJsonString(std::ostream& Out, std::string_view sText) {
    Out.put('"');
    for (std::size_t i = 0; i < sText.size();) {
        char32_t CodePoint = 0;
        const std::size_t iLength = rtl::Utf8SequenceAt(sText, i, CodePoint);
        if (iLength == 0) {
            Out << "\xEF\xBF\xBD";  // U+FFFD, the replacement character
            ++i;
            continue;
        }
        switch (CodePoint) {
            case '"': Out << "\\\""; break;
            case '\\': Out << "\\\\"; break;
            case '\b': Out << "\\b"; break;
            case '\f': Out << "\\f"; break;
            case '\n': Out << "\\n"; break;
            case '\r': Out << "\\r"; break;
            case '\t': Out << "\\t"; break;
            default:
                if (CodePoint < 0x20 || (CodePoint >= 0x7F && CodePoint < 0xA0))
                    WriteUnicodeEscape(Out, CodePoint);
                else Out.write(sText.data() + i, static_cast<std::streamsize>(iLength));
        }
        i += iLength;
    }
    Out.put('"');
}

}  // namespace quorix::calculator
