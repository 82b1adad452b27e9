// Internal to the math and financial routines: arithmetic in the 113-bit binary128
// format, wide enough that a chain of Extended operations rounds only once at its end.
// It has the same exponent range as Extended, so nothing overflows or underflows early.
#pragma once

#include "framework/base/Types.hpp"

namespace rtl::quad {

__extension__ typedef __float128 Quad;

inline Quad Abs(Quad x) { return x < 0 ? -x : x; }

// A compensated (Kahan-Babuska) sum: the rounding error of each addition is kept and
// added back at the end, so that large terms that cancel leave the small ones intact.
class TSum {
public:
    void Add(Quad rTerm) {
        const Quad rNext = FSum + rTerm;
        FCorrection += Abs(FSum) >= Abs(rTerm) ? (FSum - rNext) + rTerm : (rTerm - rNext) + FSum;
        FSum = rNext;
    }
    Quad Value() const { return FSum + FCorrection; }

private:
    Quad FSum = 0;
    Quad FCorrection = 0;
};

}  // namespace rtl::quad
