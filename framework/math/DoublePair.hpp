// Internal to the math unit: error-free transformations on doubles, for the parts of a
// computation that need about 106 bits but not the x87. SSE arithmetic is pipelined,
// its loads and stores are cheap, and sixteen registers hold every value of a kernel,
// where the x87's eight would spill 80-bit values to memory.
//
// As in Pair.hpp: + - * / alone, correctly rounded on every machine, and no
// reassociation (no -ffast-math).
#pragma once

#include <cstdint>

namespace rtl::dpair {

struct TDoublePair {
    double hi;
    double lo;
};

__extension__ typedef __int128 TInt128;

// a + b exactly, given |a| >= |b| (or a == 0).
inline TDoublePair FastTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// a as hi + lo with 26 significant bits in each, so that products of halves are exact
// (Veltkamp's split).
inline TDoublePair Split(double a) {
    constexpr double kSplitter = 134217729.0;  // 2^27 + 1
    const double t = kSplitter * a;
    const double hi = t - (t - a);
    return {hi, a - hi};
}

// a * b exactly, from the halves of both (Dekker's product).
inline TDoublePair TwoProduct(double a, TDoublePair as, double b, TDoublePair bs) {
    const double p = a * b;
    const double e = ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo;
    return {p, e};
}

// A whole number below 2^106 in magnitude as hi + lo, exactly, hi the nearest double.
inline TDoublePair FromWhole(TInt128 n) {
    const double rHigh = double(std::int64_t(n >> 53)) * 0x1p53;
    const double rLow = double(std::int64_t(n & ((TInt128(1) << 53) - 1)));
    return FastTwoSum(rHigh, rLow);
}

// a / b, good to about 2^-104 of the quotient: the double quotient and its remainder,
// a - q b, formed exactly but for the product of q with b's low part. The inverse that
// scales the remainder is divided alongside q rather than after it.
inline TDoublePair Quotient(TDoublePair a, TDoublePair b) {
    const double q = a.hi / b.hi, rInverse = 1 / b.hi;
    const TDoublePair p = TwoProduct(q, Split(q), b.hi, Split(b.hi));
    const double r = (((a.hi - p.hi) - p.lo) + a.lo) - q * b.lo;
    return {q, r * rInverse};
}

// a / b as q + r, good to about 2^-76 of the quotient, with q cut to 26 bits: q times
// b.hi's halves is exact and within 2^-24 of a.hi, so the remainder needs no split of
// q, which would lengthen the chain after the division. For the parts of a quotient
// that is only to be rounded once; r may reach 2^-25 of q.
inline TDoublePair CutQuotient(TDoublePair a, TDoublePair b) {
    const double rInverse = 1 / b.hi;
    const double q = Split(a.hi * rInverse).hi;
    const TDoublePair bs = Split(b.hi);
    const double r = (a.hi - q * bs.hi) + ((a.lo - q * b.lo) - q * bs.lo);
    return {q, r * rInverse};
}

}  // namespace rtl::dpair
