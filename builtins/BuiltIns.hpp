// The catalogue of TExtParser's built-in functions: for each, how many arguments it
// takes, which kind each must be, which values lie outside its domain, and how the
// arguments reach the framework routine that computes it. One dispatcher, Call, runs
// these tests in their fixed order for every row, the everyday functions' included.
#pragma once

#include <climits>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "builtins/FunctionCodes.hpp"
#include "engine/core/ResolvedCall.hpp"
#include "engine/core/Tie.hpp"
#include "framework/base/Types.hpp"
#include "framework/math/Finance.hpp"

namespace quorix::builtins {

using core::rParam;

// The argument tests (TExtParser publishes them too). A string argument's value
// reads as 0.
bool IsString(const rParam& Param);
// A number without a fractional part, of any size.
bool IsInteger(const rParam& Param);
// A string that reads START or END in any letter case, with nothing around it.
bool IsPaymentTime(const rParam& Param);
// END gives the end of the period, anything else its start.
rtl::TPaymentTime GetPayment(const rParam& Param);

// Argument positions are 1-based, as written. Two stand-ins count from the end, for
// rows whose last argument is special.
inline constexpr int kLast = -1;        // the last argument written
inline constexpr int kBeforeLast = -2;  // the one before it

// The position an argument stand-in refers to in a call with ParCount arguments;
// positions below 1 or above ParCount refer to nothing, and their tests are skipped.
int ResolvePosition(int iPosition, int ParCount);

enum class TKind { Number, Whole, PaymentTime };

// Arguments iFirst to iLast must be of the kind (else 100).
struct TKindTest {
    TKind Kind;
    int iFirst;
    int iLast;
};

// Fails(value at iPosition, value at iOther) gives iCode; iOther 0 for a test of one
// argument. Skipped when a position lies beyond the arguments written.
using core::TDomainTest;

// A call's arguments in the forms the routines take them. Lists go through one buffer
// of doubles that belongs to the call and is released with it, however the call ends.
class TCallArguments {
public:
    TCallArguments(std::span<const rParam> arrPar, int ParCount);
    rtl::Extended Number(int iPosition) const;
    int Whole(int iPosition) const;  // truncated; beyond 32 bits raises EOverflow
    rtl::TPaymentTime Payment(int iPosition) const;
    int Count() const { return FParCount; }
    // Arguments iFirst to iLast as doubles; a value beyond the double range raises
    // EOverflow rather than turning into an infinity.
    std::span<const double> List(int iFirst, int iLast);

private:
    const rParam& At(int iPosition) const;

    std::span<const rParam> FParams;
    int FParCount;
    std::vector<double> FListBuffer;
};

struct TBuiltIn {
    TBuiltInSignature Signature;
    std::string sUpperName;
    bool bCountTested;  // false for the constants: any arguments, all ignored
    int iMinCount;
    int iMaxCount;
    std::vector<TKindTest> KindTests;
    std::vector<TDomainTest> DomainTests;
    std::function<rtl::Extended(TCallArguments& Args)> Compute;
    // Compute's routine with DomainTests, for a row of one or two numbers or a constant
    // whose value depends on its numbers alone. Empty for every other row.
    core::TPureCall Pure{};
};

// The row shapes the catalogues are written in.
using TUnary = rtl::Extended (*)(rtl::Extended);
using TBinary = rtl::Extended (*)(rtl::Extended, rtl::Extended);
using TNullary = rtl::Extended (*)();
inline constexpr int kUnbounded = INT_MAX;
TBuiltIn OneNumber(TBuiltInSignature Signature, TUnary Routine, std::vector<TDomainTest> Domain = {});
TBuiltIn TwoNumbers(TBuiltInSignature Signature, TBinary Routine, std::vector<TDomainTest> Domain = {});
// A row whose value differs from call to call: it has no pure routine.
TBuiltIn Impure(TBuiltIn Row);
// At least one number, no maximum; Compute reads them through its arguments.
TBuiltIn Numbers(TBuiltInSignature Signature, std::function<rtl::Extended(TCallArguments& Args)> Compute);

// Runs Row for a call: the count, kind and domain tests, each failing one replacing
// the code of the one before; the last failing code goes to iErrCode and Result
// stays 0. Only a call that passes them all computes, and the routine's exceptions
// pass through.
void Call(const TBuiltIn& Row, std::span<const rParam> arrPar, int ParCount, int& iErrCode,
          rtl::Extended& Result);

// All 54, in registration order.
std::span<const TBuiltIn> BuiltIns();

// The row whose upper-case name is exactly sUpperName, or nullptr.
const TBuiltIn* FindBuiltIn(const std::string& sUpperName);

}  // namespace quorix::builtins
