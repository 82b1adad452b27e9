// The math unit: elementary functions, statistics and Power in Extended precision.
#pragma once

#include "framework/Types.hpp"

namespace rtl {

Extended Power(Extended Base, Extended Exponent);

}  // namespace rtl
