// Attaches the function sets (see FunctionSets.hpp) to an engine of the variables
// flavour through its documented lists and events.
//
// This flavour's function event has no error code, so a refused call (a wrong kind or
// count of arguments, an argument outside the domain) raises EFunctionArgument with
// the code (100-103) and the function's name; Calc passes it on to its caller, like
// the exceptions of the math unit. The two constants, Pi and Random, are variables
// here, since this flavour wants an argument list after every function name.
#pragma once

#include "builtins/FunctionCodes.hpp"
#include "engine_vars/Quorix.hpp"

namespace quorix {
inline namespace gen5 {

// Adds the names of the 54 built-ins and, with bEveryday, of the everyday functions to
// Engine's Functions (the constants to its Variables) and answers them in
// OnGetFunction and OnGetVariable; other names go on to the handlers Engine had
// before. Attach after setting handlers of your own, which these then call.
void AttachFunctions(TQuorix& Engine, bool bEveryday = true);

}  // namespace gen5
}  // namespace quorix
