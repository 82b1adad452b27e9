// Internal to the math unit: the generated constants and tables of the trigonometric
// routines (see make_tables_trig.py beside this file).
#pragma once

#include <cstdint>

#include "framework/math/Pair.hpp"

namespace rtl::trig {

#include "framework/math/TrigTables.inc"

}  // namespace rtl::trig
