// The process-wide random number generator.
#pragma once

#include "framework/Types.hpp"

namespace rtl {

Extended Random();  // uniform in [0, 1)

}  // namespace rtl
