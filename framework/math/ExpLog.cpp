// The exponential and the logarithms.
#include "framework/math/ExpLog.hpp"

#include "framework/Math.hpp"

namespace rtl {

using pair::TPair;

namespace {

// The logarithms share their failures: 0 is a pole, a negative number has none.
void RequireLogArgument(Extended X) {
    explog::Finite(X);
    if (X == 0) RaiseZeroDivide();
    if (X < 0) RaiseInvalidOp();
}

TPair PairOf(explog::TSplitConstant c) { return {c.hi, c.lo}; }

}  // namespace

Extended Exp(Extended X) { return explog::Finite(explog::ExpOrInfinity(X)); }
Extended ExpM1(Extended X) { return explog::Finite(explog::ExpM1OrInfinity(X)); }

Extended Ln(Extended X) {
    RequireLogArgument(X);
    return pair::Value(explog::LnPair(X));
}

Extended LnXP1(Extended X) {
    RequireLogArgument(X + 1);
    return pair::Value(explog::LnPair(pair::TwoSum(1, X)));
}

Extended Log10(Extended X) {
    RequireLogArgument(X);
    return pair::Value(pair::Multiply(explog::LnPair(X), PairOf(explog::tables::kLog10OfE)));
}

Extended Log2(Extended X) {
    RequireLogArgument(X);
    return pair::Value(pair::Multiply(explog::LnPair(X), PairOf(explog::tables::kLog2OfE)));
}

Extended LogN(Extended Base, Extended X) {
    RequireLogArgument(Base);
    RequireLogArgument(X);
    const TPair rBaseLn = explog::LnPair(Base);
    // ln 1 is exactly 0: 0 / 0 has no value, anything else / 0 is a pole.
    if (rBaseLn.hi == 0) {
        if (X == 1) RaiseInvalidOp();
        RaiseZeroDivide();
    }
    return pair::Value(pair::Divide(explog::LnPair(X), rBaseLn));
}

}  // namespace rtl
