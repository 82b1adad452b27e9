// What every function library shares, whichever engine flavour it serves: the error
// codes of a refused call, a function's signature for help texts, and the exception
// that carries a refused call out of an engine whose function event has no error code.
#pragma once

#include <string>

#include "framework/base/Exceptions.hpp"

namespace quorix {

// The libraries' error codes, above the engines' own.
enum TExtParserError : int {
    epWrongKind = 100,    // a string, a fraction or a bad payment time where it may not be
    epOutOfDomain = 101,  // outside the function's domain
    epTooFewArguments = 102,
    epTooManyArguments = 103,
};

// The words for one of the codes above; empty for any other code.
std::string FunctionErrorText(int iErrCode);

// One function as a user writes it: its name and its arguments, for help texts.
struct TBuiltInSignature {
    const char* sName;
    const char* sArguments;  // separated by "; ", empty for none
};

// A call refused with one of the codes above, where the engine has no error code to
// report it by (the variables flavour): Calc raises it, with the code and the name.
class EFunctionArgument : public rtl::Exception {
public:
    EFunctionArgument(int iErrCode, const std::string& sName)
        : rtl::Exception(sName + ": " + FunctionErrorText(iErrCode)), FErrCode(iErrCode) {}
    int ErrCode() const noexcept { return FErrCode; }

private:
    int FErrCode;
};

}  // namespace quorix
