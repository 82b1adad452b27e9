#include "builtins/Everyday.hpp"

#include <algorithm>
#include <cmath>

#include "framework/base/TextCase.hpp"
#include "framework/math/Math.hpp"

namespace quorix::builtins {

using rtl::Extended;

namespace {

bool IsNegative(Extended x, Extended) { return x < 0; }
bool IsNotPositive(Extended x, Extended) { return x <= 0; }
bool IsZero(Extended x, Extended) { return x == 0; }

// Exact: the integral part of an Extended is an Extended.
Extended Frac(Extended x) { return x - std::trunc(x); }

Extended Sign(Extended x) { return x > 0 ? 1 : x < 0 ? -1 : 0; }

// The remainder is exact, and its sign is that of x.
Extended Mod(Extended x, Extended y) { return std::fmod(x, y); }

Extended ArcTan(Extended x) { return rtl::ArcTan2(x, 1); }

// n! by products from 1 up; exact while it fits the 64-bit significand (n <= 25),
// beyond that within a few units of the last place. Too large raises EOverflow.
Extended Factorial(int n) {
    Extended rProduct = 1;
    for (int i = 2; i <= n; ++i) rProduct = rtl::FiniteOrRaise(rProduct * i);
    return rProduct;
}

// The least (bGreatest false) or greatest of the arguments, compared as written.
Extended Extreme(TCallArguments& Args, bool bGreatest) {
    Extended rBest = Args.Number(1);
    for (int i = 2; i <= Args.Count(); ++i) {
        const Extended rValue = Args.Number(i);
        if (bGreatest ? rValue > rBest : rValue < rBest) rBest = rValue;
    }
    return rBest;
}

std::vector<TBuiltIn> MakeEverydayFunctions() {
    constexpr TKind W = TKind::Whole;
    std::vector<TBuiltIn> rows{
        OneNumber({"Sqrt", "x"}, [](Extended x) -> Extended { return std::sqrt(x); },
                  {{1, 0, IsNegative, epOutOfDomain}}),
        OneNumber({"Exp", "x"}, rtl::Exp),
        OneNumber({"ExpM1", "x"}, rtl::ExpM1),
        OneNumber({"Ln", "x"}, rtl::Ln, {{1, 0, IsNotPositive, epOutOfDomain}}),
        OneNumber({"Abs", "x"}, [](Extended x) -> Extended { return std::fabs(x); }),
        OneNumber({"Sign", "x"}, Sign),
        OneNumber({"Round", "x"}, [](Extended x) -> Extended { return std::round(x); }),
        OneNumber({"Trunc", "x"}, [](Extended x) -> Extended { return std::trunc(x); }),
        OneNumber({"Frac", "x"}, Frac),
        TwoNumbers({"Mod", "x; y"}, Mod, {{2, 0, IsZero, epOutOfDomain}}),
        Numbers({"Min", "x1; x2; ..."}, [](TCallArguments& Args) { return Extreme(Args, false); }),
        Numbers({"Max", "x1; x2; ..."}, [](TCallArguments& Args) { return Extreme(Args, true); }),
        OneNumber({"ArcTan", "x"}, ArcTan),
        {{"Fact", "n"},
         {},
         true,
         1,
         1,
         {{W, 1, 1}},
         {{1, 0, IsNegative, epOutOfDomain}},
         [](TCallArguments& Args) { return Factorial(Args.Whole(1)); }},
    };
    for (TBuiltIn& row : rows) row.sUpperName = rtl::UpperCase(row.Signature.sName);
    return rows;
}

}  // namespace

std::span<const TBuiltIn> EverydayFunctions() {
    static const std::vector<TBuiltIn> kRows = MakeEverydayFunctions();
    return kRows;
}

const TBuiltIn* FindEveryday(const std::string& sUpperName) {
    const std::span<const TBuiltIn> rows = EverydayFunctions();
    const auto It = std::find_if(rows.begin(), rows.end(),
                                 [&sUpperName](const TBuiltIn& row) { return row.sUpperName == sUpperName; });
    return It == rows.end() ? nullptr : &*It;
}

}  // namespace quorix::builtins
