// Internal to the math unit: the 80-bit Extended format taken apart and put together.
// Its significand is 64 bits with an explicit leading bit, its exponent 15 bits with a
// bias of 16383; a zero exponent field holds the denormals.
#pragma once

#include <cstdint>
#include <cstring>

#include "framework/Types.hpp"

namespace rtl::bits {

inline constexpr int kExponentBias = 16383;
inline constexpr int kMinNormalExponent = -16382;
inline constexpr int kMaxExponent = 16383;

// |x| = iSignificand * 2^(iExponent - 63), the leading bit of iSignificand set.
struct TUnpacked {
    std::uint64_t iSignificand;
    int iExponent;
};

struct TRaw {
    std::uint64_t iSignificand;
    std::uint16_t iSignAndExponent;
};

inline TRaw RawOf(Extended x) {
    TRaw raw{};
    std::memcpy(&raw, &x, 10);
    return raw;
}

inline Extended FromRaw(std::uint64_t iSignificand, std::uint16_t iSignAndExponent) {
    Extended x = 0;
    const TRaw raw{iSignificand, iSignAndExponent};
    std::memcpy(&x, &raw, 10);
    return x;
}

// A finite non-zero x, denormals normalised.
inline TUnpacked Unpacked(Extended x) {
    const TRaw raw = RawOf(x);
    const int iField = raw.iSignAndExponent & 0x7FFF;
    if (iField != 0) return {raw.iSignificand, iField - kExponentBias};
    const int iShift = __builtin_clzll(raw.iSignificand);
    return {raw.iSignificand << iShift, kMinNormalExponent - iShift};
}

// The exponent of a finite non-zero x: 2^e <= |x| < 2^(e+1).
inline int ExponentOf(Extended x) { return Unpacked(x).iExponent; }

// 2^e for e in the normal range.
inline Extended PowerOfTwo(int e) {
    return FromRaw(std::uint64_t(1) << 63, std::uint16_t(e + kExponentBias));
}

}  // namespace rtl::bits
