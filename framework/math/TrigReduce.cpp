#include "framework/math/TrigReduce.hpp"

#include <cmath>
#include <cstring>

namespace rtl::trig {

namespace {

using pair::TPair;

// The significand and the unbiased exponent of an Extended, X = iSignificand * 2^iExponent.
struct TBits {
    uint64_t iSignificand;
    int iExponent;
};

TBits BitsOf(Extended X) {
    unsigned char bytes[sizeof(Extended)];
    std::memcpy(bytes, &X, sizeof bytes);
    TBits bits;
    std::memcpy(&bits.iSignificand, bytes, sizeof bits.iSignificand);
    uint16_t iSignExponent;
    std::memcpy(&iSignExponent, bytes + 8, sizeof iSignExponent);
    bits.iExponent = (iSignExponent & 0x7FFF) - 16383 - 63;
    return bits;
}

// 2^iExponent for an exponent of the normal range, built from its bits: exact, and
// cheaper than a call to ldexp.
Extended PowerOfTwo(int iExponent) {
    const uint64_t iSignificand = uint64_t(1) << 63;
    const uint16_t iBiased = uint16_t(iExponent + 16383);
    unsigned char bytes[sizeof(Extended)] = {};
    std::memcpy(bytes, &iSignificand, sizeof iSignificand);
    std::memcpy(bytes + 8, &iBiased, sizeof iBiased);
    Extended rPower;
    std::memcpy(&rPower, bytes, sizeof rPower);
    return rPower;
}

// 64 bits of 2 / pi, from bit iFirst on (bit 1 is the first after the binary point;
// bits before it are 0).
uint64_t TwoOverPiBits(int iFirst) {
    constexpr int kWords = sizeof kTwoOverPiBits / sizeof kTwoOverPiBits[0];
    auto word = [](int w) { return w < 0 || w >= kWords ? uint64_t(0) : kTwoOverPiBits[w]; };
    const int iOffset = iFirst - 1;
    const int w = iOffset >> 6;  // floor division, also for negative offsets
    const int iShift = iOffset & 63;
    if (iShift == 0) return word(w);
    return (word(w) << iShift) | (word(w + 1) >> (64 - iShift));
}

__extension__ typedef unsigned __int128 TDoubleWord;

// A 256-bit whole number, least significant word first.
struct TWide {
    uint64_t w[4];
};

// 64 bits of n from bit iFirst on; bits below 0 are 0.
uint64_t WideBits(const TWide& n, int iFirst) {
    if (iFirst <= -64) return 0;
    if (iFirst < 0) return n.w[0] << -iFirst;
    const int w = iFirst >> 6, iShift = iFirst & 63;
    uint64_t iBits = n.w[w] >> iShift;
    if (iShift != 0 && w + 1 < 4) iBits |= n.w[w + 1] << (64 - iShift);
    return iBits;
}

int HighestBit(const TWide& n) {
    for (int w = 3; w >= 0; --w)
        if (n.w[w] != 0) return 64 * w + 63 - __builtin_clzll(n.w[w]);
    return -1;
}

void Negate(TWide& n) {
    TDoubleWord iCarry = 1;
    for (uint64_t& iWord : n.w) {
        iCarry += uint64_t(~iWord);
        iWord = uint64_t(iCarry);
        iCarry >>= 64;
    }
}

// The high 128 bits of the 256-bit product of a and b.
TDoubleWord HighProduct(TDoubleWord a, TDoubleWord b) {
    const uint64_t a1 = uint64_t(a >> 64), a0 = uint64_t(a), b1 = uint64_t(b >> 64), b0 = uint64_t(b);
    const TDoubleWord low = TDoubleWord(a0) * b0, cross1 = TDoubleWord(a1) * b0,
                      cross0 = TDoubleWord(a0) * b1;
    const TDoubleWord middle = (low >> 64) + uint64_t(cross1) + uint64_t(cross0);
    return TDoubleWord(a1) * b1 + (cross1 >> 64) + (cross0 >> 64) + (middle >> 64);
}

// The reduction of |X| (the sign bit is never read) from the bits of 2 / pi (Payne and
// Hanek's method).
// X * kTableSteps / pi = m 2^e (2 / pi) 2^(log2 kTableSteps - 1) with a whole m: bits of
// 2 / pi early enough to give multiples of 2 kTableSteps contribute nothing, so a
// window of 256 bits from the first one that matters, times m, gives the step in the top
// byte and the fraction in the 248 bits below it, short by less than 2^-184.
TReduced ReduceFromMagnitude(Extended X) {
    static_assert(kTableSteps == 128, "the window below puts 8 bits of steps on top");
    const TBits bits = BitsOf(X);
    // m 2^(e + 6) * 2^-i for bit i: bits up to e - 2 give multiples of 256.
    const int iFirst = bits.iExponent - 1;
    TWide n;
    TDoubleWord iCarry = 0;
    for (int w = 0; w < 4; ++w) {
        iCarry += TDoubleWord(bits.iSignificand) * TwoOverPiBits(iFirst + 64 * (3 - w));
        n.w[w] = uint64_t(iCarry);
        iCarry >>= 64;
    }
    unsigned iStep = unsigned(n.w[3] >> 56);
    n.w[3] &= (uint64_t(1) << 56) - 1;
    // A fraction of a half or more belongs to the next step, as a negative remainder.
    const bool bNegative = (n.w[3] >> 55) & 1;
    if (bNegative) {
        iStep = (iStep + 1) & kStepMask;
        n.w[3] |= ~((uint64_t(1) << 56) - 1);
        Negate(n);
    }
    const int iTop = HighestBit(n);
    if (iTop < 0) return {iStep, {0, 0}};
    // The fraction's 128 leading bits, F 2^(iLow - 248) steps, times the step's 128 bits:
    // t = F S 2^(iLow - 248 + kStepBitsExponent), of which the high 128 bits make a pair.
    const int iLow = iTop - 127;
    const TDoubleWord fraction = TDoubleWord(WideBits(n, iTop - 63)) << 64 | WideBits(n, iLow);
    const TDoubleWord product = HighProduct(fraction, TDoubleWord(kStepBits[0]) << 64 | kStepBits[1]);
    const int iExponent = iLow - 248 + kStepBitsExponent + 128;
    const TPair t{Extended(uint64_t(product >> 64)) * PowerOfTwo(iExponent + 64),
                  Extended(uint64_t(product)) * PowerOfTwo(iExponent)};
    return {iStep, bNegative ? pair::Negated(t) : t};
}

TReduced Reflected(TReduced r) { return {(0u - r.iStep) & kStepMask, pair::Negated(r.t)}; }

}  // namespace

TReduced ReduceFromBits(Extended X) {
    const TReduced reduced = ReduceFromMagnitude(X);
    return X < 0 ? Reflected(reduced) : reduced;
}

}  // namespace rtl::trig
