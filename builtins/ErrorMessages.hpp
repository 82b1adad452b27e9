// The words a user reads for an error code handed to OnError: one text per condition,
// shared by the calculator, its JSON records and the Qt binding. The two engine
// flavours number their conditions differently, hence one lookup each; both know the
// function libraries' codes 100-103.
#pragma once

namespace quorix {

// A code of the engine with handlers (engine/Quorix.hpp). Any other code is one a
// function answered with: "function failed".
const char* ErrorMessage(int iErrCode);

// A code of the variables flavour (engine_vars/Quorix.hpp). It reports no codes of its
// functions, so any other code is "unknown error".
const char* VarsErrorMessage(int iErrCode);

}  // namespace quorix
