// The process-wide random number generator.
//
// The whole state is RandSeed, which starts at 0 so that a run is repeatable; setting it
// replays a sequence, and Randomize seeds it from the clock. Nothing in the framework
// seeds it by itself.
#pragma once

#include <cstdint>

#include "framework/base/Types.hpp"

namespace rtl {

extern std::uint64_t RandSeed;

void Randomize();  // seeds RandSeed from the clock

Extended Random();  // uniform in [0, 1), with all 64 bits of the significand random

// A normal deviate with the given mean and standard deviation (polar method), drawn
// from the same generator. An overflowing result raises EOverflow.
Extended RandG(Extended Mean, Extended StdDev);

}  // namespace rtl
