// The math routines under check, each with its MPFR reference and the arguments to try.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "tests/math/ArgumentDraws.hpp"
#include "tests/math/MpfrOracle.hpp"

namespace quorix::mathcheck {

struct TArguments {
    Extended A = 0, B = 0;  // B unused by routines of one argument
};

struct TRoutine {
    const char* sName;
    int iArity;
    Extended (*Ours)(Extended A, Extended B);
    TReference Reference;
    TArguments (*Draw)(TDraws& Draws);  // arguments over the whole domain and its edges
};

std::span<const TRoutine> Routines();
const TRoutine* FindRoutine(std::string_view sName);

// Our routine's value, or the failure it raised.
TResult Call(const TRoutine& Routine, TArguments Arguments);

// For messages: the call with its arguments, and a result, every bit shown.
std::string Describe(const TRoutine& Routine, TArguments Arguments);
std::string Describe(const TResult& Result);

}  // namespace quorix::mathcheck
