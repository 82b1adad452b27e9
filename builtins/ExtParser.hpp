// Unit ExtParser: TExtParser, the expression component with 54 built-in functions
// (trigonometry, logarithms, rounding, statistics over lists, finance, Pi and Random).
//
// Every call runs through one dispatcher: the count of arguments is tested, then their
// kinds, then the function's domain; each failing test replaces the error code of the
// one before, so the last failure is the one reported. Only a call that passes every
// test reaches the framework's routine, whose failures (an overflow, say) propagate
// as exceptions.
#pragma once

#include <span>
#include <string>

#include "builtins/FunctionCodes.hpp"
#include "engine/Quorix.hpp"
#include "framework/base/Types.hpp"
#include "framework/math/Finance.hpp"

namespace quorix {

class TExtParser : public TQuorix {
public:
    explicit TExtParser(rtl::TComponent* AOwner);

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // The 54 functions in the order they are registered.
    static std::span<const TBuiltInSignature> BuiltInSignatures();

    // Argument tests. A string argument's value reads as 0.
    static bool IsString(const rParam& Param);
    // A number without a fractional part, of any size.
    static bool IsInteger(const rParam& Param);
    // A string that reads START or END in any letter case, with nothing around it.
    static bool IsPaymentTime(const rParam& Param);
    // END gives the end of the period, anything else its start.
    static rtl::TPaymentTime GetPayment(const rParam& Param);

protected:
    void GetFunBuildIn(const std::string& sName, std::span<const rParam> arrPar, int ParCount, int& iErrCode,
                       rtl::Extended& Result) override;
    // Only for this very class: a subclass may answer a built-in otherwise through its
    // own GetFunBuildIn, which must then be asked.
    const void* FindBuildIn(const std::string& sUpperName) const override;
    void CallBuildIn(const void* pBuildIn, std::span<const rParam> arrPar, int ParCount, int& iErrCode,
                     rtl::Extended& Result) override;
    // Only for a handle of this very class's FindBuildIn, and only for rows whose
    // value depends on their numbers alone (not Random, not lists or whole numbers).
    const core::TPureCall* PureBuildIn(const void* pBuildIn) const override;
};

}  // namespace quorix
