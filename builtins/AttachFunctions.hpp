// Attaches the everyday functions (see Everyday.hpp) to an engine of this flavour,
// TExtParser or a plain TQuorix, through its documented list and event.
#pragma once

#include "engine/Quorix.hpp"

namespace quorix {

// Adds the everyday functions' names to Engine's Functions and answers them in its
// OnGetFunction; any other name goes on to the handler Engine had before. A refused
// call reports its code (100-103) through OnError like a built-in. Attach after
// setting an OnGetFunction handler of your own, which this one then calls.
void AttachEverydayFunctions(TQuorix& Engine);

}  // namespace quorix
