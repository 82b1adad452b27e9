// Internal to the math unit: error-free transformations and arithmetic on pairs of
// Extended values. A pair hi + lo (|lo| at most half an ulp of hi) carries about 128
// significant bits, enough that a function evaluated in pairs rounds only once, at the
// end, when the pair is collapsed to hi + lo.
//
// Everything here uses + - * / and sqrt alone. Those operations round correctly on every
// x87, so the same arguments give the same bits on every machine; no transcendental
// instruction and no C library routine is involved.
//
// The functions must stay inline and free of reassociation: the compiler may not
// simplify (a + b) - a to b, which holds as long as nobody builds with -ffast-math.
#pragma once

#include <cmath>

#include "framework/base/Types.hpp"

namespace rtl::pair {

struct TPair {
    Extended hi;
    Extended lo;
};

// a + b exactly, given |a| >= |b| (or a == 0).
inline TPair FastTwoSum(Extended a, Extended b) {
    const Extended s = a + b;
    return {s, b - (s - a)};
}

// a + b exactly, whatever the magnitudes (Knuth's two-sum).
inline TPair TwoSum(Extended a, Extended b) {
    const Extended s = a + b;
    const Extended bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// a as hi + lo with 32 significant bits in each half, so that products of halves are
// exact (Veltkamp's split). Valid while |a| < 2^16350; callers scale larger values.
inline TPair Split(Extended a) {
    constexpr Extended kSplitter = 4294967297.0L;  // 2^32 + 1
    const Extended t = kSplitter * a;
    const Extended hi = t - (t - a);
    return {hi, a - hi};
}

// a * b exactly, as long as the product neither overflows nor underflows
// (Dekker's product; the x87 has no fused multiply-add). Here a comes with its halves
// (a == halves.hi + halves.lo, 32 significant bits or fewer in each), as tables may
// store it: the product of a constant then needs only the split of b.
inline TPair TwoProduct(Extended a, TPair halves, Extended b) {
    const Extended p = a * b;
    const TPair bs = Split(b);
    const Extended e = ((halves.hi * bs.hi - p) + halves.hi * bs.lo + halves.lo * bs.hi) + halves.lo * bs.lo;
    return {p, e};
}

// a * b exactly, with the same conditions.
inline TPair TwoProduct(Extended a, Extended b) { return TwoProduct(a, Split(a), b); }

// a * a exactly, with the same conditions.
inline TPair TwoSquare(Extended a) {
    const Extended p = a * a;
    const TPair as = Split(a);
    const Extended e = ((as.hi * as.hi - p) + 2 * (as.hi * as.lo)) + as.lo * as.lo;
    return {p, e};
}

inline TPair Add(TPair a, TPair b) {
    const TPair s = TwoSum(a.hi, b.hi);
    const TPair t = TwoSum(a.lo, b.lo);
    const TPair u = FastTwoSum(s.hi, s.lo + t.hi);
    return FastTwoSum(u.hi, u.lo + t.lo);
}

inline TPair Add(TPair a, Extended b) {
    const TPair s = TwoSum(a.hi, b);
    return FastTwoSum(s.hi, s.lo + a.lo);
}

inline TPair Negated(TPair a) { return {-a.hi, -a.lo}; }

inline TPair Multiply(TPair a, TPair b) {
    const TPair p = TwoProduct(a.hi, b.hi);
    return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

inline TPair Multiply(TPair a, Extended b) {
    const TPair p = TwoProduct(a.hi, b);
    return FastTwoSum(p.hi, p.lo + a.lo * b);
}

// a / b: one Newton correction of the Extended quotient.
inline TPair Divide(TPair a, TPair b) {
    const Extended q = a.hi / b.hi;
    const TPair r = Add(a, Negated(Multiply(b, q)));
    return FastTwoSum(q, r.hi / b.hi);
}

// a / b as q + r with q cut to 32 bits, for pairs whose lo may reach 2^-12 of hi (not
// normalized). q times b's halves is exact and within a factor 2 of a.hi, so the
// remainder needs no pair arithmetic, and one division serves for both q and r.
// Shorter than Divide where the quotient is only to be rounded or added to.
inline TPair Quotient(TPair a, TPair b) {
    const Extended rInverse = 1 / (b.hi + b.lo);
    const Extended q = Split((a.hi + a.lo) * rInverse).hi;
    const TPair bs = Split(b.hi);
    const Extended r = ((a.hi - q * bs.hi) - q * bs.lo) + (a.lo - q * b.lo);
    return {q, r * rInverse};
}

// The square root of a pair: one Newton correction of the Extended root.
inline TPair Sqrt(TPair a) {
    if (a.hi <= 0) return {0, 0};
    const Extended r = std::sqrt(a.hi);
    const TPair d = Add(a, Negated(TwoSquare(r)));
    return FastTwoSum(r, d.hi / (2 * r));
}

// The square root of a (>= 0) as q + r with q cut to 32 bits, in the manner of
// Quotient: q * q is exact and within a factor 2 of a.hi, and a - q^2 = (sqrt a - q)
// (sqrt a + q) gives the rest.
inline TPair Root(TPair a) {
    if (a.hi <= 0) return {0, 0};
    const Extended r = std::sqrt(a.hi + a.lo);
    const Extended q = Split(r).hi;
    return {q, ((a.hi - q * q) + a.lo) / (r + q)};
}

// The pair rounded once to Extended.
inline Extended Value(TPair a) { return a.hi + a.lo; }

}  // namespace rtl::pair
