// The function libraries as sets an application attaches to an engine of either
// flavour through its function event: the 54 built-ins of TExtParser and the everyday
// functions (Sqrt, Exp, Ln, Abs, Round, Min, Max, Mod, ...; see Everyday.hpp).
// Names are matched in upper case, as both engines hand them to the event; arguments
// are tested as the built-ins test theirs, with the codes of FunctionCodes.hpp.
//
// For TExtParser and the engine flavour see AttachFunctions.hpp; for the variables
// flavour, VarsFunctions.hpp.
#pragma once

#include <span>
#include <string>

#include "builtins/FunctionCodes.hpp"
#include "engine/core/Tie.hpp"
#include "framework/base/Types.hpp"

namespace quorix::functions {

enum class TFunctionSet { BuiltIns, Everyday };

std::span<const TBuiltInSignature> Signatures(TFunctionSet Set);

// Evaluates the function sUpperName of Set into Result, or stores the code of a refused
// call in iErrCode (Result 0). False, and nothing changed, when Set has no such name.
// A failure of the computation itself raises, as the math unit does.
bool Call(TFunctionSet Set, const std::string& sUpperName, std::span<const core::rParam> arrPar, int ParCount,
          int& iErrCode, rtl::Extended& Result);

}  // namespace quorix::functions
