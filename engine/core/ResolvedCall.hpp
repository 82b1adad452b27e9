// What a flavour resolves a call to when a program is linked: the handle its rules'
// Call takes, and, for a call that computes from its numbers alone, the routine a
// quick form may run in the call's place. The caller's own routines, bound to
// function names, are such routines too.
#pragma once

#include <vector>

#include "engine/core/Tie.hpp"
#include "framework/base/Types.hpp"

namespace quorix::core {

// A test of a call's arguments: Fails(the value at iPosition, the value at iOther, or
// 0 when iOther is 0) means the call lies outside its routine's domain and is
// reported with iCode. Positions count from 1, as written.
struct TDomainTest {
    int iPosition;
    int iOther;
    bool (*Fails)(rtl::Extended rFirst, rtl::Extended rSecond);
    int iCode;
};

// A routine of no, one or two numbers that has no effect but its value, the same for
// the same numbers, and, unless bResultTested, never returns a value that is not
// finite for finite numbers (it raises the framework's math errors instead). The call
// it answers passes its checks when it has exactly Arity() numeric arguments and none
// of Tests fails; any other call of it is the flavour's to check and report.
struct TPureCall {
    rtl::Extended (*Nullary)() = nullptr;
    rtl::Extended (*Unary)(rtl::Extended) = nullptr;
    rtl::Extended (*Binary)(rtl::Extended, rtl::Extended) = nullptr;
    std::vector<TDomainTest> Tests{};
    // A routine of the caller's: a value it gives that is not finite raises as a
    // handler's would.
    bool bResultTested = false;

    bool Exists() const { return Nullary || Unary || Binary; }
    int Arity() const { return Binary ? 2 : Unary ? 1 : 0; }
};

// Whether the call at Tie has exactly Routine's count of arguments, all of them
// numbers written out (no string, none left empty).
inline bool TakesNumbers(const TPureCall& Routine, const TTie& Tie) {
    if (Tie.iParCount != Routine.Arity()) return false;
    for (const rParam& Arg : Tie.arrParams)
        if (Arg.bIsString || !Arg.pTie) return false;
    return true;
}

struct TResolvedCall {
    const void* pHandle = nullptr;     // reaches the rules' Call with the node
    const TPureCall* pPure = nullptr;  // lives as long as the component
};

}  // namespace quorix::core
