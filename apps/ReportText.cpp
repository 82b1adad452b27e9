#include "apps/ReportText.hpp"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <typeinfo>

namespace quorix::calculator {

std::string ExceptionClassName(const std::exception& E) {
    const char* sMangled = typeid(E).name();
    int iStatus = 0;
    const std::unique_ptr<char, decltype(&std::free)> Demangled(abi::__cxa_demangle(sMangled, nullptr, nullptr, &iStatus),
                                                                &std::free);
    std::string sName = iStatus == 0 && Demangled ? Demangled.get() : sMangled;
    const std::size_t iColon = sName.rfind("::");
    return iColon == std::string::npos ? sName : sName.substr(iColon + 2);
}

std::string CaretLine(const std::string& sText, int iPos) {
    std::string sLine;
    const std::size_t iEnd = std::min(static_cast<std::size_t>(std::max(iPos, 0)), sText.size());
    for (std::size_t i = 0; i < iEnd; ++i) {
        const unsigned char c = static_cast<unsigned char>(sText[i]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte shares its character's column
        sLine += c == '\t' ? '\t' : ' ';
    }
    return sLine + '^';
}

void WriteErrorReport(std::ostream& Err, const std::string& sExpression, int iPos, int iErrCode,
                      const std::string& sMessage) {
    Err << "quorix: error " << iErrCode << " at " << iPos << ": " << sMessage << '\n'
        << sExpression << '\n'
        << CaretLine(sExpression, iPos) << '\n';
}

void WriteExceptionReport(std::ostream& Err, const std::string& sExpression, const std::string& sClass,
                          const std::string& sMessage) {
    Err << "quorix: exception " << sClass << ": " << sMessage << '\n' << sExpression << '\n';
}

}  // namespace quorix::calculator
