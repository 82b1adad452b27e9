// Internal to the math unit: the generated constants and tables of the trigonometric
// routines (see make_tables_trig.py beside this file).
#pragma once

#include <cstdint>

#include "framework/math/DoublePair.hpp"
#include "framework/math/Pair.hpp"

namespace rtl::trig {

// An Extended pair as the tables store it: hi in two halves of 32 bits, so that products
// with it need no split, and lo rounded to a double, 117 bits in all. Doubles also load
// much faster than Extended values.
struct TTableEntry {
    double hiHigh, hiLow, lo;

    Extended Hi() const { return Extended(hiHigh) + hiLow; }  // exact
    pair::TPair Halves() const { return {hiHigh, hiLow}; }
};

#include "framework/math/TrigTables.inc"

}  // namespace rtl::trig
