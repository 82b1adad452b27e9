// Internal to the math unit: the logarithm and the exponential in 128-bit integers.
// Both reduce their argument exactly through tables, evaluate a short polynomial in
// fixed point (its small tail in double) and leave a value good to about 2^-105, which
// the callers round once to Extended.
#pragma once

#include <cstdint>

#include "framework/math/ExtendedBits.hpp"
#include "framework/math/Wide.hpp"

namespace rtl::wide {

// 1/c with 63 fraction bits, and -ln(1/c) with 124 (two's complement halves).
struct TWideLogCentre {
    std::uint64_t iReciprocal;
    std::uint64_t iLnHigh;
    std::uint64_t iLnLow;
};

// The constants of a quick logarithm to a base b (QuickLog.hpp): log_b(e) with 62
// fraction bits, what that leaves out, log_b(e) / 3 with 64; the coefficients of r^4
// to r^9, scaled as the kernel takes them; log_b(2) with 112 fraction bits; the table
// of -log_b(1/c) per centre c.
struct TQuickLogBase {
    std::int64_t iFactor;
    double rFactorLow;
    std::int64_t iThirdFactor;
    double rTail[6];
    TWideConstant iOfTwo;
    const TWideConstant* pCentres;
};

namespace tables {
#include "framework/math/ExpLogWideTables.inc"
}  // namespace tables

// A signed value; a zero significand is 0.
struct TSigned {
    TWide magnitude;
    bool bNegative;
};

inline constexpr int kLnFractionBits = 124;        // of the table logarithms
inline constexpr int kArgumentFractionBits = 112;  // of exponents and large logarithms

// q(r) = 1/3 - r/4 + r^2 D(r), so that ln(1 + r) = r - r^2/2 + r^3 q(r), for
// |r| < 2^-15.9 with 127 fraction bits; the small tail D in double.
inline TInt128 LnCubicFactor(TInt128 r) {
    constexpr TInt128 kThird = TInt128((TUInt128(1) << 127) / 3);
    const double d = double(std::int64_t(r >> 49)) * 0x1p-78;
    const double dTail = d * d * (1.0 / 5 - d * (1.0 / 6 - d * (1.0 / 7 - d * (1.0 / 8 - d * (1.0 / 9)))));
    return kThird - (r >> 2) + (TInt128(std::int64_t(dTail * 0x1p96)) << 31);
}

// The odd and the even part of a short series in a small r, both with 127 fraction bits.
struct TSeriesParts {
    TInt128 iOdd;
    TInt128 iEven;
};

// r +- r^2/2 + c3 r^3 + r^4 (d[0] + d[1] r + d[2] r^2 + d[3] r^3) for a small r, r and
// the result with 127 fraction bits, c3 = iCubeFactor / 2^64 > 0, in its odd and even
// parts. The square comes from r's top 64 bits (kTopBits fraction bits,
// |r| < 2^(63 - kTopBits)) and the bits below them, the cube from 64-bit parts of r and
// of the square (kSquareBits fraction bits), single multiplications each; the rest,
// below 2^-58, in double, d[k] scaled for x = r 2^kTopBits and units of 2^-127. Short
// chains of operations, none longer than the square's.
template <int kTopBits, int kSquareBits>
inline TSeriesParts ShortSeries(TInt128 r, bool bSubtractSquare, std::uint64_t iCubeFactor,
                                const double (&d)[4]) {
    constexpr int kBelow = 127 - kTopBits;
    const std::int64_t iTop = std::int64_t(r >> kBelow);
    const std::int64_t iBelow = std::int64_t(r & ((TInt128(1) << kBelow) - 1));
    const TInt128 iSquare = TInt128(iTop) * iTop + ((TInt128(iTop) * iBelow) >> (kBelow - 1));  // 2 kTopBits
    const TInt128 iHalfSquare = iSquare >> (2 * kTopBits - 126);
    const std::int64_t iTopTimesFactor = std::int64_t((TInt128(iTop) * iCubeFactor) >> 64);
    const std::int64_t iSquareTop = std::int64_t(iSquare >> (2 * kTopBits - kSquareBits));
    const TInt128 iCube = (TInt128(iSquareTop) * iTopTimesFactor) >> (kSquareBits + kTopBits - 127);
    const double x = double(iTop), x2 = x * x, x4 = x2 * x2;
    // The rest may reach 2^68 units: converted in units of 2^-119.
    const auto Fixed = [](double v) { return TInt128(std::int64_t(v * 0x1p-8)) << 8; };
    return {r + iCube + Fixed(x4 * x * (d[1] + x2 * d[3])),
            (bSubtractSquare ? -iHalfSquare : iHalfSquare) + Fixed(x4 * (d[0] + x2 * d[2]))};
}

// ln(1 + r) for |r| < 2^-15.9: -r^4/4 + r^5/5 - r^6/6 in double; r^7/7 < 2^-114.
inline TInt128 LnOnePlus(TInt128 r) {
    static constexpr double kTail[4] = {-0x1p-187, 0x1p-263 / 5, -0x1p-341 / 6, 0};
    const TSeriesParts parts = ShortSeries<78, 94>(r, true, ~std::uint64_t(0) / 3, kTail);
    return parts.iOdd + parts.iEven;
}

// e^r - 1 for |r| < 2^-13.4 in its odd and even parts (so that e^-r - 1 is even - odd):
// r^4/24 ... r^7/5040 in double; r^8/8! < 2^-122.
inline TSeriesParts ExpM1Small(TInt128 r) {
    static constexpr double kTail[4] = {0x1p-177 / 24, 0x1p-253 / 120, 0x1p-329 / 720, 0x1p-405 / 5040};
    return ShortSeries<76, 89>(r, false, ~std::uint64_t(0) / 6, kTail);
}

inline TInt128 LnOf(const TWideLogCentre& centre) { return TInt128(Value({centre.iLnHigh, centre.iLnLow})); }

// |a| as a TSigned, from a fixed-point number.
inline TSigned FromSignedFixed(TInt128 a, int iFractionBits) {
    if (a == 0) return {{0, 0}, false};
    return {FromFixed(TUInt128(a < 0 ? -a : a), iFractionBits), a < 0};
}

// ln(1 + r) for |r| < 2^-15.9 whose significand has 64 bits or fewer, given also as
// iFixed with 127 fraction bits: r - (r^2/2)(1 + w), w = -2 r q(r), formed in 192 bits
// so that results next to a tie between two Extended values round the right way.
inline TSigned LnNearOne(TSigned r, TInt128 iFixed) {
    const std::uint64_t m = High(r.magnitude.iSignificand);
    const int e = int(r.magnitude.iExponent);
    // Below 2^-65, r^2/2 is less than a quarter of r's last bit: r is the rounded result.
    if (e < -65 || m == 0) return r;
    const TInt128 w = -2 * FixedProduct(iFixed, LnCubicFactor(iFixed));
    const TUInt128 z = HighProduct(TUInt128(m) * m, (TUInt128(1) << 127) + TUInt128(w));  // m^2 (1 + w) 2^125
    // In units of 2^(e - 190), as iHigh 2^64 + iLow: r is m 2^127, r^2/2 (1 + w) is z 2^(e + 64).
    const int iShift = -e;
    const TUInt128 iSquareHigh = z >> iShift;
    const std::uint64_t iSquareLow = iShift <= 64 ? Low(z << (64 - iShift)) : Low(z >> (iShift - 64));
    bool bSticky = iShift > 64 && (z & 1);  // a remainder below iLow
    TUInt128 iHigh = TUInt128(m) << 63;
    std::uint64_t iLow;
    if (r.bNegative) {  // |r| + r^2/2 ...
        iLow = iSquareLow;
        iHigh += iSquareHigh;
    } else {  // |r| - r^2/2 ...: a remainder borrows one unit and leaves a fraction
        iLow = -iSquareLow - bSticky;
        iHigh -= iSquareHigh + (iSquareLow != 0 || bSticky);
    }
    // To 128 bits from the top bit (bit 127 after an addition near 2^(e+1), 125 after a
    // subtraction from 2^e), what lies below summed up in the last one.
    const int iTop = LeadingZeros(iHigh);
    const TUInt128 iSignificand = iTop == 0 ? iHigh : (iHigh << iTop) | (iLow >> (64 - iTop));
    const bool bRest = std::uint64_t(iLow << iTop) != 0 || bSticky;
    return {{iSignificand | bRest, e + 1 - iTop}, r.bNegative};
}

// e ln 2 with kArgumentFractionBits fraction bits, |e| < 2^15: ln 2 cut to the 112
// bits that the result keeps, in two parts of 63 and 49 bits.
inline TInt128 TimesLn2(int e) {
    const TUInt128 iLn2 = Value(tables::kLn2) >> (127 - kArgumentFractionBits);
    const std::int64_t iHigh = std::int64_t(iLn2 >> 49),
                       iLow = std::int64_t(iLn2 & ((TUInt128(1) << 49) - 1));
    return (TInt128(iHigh) * e << 49) + TInt128(iLow) * e;
}

// value * factor, for the logarithms to other bases.
inline TSigned Times(TSigned value, TWideFactor factor) {
    const TUInt128 iTop = HighProduct(value.magnitude.iSignificand, Value(factor.iSignificand));
    return {Normalized(iTop, value.magnitude.iExponent + factor.iExponent), value.bNegative};
}

// The natural logarithm's factor: 1 (kNatural), else 1/ln(base) for a logarithm to
// another base.
inline constexpr TWideFactor kNatural = {{std::uint64_t(1) << 63, 0}, 0};

// factor * ln(m 2^e), m = iSignificand / 2^127 in [1, 2). Two steps divide m by table
// centres c1 (1 + i/128) and c2 (1 + j/2^15) with exact integer products, leaving
// r = m / (c1 c2) - 1 below 2^-15.9; ln m = ln c1 + ln c2 + ln(1 + r). The factor goes
// into the fixed-point sum, so that the result is normalised only once. Next to 1 the
// result is formed relative to r for significands of 64 bits (bShort); longer ones, as
// pairs give, lie at least 2^-34 from 1 and keep 90 bits in fixed point.
[[gnu::always_inline]] inline TSigned LnWide(TUInt128 iSignificand, int e, TWideFactor factor = kNatural,
                                             bool bShort = true) {
    using namespace tables;
    const int iCoarse = (int(iSignificand >> 119) - 255) >> 1;
    const TWideLogCentre& coarse = kCoarseCentres[iCoarse];
    // From about sqrt(2) on, m is taken as 2 (m / 2): arguments just below 1 have e = 0.
    e += iCoarse >= kCoarseFoldIndex;
    constexpr TUInt128 kOne126 = TUInt128(1) << 126;
    const TUInt128 iFirst = HighProduct(iSignificand, coarse.iReciprocal);  // 126 fraction bits
    const int iFine = int(TInt128(iFirst - kOne126 + (TUInt128(1) << 110)) >> 111);
    const TWideLogCentre& fine = kFineCentres[iFine + 128];
    constexpr TUInt128 kOne125 = TUInt128(1) << 125;
    const TInt128 r = TInt128(HighProduct(iFirst, fine.iReciprocal) - kOne125) << 2;
    // Next to 1 both centres are 1 and r is exact: the result is relative to r.
    const bool bNatural =
        factor.iSignificand.iHigh == kNatural.iSignificand.iHigh && factor.iSignificand.iLow == 0;
    if (bShort && e == 0 && iFine == 0 && (iCoarse & 127) == 0) {
        const TSigned ln = LnNearOne(FromSignedFixed(r, 127), r);
        return bNatural ? ln : Times(ln, factor);
    }
    const TInt128 iLnM = LnOf(coarse) + LnOf(fine) + (LnOnePlus(r) >> (127 - kLnFractionBits));
    TInt128 iLn = iLnM;
    int iFractionBits = kLnFractionBits;
    if (e != 0) {
        iLn = TimesLn2(e) + (iLnM >> (kLnFractionBits - kArgumentFractionBits));
        iFractionBits = kArgumentFractionBits;
    }
    if (bNatural) return FromSignedFixed(iLn, iFractionBits);
    // The factor's significand halved, to be a positive signed number: the product is
    // value * factor / 2.
    const TInt128 iFactor = TInt128(Value(factor.iSignificand) >> 1);
    return FromSignedFixed(FixedProduct(iLn, iFactor), iFractionBits - 1 - factor.iExponent);
}

// A value of at most 2^14 in size with kArgumentFractionBits fraction bits; the bits
// below 2^-112 are dropped.
inline TInt128 FixedArgument(bits::TUnpacked x) {
    const int iShift = x.iExponent + kArgumentFractionBits - 63;
    const TUInt128 iSignificand = x.iSignificand;
    const TUInt128 iMagnitude = iShift >= 0    ? iSignificand << iShift
                                : iShift > -64 ? iSignificand >> -iShift
                                               : 0;
    return x.bNegative ? -TInt128(iMagnitude) : TInt128(iMagnitude);
}

// The same for a value held as a TSigned; 0 for all that lie below 2^-112.
inline TInt128 FixedArgument(TSigned x) {
    const int iShift = int(x.magnitude.iExponent) + kArgumentFractionBits - 127;
    const TUInt128 iMagnitude = iShift >= 0     ? x.magnitude.iSignificand << iShift
                                : iShift > -128 ? x.magnitude.iSignificand >> -iShift
                                                : 0;
    return x.bNegative ? -TInt128(iMagnitude) : TInt128(iMagnitude);
}

// x = k ln(2)/4096 + r, k nearest to 4096 x / ln 2, |r| below 2^-13.4 with 127
// fraction bits; for |x| < 11400 with kArgumentFractionBits fraction bits.
struct TExpReduced {
    int k;
    TInt128 r;
};

inline TExpReduced ExpReduced(TInt128 x) {
    constexpr double kRounder = 0x1.8p52;
    const double dx = double(std::int64_t(x >> 64)) * 0x1p-48;
    const int k = int((dx * tables::kStepsPerLn2 + kRounder) - kRounder);
    // kLn2 is also ln(2)/4096 with 139 fraction bits: 27 more than x.
    const TUInt128 iLn2 = Value(tables::kLn2);
    const std::uint64_t a = std::uint64_t(k < 0 ? -k : k);
    const TUInt128 iSteps = ((TUInt128(a) * High(iLn2)) << 37) + ((TUInt128(a) * Low(iLn2)) >> 27);
    return {k, (x - (k < 0 ? -TInt128(iSteps) : TInt128(iSteps))) << (127 - kArgumentFractionBits)};
}

// 2^(k/4096) (1 + m) for |m| < 2^-13, m with 127 fraction bits: 2^(k >> 12) times
// 2^(i/64) 2^(j/4096) from two tables.
inline TWide TimesPowerOfTwo(int k, TInt128 m) {
    using namespace tables;
    const int j = k & 4095;
    const TInt128 t = TInt128(HighProduct(Value(kExp2Coarse[j >> 6]), Value(kExp2Fine[j & 63])));  // 126 bits
    return FromFixed(TUInt128(t + FixedProduct(t, m)), 126 - (k >> 12));
}

// e^x for |x| < 11400, x with kArgumentFractionBits fraction bits: 2^(k/4096) e^r.
inline TWide ExpWide(TInt128 x) {
    const TExpReduced reduced = ExpReduced(x);
    const TSeriesParts m = ExpM1Small(reduced.r);
    return TimesPowerOfTwo(reduced.k, m.iOdd + m.iEven);
}

// e^x and e^-x from one reduction: e^-r - 1 is the series' even part less its odd part.
struct TExpPair {
    TWide plus;
    TWide minus;
};

inline TExpPair ExpBothWide(TInt128 x) {
    const TExpReduced reduced = ExpReduced(x);
    const TSeriesParts m = ExpM1Small(reduced.r);
    return {TimesPowerOfTwo(reduced.k, m.iOdd + m.iEven), TimesPowerOfTwo(-reduced.k, m.iEven - m.iOdd)};
}

}  // namespace rtl::wide
