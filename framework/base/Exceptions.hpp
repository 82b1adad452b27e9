// The framework's exception hierarchy. Everything derives from rtl::Exception so a
// caller can catch the framework's failures in one place and read Message().
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace rtl {

class Exception : public std::exception {
public:
    explicit Exception(std::string sMessage) : FMessage(std::move(sMessage)) {}
    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// The exception classes below only inherit their base's constructors: one line each.
// clang-format off

// A text is not a number (StrToFloat and friends).
class EConvertError : public Exception { public: using Exception::Exception; };

// Floating-point failures of the framework's arithmetic and math routines.
class EMathError : public Exception { public: using Exception::Exception; };
class EOverflow : public EMathError { public: using EMathError::EMathError; };
class EZeroDivide : public EMathError { public: using EMathError::EMathError; };
class EInvalidOp : public EMathError { public: using EMathError::EMathError; };
class EInvalidArgument : public EMathError { public: using EMathError::EMathError; };

// An index outside a list.
class EListError : public Exception { public: using Exception::Exception; };

// Malformed input to the component reader; the message carries the line number.
class EReadError : public Exception { public: using Exception::Exception; };

// A failure of the data layer, carrying the database's own message.
class EDatabaseError : public Exception { public: using Exception::Exception; };

// A package that cannot be loaded or bound.
class EPackageError : public Exception { public: using Exception::Exception; };
// clang-format on

}  // namespace rtl
