#include "apps/ReportText.hpp"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <typeinfo>

#include "framework/base/Utf8.hpp"

namespace quorix::calculator {

namespace {

// Room for the longest escape, "\u009b", and its end.
struct TEscape {
    char sText[8] = {};
    std::size_t iLength = 0;
};

TEscape HexEscape(const char* sPrefix, unsigned Value) {
    static constexpr char Hex[] = "0123456789abcdef";
    TEscape Escape;
    for (const char* p = sPrefix; *p; ++p) Escape.sText[Escape.iLength++] = *p;
    Escape.sText[Escape.iLength++] = Hex[(Value >> 4) & 15];
    Escape.sText[Escape.iLength++] = Hex[Value & 15];
    return Escape;
}

// The character at byte i of sText: its length in bytes, and in Escape how it is
// shown when it must not reach a terminal as it is (Escape.iLength 0: as it is).
std::size_t CharacterAt(std::string_view sText, std::size_t i, TEscape& Escape) {
    char32_t CodePoint = 0;
    const std::size_t iLength = rtl::Utf8SequenceAt(sText, i, CodePoint);
    Escape = {};
    if (iLength == 0) {
        Escape = HexEscape("\\x", static_cast<unsigned char>(sText[i]));
        return 1;
    }
    if ((CodePoint < 0x20 && CodePoint != '\t') || CodePoint == 0x7F) Escape = HexEscape("\\x", CodePoint);
    if (CodePoint >= 0x80 && CodePoint < 0xA0) Escape = HexEscape("\\u00", CodePoint);
    return iLength;
}

std::string ExceptionClassName(const std::exception& E) {
    const char* sMangled = typeid(E).name();
    int iStatus = 0;
    const std::unique_ptr<char, decltype(&std::free)> Demangled(
        abi::__cxa_demangle(sMangled, nullptr, nullptr, &iStatus), &std::free);
    std::string sName = iStatus == 0 && Demangled ? Demangled.get() : sMangled;
    const std::size_t iColon = sName.rfind("::");
    return iColon == std::string::npos ? sName : sName.substr(iColon + 2);
}

}  // namespace

TExceptionText DescribeException(const std::exception& E) noexcept {
    try {
        return {ExceptionClassName(E), E.what()};
    } catch (...) {
        return {"bad_alloc", "std::bad_alloc"};  // only memory can run out here
    }
}

void WriteEchoed(std::ostream& Out, std::string_view sText) {
    TEscape Escape;
    for (std::size_t i = 0; i < sText.size();) {
        const std::size_t iLength = CharacterAt(sText, i, Escape);
        if (Escape.iLength) Out.write(Escape.sText, static_cast<std::streamsize>(Escape.iLength));
        else Out.write(sText.data() + i, static_cast<std::streamsize>(iLength));
        i += iLength;
    }
}

void WriteCaretLine(std::ostream& Out, std::string_view sText, int iPos) {
    const std::size_t iEnd = std::min(static_cast<std::size_t>(std::max(iPos, 0)), sText.size());
    TEscape Escape;
    for (std::size_t i = 0; i < iEnd;) {
        const bool bTab = sText[i] == '\t';
        i += CharacterAt(sText, i, Escape);
        if (bTab) Out.put('\t');
        else
            for (std::size_t k = std::max<std::size_t>(Escape.iLength, 1); k > 0; --k) Out.put(' ');
    }
    Out.put('^');
}

void WriteErrorReport(std::ostream& Err, std::string_view sExpression, int iPos, int iErrCode,
                      std::string_view sMessage) {
    Err << "quorix: error " << iErrCode << " at " << iPos << ": " << sMessage << '\n';
    WriteEchoed(Err, sExpression);
    Err << '\n';
    WriteCaretLine(Err, sExpression, iPos);
    Err << '\n';
}

void WriteExceptionReport(std::ostream& Err, std::string_view sExpression, std::string_view sClass,
                          std::string_view sMessage) {
    Err << "quorix: exception " << sClass << ": ";
    WriteEchoed(Err, sMessage);
    Err << '\n';
    WriteEchoed(Err, sExpression);
    Err << '\n';
}

}  // namespace quorix::calculator
