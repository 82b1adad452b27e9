#include "builtins/ErrorMessages.hpp"

#include "builtins/FunctionCodes.hpp"
#include "engine/Quorix.hpp"

namespace quorix {

namespace {

constexpr const char* sOperand = "operator or operand missing";
constexpr const char* sNoClosing = "missing closing parenthesis";
constexpr const char* sNoOpening = "missing opening parenthesis";
constexpr const char* sUnknownName = "unknown name";
constexpr const char* sOpenString = "unterminated string";
constexpr const char* sDivisionByZero = "division by zero";
constexpr const char* sTooDeep = "calls nested too deeply";

// The function libraries' codes, the same in both flavours; null for any other code.
const char* FunctionMessage(int iErrCode) {
    switch (iErrCode) {
        case epWrongKind: return "wrong kind of argument";
        case epOutOfDomain: return "argument out of the function's domain";
        case epTooFewArguments: return "too few arguments";
        case epTooManyArguments: return "too many arguments";
        default: return nullptr;
    }
}

const char* FunctionMessageOr(int iErrCode, const char* sOther) {
    const char* sText = FunctionMessage(iErrCode);
    return sText ? sText : sOther;
}

}  // namespace

std::string FunctionErrorText(int iErrCode) { return FunctionMessageOr(iErrCode, ""); }

const char* ErrorMessage(int iErrCode) {
    switch (iErrCode) {
        case qeOperand: return sOperand;
        case qeNoClosing: return sNoClosing;
        case qeNoOpening: return sNoOpening;
        case qeUnknownName: return sUnknownName;
        case qeOpenString: return sOpenString;
        case qeDivisionByZero: return sDivisionByZero;
        case qeTooDeep: return sTooDeep;
        default: return FunctionMessageOr(iErrCode, "function failed");
    }
}

// The numbers of the variables flavour's TQuorixError, whose header cannot share a
// translation unit with the other flavour's; the tests of that flavour check each one.
const char* VarsErrorMessage(int iErrCode) {
    switch (iErrCode) {
        case 1: return sOperand;
        case 2: return sNoClosing;
        case 3: return sNoOpening;
        case 5: return "empty argument list";
        case 6: return "function without its argument list";
        case 7: return sUnknownName;
        case 8: return sOpenString;
        case 9: return sDivisionByZero;
        case 10: return sTooDeep;
        default: return FunctionMessageOr(iErrCode, "unknown error");
    }
}

}  // namespace quorix
