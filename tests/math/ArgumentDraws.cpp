#include "tests/math/ArgumentDraws.hpp"

#include <cmath>
#include <limits>

namespace quorix::mathcheck {

namespace {

// FNV-1a: unlike std::hash, the same on every platform.
uint64_t StableHash(std::string_view sText, uint64_t iHash = 0xCBF29CE484222325u) {
    for (unsigned char c : sText) iHash = (iHash ^ c) * 0x100000001B3u;
    return iHash;
}

}  // namespace

TDraws::TDraws(std::string_view sName, std::string_view sPurpose)
    : Generator(StableHash(sPurpose, StableHash(sName))) {}

int TDraws::Below(int n) { return int(Bits() % uint64_t(n)); }

Extended TDraws::Magnitude(int iLow, int iHigh) {
    const int iExponent = iLow + Below(iHigh - iLow + 1);
    const uint64_t iSignificand = Bits() | (uint64_t(1) << 63);
    return std::ldexp(Extended(iSignificand), iExponent - 63);
}

Extended TDraws::Signed(Extended X) { return Bits() & 1 ? -X : X; }

Extended TDraws::Uniform(Extended rLow, Extended rHigh) {
    const Extended rFraction = std::ldexp(Extended(Bits()), -64);
    return rLow + (rHigh - rLow) * rFraction;
}

Extended TDraws::Near(Extended X) {
    const Extended rToward =
        Bits() & 1 ? std::numeric_limits<Extended>::infinity() : -std::numeric_limits<Extended>::infinity();
    for (int iSteps = Below(9); iSteps > 0; --iSteps) X = std::nextafter(X, rToward);
    return X;
}

}  // namespace quorix::mathcheck
