// Internal to the math unit: the 80-bit Extended format taken apart and scaled by powers
// of two. Its significand is 64 bits with an explicit leading bit, its exponent 15 bits
// with a bias of 16383; a zero exponent field holds the denormals.
//
// Values are taken apart on the x87 itself (fxtract) and scaled by multiplying with
// powers of two (fscale beyond the double range): an 80-bit store or load through
// memory is far slower on current processors than the arithmetic around it.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "framework/base/Types.hpp"

namespace rtl::bits {

inline constexpr int kMinNormalExponent = -16382;
inline constexpr int kMaxExponent = 16383;
inline constexpr int kMinDenormalExponent = -16445;

// |x| = iSignificand * 2^(iExponent - 63), the leading bit of iSignificand set (0 for
// a zero x): the bits of a finite x that is already in memory (an argument), denormals
// normalised.
struct TUnpacked {
    std::uint64_t iSignificand;
    int iExponent;
    bool bNegative;
};

// Read where x lies: for an argument that is also loaded into the x87, which the
// compiler could otherwise store again for its bits to be read, and reading the bits of
// an 80-bit store stalls.
inline TUnpacked UnpackedInPlace(const Extended& x) {
    struct {
        std::uint64_t iSignificand;
        std::uint16_t iSignAndExponent;
    } raw;
    std::memcpy(&raw, &x, 10);
    const bool bNegative = raw.iSignAndExponent >> 15;
    const int iField = raw.iSignAndExponent & 0x7FFF;
    if (iField != 0 || raw.iSignificand == 0) return {raw.iSignificand, iField - 16383, bNegative};
    const int iShift = __builtin_clzll(raw.iSignificand);
    return {raw.iSignificand << iShift, kMinNormalExponent - iShift, bNegative};
}

// Read from a copy, which serves better where x is compared in the x87 first (ArcSin).
inline TUnpacked Unpacked(Extended x) { return UnpackedInPlace(x); }

// x = rSignificand * 2^rExponent with 1 <= |rSignificand| < 2, for a finite non-zero x.
struct TExtracted {
    Extended rSignificand;
    Extended rExponent;
};

inline TExtracted Extracted(Extended x) {
    TExtracted parts;
    asm("fxtract" : "=t"(parts.rSignificand), "=u"(parts.rExponent) : "0"(x));
    return parts;
}

// A whole Extended value that fits an int, converted without the x87's slow switch of
// its rounding mode.
inline int ToInt(Extended rWhole) { return int(double(rWhole)); }

// 2^k for |k| <= 1022, as a double.
inline double PowerOfTwo(int k) { return std::bit_cast<double>(std::uint64_t(k + 1023) << 52); }

// x * 2^k, rounded only where the result overflows or underflows.
inline Extended ScaledByPowerOfTwo(Extended x, int k) {
    if (k >= -1022 && k <= 1022) return x * PowerOfTwo(k);
    Extended rResult;
    asm("fscale" : "=t"(rResult) : "0"(x), "u"(Extended(k)));
    return rResult;
}

}  // namespace rtl::bits
