#include "framework/math/Random.hpp"

#include <chrono>
#include <cmath>

#include "framework/math/Math.hpp"

namespace rtl {

std::uint64_t RandSeed = 0;

namespace {

// SplitMix64: the seed walks by a fixed odd step and each step is scrambled, so every
// 64-bit seed, 0 included, starts a full-period sequence of well-mixed outputs.
std::uint64_t NextBits() {
    std::uint64_t z = (RandSeed += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

void Randomize() {
    RandSeed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

Extended Random() {
    // 64 random bits fit the Extended significand exactly, and 2^-64 scales them
    // below 1.
    return Extended(NextBits()) * 0x1p-64L;
}

Extended RandG(Extended Mean, Extended StdDev) {
    Extended u, v, s;
    do {
        u = 2 * Random() - 1;
        v = 2 * Random() - 1;
        s = u * u + v * v;
    } while (s >= 1 || s == 0);
    return FiniteOrRaise(Mean + StdDev * u * std::sqrt(-2 * Ln(s) / s));
}

}  // namespace rtl
