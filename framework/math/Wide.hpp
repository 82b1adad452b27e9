// Internal to the math unit: numbers carried in 128-bit integers. A value is either a
// fixed-point number (a whole number with an implied count of fraction bits) or a
// significand of 128 bits with an exponent; products keep the top half of the exact
// 256-bit product. Integer arithmetic gives the same bits on every machine and is far
// quicker than chains of 80-bit operations.
#pragma once

#include <bit>
#include <cstdint>

#include "framework/base/Types.hpp"
#include "framework/math/ExtendedBits.hpp"
#include "framework/math/Pair.hpp"

namespace rtl::wide {

__extension__ typedef unsigned __int128 TUInt128;
__extension__ typedef __int128 TInt128;

// A 128-bit constant as its two halves, as the generated tables write it.
struct TWideConstant {
    std::uint64_t iHigh;
    std::uint64_t iLow;
};

constexpr TUInt128 Value(TWideConstant c) { return TUInt128(c.iHigh) << 64 | c.iLow; }

// m 2^iExponent, 1 <= m < 2, with m held as iSignificand = m 2^127.
struct TWide {
    TUInt128 iSignificand;
    std::int64_t iExponent;
};

// A constant factor in that form.
struct TWideFactor {
    TWideConstant iSignificand;
    int iExponent;
};

inline std::uint64_t High(TUInt128 a) { return std::uint64_t(a >> 64); }
inline std::uint64_t Low(TUInt128 a) { return std::uint64_t(a); }

// The top 128 bits of a * b; the product of the low halves and the carries below the
// top are dropped, so the result is at most 3 below the exact top.
inline TUInt128 HighProduct(TUInt128 a, TUInt128 b) {
    return TUInt128(High(a)) * High(b) + ((TUInt128(High(a)) * Low(b)) >> 64) +
           ((TUInt128(Low(a)) * High(b)) >> 64);
}

// The top 128 bits of the 192-bit a * b, exact but for the dropped low part.
inline TUInt128 HighProduct(TUInt128 a, std::uint64_t b) {
    return TUInt128(High(a)) * b + ((TUInt128(Low(a)) * b) >> 64);
}

// The top 128 bits of a * a, at most 2 below the exact top: the cross product counts
// twice, the product of the low halves is dropped.
inline TUInt128 HighSquare(TUInt128 a) {
    return TUInt128(High(a)) * High(a) + ((TUInt128(High(a)) * Low(a)) >> 63);
}

// (a * b) / 2^127 for signed fixed-point numbers, b with 127 fraction bits: the product
// keeps a's format. The low halves' product is dropped, as above; the result must fit.
inline TInt128 FixedProduct(TInt128 a, TInt128 b) {
    const std::int64_t ah = std::int64_t(a >> 64), bh = std::int64_t(b >> 64);
    const std::uint64_t al = std::uint64_t(a), bl = std::uint64_t(b);
    const TInt128 iTop = TInt128(ah) * bh + ((TInt128(ah) * bl) >> 64) + ((TInt128(bh) * al) >> 64);
    return iTop << 1;
}

// iTop = m 2^126 with 1 <= m < 4, back to the form of TWide.
inline TWide Normalized(TUInt128 iTop, std::int64_t iExponent) {
    if (iTop >> 127) return {iTop, iExponent + 1};
    return {iTop << 1, iExponent};
}

inline int LeadingZeros(TUInt128 a) {
    return High(a) != 0 ? __builtin_clzll(High(a)) : 64 + __builtin_clzll(Low(a));
}

// A non-zero fixed-point number with iFractionBits fraction bits, as a TWide.
inline TWide FromFixed(TUInt128 iValue, int iFractionBits) {
    const int iShift = LeadingZeros(iValue);
    return {iValue << iShift, std::int64_t(127 - iShift - iFractionBits)};
}

// A 64-bit significand (its top bit set) as a whole number, exactly, though the x87
// converts only signed numbers.
inline Extended FromSignificand(std::uint64_t i) {
    constexpr std::uint64_t kTop = std::uint64_t(1) << 63;
    return Extended(std::int64_t(i ^ kTop)) + 0x1p63;
}

// A significand m 2^127 as a pair in [1, 2), exact to 2^-126.
inline pair::TPair SignificandPair(TUInt128 iSignificand) {
    const Extended hi = FromSignificand(High(iSignificand)) * 0x1p-63L;
    const Extended lo = Extended(std::int64_t(Low(iSignificand) >> 1)) * 0x1p-126L;
    return pair::FastTwoSum(hi, lo);
}

// The value rounded to Extended beyond the normal range: INF above it, a denormal or 0
// below it; to nearest, ties to even.
[[gnu::noinline]] inline Extended RoundedOutOfRange(TWide w) {
    const std::int64_t e = w.iExponent;
    if (e > bits::kMaxExponent) return bits::ScaledByPowerOfTwo(1, 2 * bits::kMaxExponent);
    if (e < bits::kMinDenormalExponent - 1) return 0;
    // A denormal keeps the bits from 2^kMinDenormalExponent up.
    const int iDropped = 64 + int(bits::kMinNormalExponent - e);
    std::uint64_t iKept = iDropped == 128 ? 0 : std::uint64_t(w.iSignificand >> iDropped);
    const TUInt128 iRest = w.iSignificand << (128 - iDropped);
    constexpr TUInt128 kHalf = TUInt128(1) << 127;
    if (iRest > kHalf || (iRest == kHalf && (iKept & 1))) ++iKept;
    return bits::ScaledByPowerOfTwo(Extended(iKept), bits::kMinDenormalExponent);
}

// +-2^k for -1022 <= k <= 1023, as a double.
inline double SignedPowerOfTwo(int k, bool bNegative) {
    return std::bit_cast<double>(std::uint64_t(k + 1023) << 52 | std::uint64_t(bNegative) << 63);
}

// Whether every value within 2^iSlackBits units of w's last bit (0 <= iSlackBits < 63)
// rounds to the same Extended value as w: the bits below the 64th are that far from a
// half. For results known to within that much, this decides the rounding.
inline bool IsFarFromTie(TWide w, int iSlackBits) {
    constexpr std::uint64_t kHalf = std::uint64_t(1) << 63;
    const std::uint64_t iOffset = Low(w.iSignificand) - kHalf;
    const std::uint64_t iDistance = std::int64_t(iOffset) < 0 ? -iOffset : iOffset;
    return iDistance > std::uint64_t(1) << iSlackBits;
}

// The value rounded once to Extended, to nearest with ties to even. A zero significand
// stands for 0. The common case has no branch on the data: the rounding direction and
// the sign, each as likely one way as the other, would be mispredicted half the time.
// (An 80-bit value written to memory and loaded back would be slower than the
// conversion and scaling here: the load cannot take its bits from two stores.)
inline Extended Rounded(TWide w, bool bNegative) {
    const std::int64_t e = w.iExponent;
    if (__builtin_expect(w.iSignificand != 0 && e >= -1022 + 63 && e <= 1022 + 63, 1)) {
        std::uint64_t iKept = High(w.iSignificand);
        const std::uint64_t iRest = Low(w.iSignificand);
        // Up when the rest's top bit is set and either another bit below it or the last
        // kept bit is.
        iKept += (iRest >> 63) & ((iRest << 1 != 0) | (iKept & 1));
        // A carry out of the top bit leaves 2^64 as 0: the result is 2^63 one binade up
        // (2^(e + 1) itself may lie beyond a double's range).
        if (__builtin_expect(iKept != 0, 1))
            return FromSignificand(iKept) * SignedPowerOfTwo(int(e) - 63, bNegative);
        return 0x1p63L * SignedPowerOfTwo(int(e) - 62, bNegative);
    }
    Extended rResult;
    if (w.iSignificand == 0) {
        rResult = 0;
    } else if (e >= bits::kMinNormalExponent && e <= bits::kMaxExponent) {
        rResult = bits::ScaledByPowerOfTwo(Rounded({w.iSignificand, 63}, false), int(e) - 63);
    } else {
        rResult = RoundedOutOfRange(w);
    }
    return bNegative ? -rResult : rResult;
}

}  // namespace rtl::wide
