// Arguments where the integer kernels change their way of working or where rounding is
// hardest: results next to a tie between two Extended values, the switches between
// formulas, carries out of the top bit, results at the edges of the range. Each must
// give the correctly rounded result (or the failure) that MPFR gives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/math/Math.hpp"
#include "tests/math/MathRoutines.hpp"

using namespace quorix::mathcheck;

namespace {

// Every pair of arguments against MPFR; all mismatches reported at once.
void ExpectCorrectlyRounded(const char* sRoutine, const std::vector<TArguments>& Cases) {
    const TRoutine* pRoutine = FindRoutine(sRoutine);
    ASSERT_NE(pRoutine, nullptr) << sRoutine;
    std::string sMisses;
    for (const TArguments& Arguments : Cases) {
        const TResult Got = Call(*pRoutine, Arguments),
                      Wanted = Expected(pRoutine->Reference, Arguments.A, Arguments.B);
        if (Got != Wanted)
            sMisses += "\n  " + Describe(*pRoutine, Arguments) + " gave " + Describe(Got) + ", not " +
                       Describe(Wanted);
    }
    EXPECT_TRUE(sMisses.empty()) << sRoutine << sMisses;
}

// x * (1 + k 2^iExponent) for k = -iCount..iCount: neighbours of x a few ulps apart.
std::vector<TArguments> Around(Extended x, int iExponent, int iCount, Extended B = 0) {
    std::vector<TArguments> Cases;
    for (int k = -iCount; k <= iCount; ++k)
        Cases.push_back({x * (1 + k * std::ldexp(Extended(1), iExponent)), B});
    return Cases;
}

std::vector<TArguments> Joined(std::initializer_list<std::vector<TArguments>> Lists) {
    std::vector<TArguments> Cases;
    for (const auto& List : Lists) Cases.insert(Cases.end(), List.begin(), List.end());
    return Cases;
}

}  // namespace

// Within a few ulps of 1, ln x = r - r^2/2 + ... falls next to ties; where the two
// table steps hand over (1 +- 2^-8, 1 +- 2^-16) and at the fold near sqrt(2).
TEST(MathSeams, LogarithmsNextToOneAndWhereTheirTablesHandOver) {
    const std::vector<TArguments> Cases = Joined(
        {Around(1, -64, 40), Around(1, -60, 20), Around(1 + 0x1p-8L, -63, 8), Around(1 - 0x1p-8L, -63, 8),
         Around(1 + 0x1p-16L, -63, 8), Around(1 - 0x1p-16L, -63, 8), Around(0x1.6A09E667F3BCC908p0L, -63, 8),
         Around(2, -63, 8), Around(0x1p-16445L, 0, 0), Around(0x1.FFFFFFFFFFFFFFFEp16383L, 0, 0)});
    for (const char* sRoutine : {"Ln", "Log2", "Log10"}) ExpectCorrectlyRounded(sRoutine, Cases);
}

// Log2 and Log10 take a quick kernel good to about 2^-82 and leave to the full one the
// results it cannot round for sure: those within that of a tie, and those below 2^-16.
// The first arguments below (found by search) are where the quick kernel alone would
// round the wrong way. Its table's steps change at multiples of 2^-8 and at the fold
// (1 + 106/256).
TEST(MathSeams, BinaryAndDecimalLogarithmsNextToTiesAndWhereTheQuickKernelHandsOver) {
    ExpectCorrectlyRounded("Log2", {{0xF5EEB88C2A123B9Fp-64L},
                                    {0xFFFEB55365D9B0E5p-64L},
                                    {0xD58138378F25EB7Dp-64L},
                                    {0x90D4C3DE83F7DA8Ap-73L}});
    ExpectCorrectlyRounded("Log10", {{0xD597B2F9F194411Dp-64L},
                                     {0xFFC692919100A948p-64L},
                                     {0xFFF4F3F4B0C304E2p-64L},
                                     {0xFFE23852783FA1C1p-64L}});
    const std::vector<TArguments> Cases =
        Joined({Around(1 + 0x1p-15L, -63, 4), Around(1 - 0x1p-15L, -63, 4), Around(0x1.6Ap0L, -63, 4),
                Around(0x1.6Ap-1L, -63, 4), Around(0x1.01p100L, -63, 4), Around(0x1.FFp-100L, -63, 4)});
    for (const char* sRoutine : {"Log2", "Log10"}) ExpectCorrectlyRounded(sRoutine, Cases);
}

// Every step of the quick logarithms' table (centres 1 + (i + 1/2)/256), at its centre
// and its lower edge, in three binades: one wrong row would go unnoticed by a sweep
// that misses its step.
TEST(MathSeams, BinaryAndDecimalLogarithmsInEveryStepOfTheirTable) {
    std::vector<TArguments> Cases;
    for (int i = 0; i < 256; ++i)
        for (Extended rScale : {0x1p-1000L, 0x1p-1L, 0x1p7L})
            for (Extended rOffset : {0.0L, 0.5L}) Cases.push_back({rScale * (1 + (i + rOffset) / 256)});
    for (const char* sRoutine : {"Log2", "Log10"}) ExpectCorrectlyRounded(sRoutine, Cases);
}

// LnXP1 takes tiny arguments directly and others through 1 + X: both sides of the
// switch at 2^-17, denormals, -1 (a pole) and below it.
TEST(MathSeams, LnXP1OnBothSidesOfItsSwitchAndAtItsPole) {
    ExpectCorrectlyRounded(
        "LnXP1", Joined({Around(0x1p-17L, -63, 8), Around(-0x1p-17L, -63, 8), Around(0x1p-63L, -63, 4),
                         Around(-0x1p-64L, -63, 4), Around(0x1p-16440L, 0, 0), Around(-1, -63, 1),
                         Around(-1.5L, 0, 0), Around(0x1p126L, -63, 2), Around(0x1p16383L, 0, 0)}));
}

// Exp and Power at the top of the range (INF is an overflow), where results turn into
// denormals and where they round to 0; e^x with 2^(k/4096) for negative k.
TEST(MathSeams, ExponentialsAtTheEdgesOfTheRange) {
    const std::vector<TArguments> Cases =
        Joined({Around(11356.5235L, -30, 8), Around(-11355.137L, -30, 4), Around(-11399.5L, -30, 4),
                Around(-11355.8L, -20, 4), Around(-0x1p-13L, -40, 4), Around(0x1p-40L, -10, 4)});
    ExpectCorrectlyRounded("Exp", Cases);
    ExpectCorrectlyRounded("Power", {{2, 16383.9999L},
                                     {2, 16384.5L},
                                     {2, -16444.5L},
                                     {2, -16445.7L},
                                     {0.5L, -16383.99L},
                                     {1, 1e30L},
                                     {10, -4950.5L},
                                     {1.0000001L, 1.0e11L}});
}

// Power where its quick kernel hands over: exponents about 2^11 (the error of
// Exponent log2(Base) grows with them), results about the top binade (whose rounding
// may carry to INF) and the least normal number, exponents far below an ulp of 1, and
// fractional powers that are whole numbers, (m^4)^1.25 = m^5; and everyday arguments
// whose results lie within 2^-19 to 2^-22 of an ulp from a tie, which the quick kernel
// must leave to the exact one.
TEST(MathSeams, PowerWhereTheQuickKernelHandsOver) {
    std::vector<TArguments> Cases = {
        {0xd.bd083c3b6f8c486p-7L, 0x9.9b30000168d8cp+1L},  {0x9.4d355fbe00bbbadp-1L, 0x9.b40000aaa79cp-3L},
        {0xc.4f22d27085aa07ep-4L, 0xb.3b000004c73eep+0L},  {0xd.31a4a3073f160c4p-7L, -0xd.0affff3b4c68p-3L},
        {0xc.9ded8c4bea5dadcp-6L, 0xb.54000073b9cd8p-2L},  {0xc.834a023ad3fa3fcp-4L, -0x8.237ffff22a7a6p+1L},
        {0xe.6311e1684dc741dp-11L, 0x9.84c000082d0cbp+1L}, {0xe.2e9eefe33963135p-4L, 0xe.d2e0000638176p+0L}};
    for (Extended y : {2047.75L, 2048.25L, -2047.75L, -2048.25L}) Cases.push_back({1 + 0x1p-20L, y});
    for (Extended t : {16382.999L, 16383.001L, 16384 - 0x1p-50L, -16381.999L, -16382.001L, -16382.5L})
        Cases.push_back({2, t});
    for (Extended y : {1e-30L, -1e-30L, 0x1p-70L}) Cases.push_back({3, y});
    for (Extended m : {3, 1001, 4095}) Cases.push_back({m * m * m * m, 1.25L});
    ExpectCorrectlyRounded("Power", Cases);
}

// Fractional powers that fall exactly halfway between two Extended values, which
// round to even: (k^2)^1.5 = k^3 and (k^4)^1.25 = k^5 for odd k whose power has 65
// bits, at three scales, rounding down and up by turns.
TEST(MathSeams, PowersExactlyBetweenTwoValues) {
    std::vector<TArguments> Cases;
    for (Extended k = 2642247; k < 2642247 + 16; k += 2)
        for (Extended rScale : {1.0L, 0x1p-400L, 0x1p1000L}) Cases.push_back({k * k * rScale * rScale, 1.5L});
    for (Extended k = 7133; k < 7133 + 16; k += 2) Cases.push_back({k * k * k * k, 1.25L});
    ExpectCorrectlyRounded("Power", Cases);
}

// Hypot: exact results (3-4-5 at every scale), equal sides (the sum carries out of 128
// bits), a side 2^-34 and 2^-35 times the other, zeros beside denormals, results near
// the top of the range and among the denormals, results exactly between neighbours.
TEST(MathSeams, HypotExactAndAtItsSwitches) {
    std::vector<TArguments> Cases;
    for (int e : {-16380, -100, 0, 1, 64, 16000, 16381}) {
        const Extended rScale = std::ldexp(Extended(1), e);
        Cases.push_back({3 * rScale, 4 * rScale});
        Cases.push_back({rScale, rScale});
        Cases.push_back({rScale, rScale * 0x1.8p-34L});
        Cases.push_back({rScale, rScale * 0x1.8p-35L});
    }
    Cases.push_back({0x1p-16440L, 0});
    Cases.push_back({0, -0x1p-16445L});
    Cases.push_back({0x1.FFFFFFFFFFFFFFFEp16383L, 0x1.FFFFFFFFFFFFFFFEp16383L});
    Cases.push_back({0x1.FFFFFFFFFFFFFFFEp0L, 0x1.FFFFFFFFFFFFFFFEp-33L});
    // Exact midpoints between neighbours, from the triples (mn, (m^2 - n^2) / 2,
    // (m^2 + n^2) / 2) and three times one: ties to the even neighbour, below and above;
    // then from (2mn, m^2 - n^2, m^2 + n^2) beyond 2^64, whose squares carry out of 128 bits.
    for (int e : {-200, 0, 300}) {
        Cases.push_back({std::ldexp(0x1p64L - 0x1p32L, e), std::ldexp((0x1p33L - 1) / 2, e)});
        Cases.push_back({std::ldexp(3 * (0x1p62L - 0x1p31L), e), std::ldexp(3 * (0x1p32L - 1) / 2, e)});
        Cases.push_back({std::ldexp(0xe418937648b43958p0L, e), std::ldexp(0xc710cb289205bc01p0L, e)});
        Cases.push_back({std::ldexp(0xf4fdf3b725e353f8p0L, e), std::ldexp(0xa7bb2fecb886594bp0L, e)});
    }
    ExpectCorrectlyRounded("Hypot", Cases);
    EXPECT_EQ(rtl::Hypot(3, 4), 5);
    EXPECT_EQ(rtl::Hypot(-5, 12), 13);
}

// Sinh, Cosh and Tanh take a quick kernel from 2^-2 to 32, good to 2^-76, and leave to
// the full one the results it cannot round for sure. The first arguments (found by
// search) are where the quick kernel alone would round the wrong way; then both sides
// of 2^-2.
TEST(MathSeams, HyperbolicFunctionsNextToTiesAndWhereTheQuickKernelTakesOver) {
    const std::vector<TArguments> Edges = Joined({Around(0.25L, -63, 4), Around(-0.25L, -63, 4)});
    ExpectCorrectlyRounded("Sinh", Joined({{{0x8A489302BACFD1D1p-64L},
                                            {0xB8E39754A7E3DF16p-59L},
                                            {-0xDFDF3770E6BD0E2Bp-65L},
                                            {0xED12DBD09E5BAD52p-60L},
                                            {0xBC2AF6D6010415E2p-64L},
                                            {-0x8C96E75B685B95CCp-62L}},
                                           Edges}));
    ExpectCorrectlyRounded("Cosh", Joined({{{0x95E4F13A03F9D214p-63L},
                                            {-0xAE34CC8EBA456BEAp-59L},
                                            {0xB0E80838BFCF4ACCp-60L},
                                            {0xBEB4CF4E7651D393p-62L}},
                                           Edges}));
    ExpectCorrectlyRounded("Tanh", Joined({{{0x9BE03411AFED104Bp-65L},
                                            {-0xA9FDD44D1E92BA15p-65L},
                                            {0xFE2552090D1E3117p-64L},
                                            {0xE40BE30152A9DE8Dp-65L}},
                                           Edges}));
}

// Every step of the quick hyperbolic kernel's table of 2^(j/256), for e^a and e^-a:
// a next to (256 q + j) ln(2)/256 for every j, in three octaves of e^a.
TEST(MathSeams, HyperbolicFunctionsInEveryStepOfTheirTable) {
    constexpr Extended kLn2 = 0xB17217F7D1CF79ACp-64L;
    std::vector<TArguments> Cases;
    for (int j = 0; j < 256; ++j)
        for (int q : {1, 10, 29}) Cases.push_back({(256 * q + j + 0.3L) * kLn2 / 256});
    for (const char* sRoutine : {"Sinh", "Cosh", "Tanh"}) ExpectCorrectlyRounded(sRoutine, Cases);
}

// The hyperbolic functions where they change formula: 2^-33 (the argument itself), 32
// (e^-a lost), 23 for the tangent (saturated); and the top of the range.
TEST(MathSeams, HyperbolicFunctionsWhereTheyChangeFormula) {
    const std::vector<TArguments> Cases =
        Joined({Around(0x1p-33L, -63, 4), Around(-0x1p-33L, -63, 4), Around(32, -63, 4), Around(-32, -63, 4),
                Around(23, -63, 4), Around(11357.2165L, -30, 4), Around(0x1p-13L, -40, 4)});
    for (const char* sRoutine : {"Sinh", "Cosh", "Tanh"}) ExpectCorrectlyRounded(sRoutine, Cases);
}

// Tan and Cotan take a quick kernel good to about 2^-74 and leave to the full one the
// results it cannot round for sure. The first arguments (found by search) are where the
// quick kernel alone would round the wrong way; the last lies 2^-32 from a pole of the
// tangent, where the reduction's low part reaches 2^-20 of its high part and must not
// be lost to the quotient.
TEST(MathSeams, TangentAndCotangentNextToTiesAndWhereTheQuickKernelHandsOver) {
    const std::vector<TArguments> Cases = {
        {0x9.988a4ca8e373p+0L}, {0xa.dc64b865c7c2cp+0L}, {0xe.34db63cd8e748p+0L},   {0x9.ea61b1ad42266p+1L},
        {0xa.8182e1abda89p+0L}, {0xd.89ade8672348p-1L},  {0xb.a04a12d5e14befap+18L}};
    for (const char* sRoutine : {"Tan", "Cotan"}) ExpectCorrectlyRounded(sRoutine, Cases);
}

// Every step of the tangent's table, j pi / 128 + t for j over a whole turn, with t at
// the middle and next to both edges of the step, near 0 and a thousand turns on: one
// wrong row or a wrong choice of quotient or sign would go unnoticed by a sweep that
// misses its step.
TEST(MathSeams, TangentAndCotangentInEveryStepOfTheirTable) {
    constexpr Extended kStep = 0xC90FDAA22168C235p-69L;  // pi / 128
    std::vector<TArguments> Cases;
    for (int j = 0; j < 256; ++j)
        for (Extended rTurns : {0.0L, 1000.0L})
            for (Extended rOffset : {0.3L, 0.499L, -0.499L})
                Cases.push_back({(j + 256 * rTurns + rOffset) * kStep});
    for (const char* sRoutine : {"Tan", "Cotan"}) ExpectCorrectlyRounded(sRoutine, Cases);
}

// Next to the zeros and poles, k pi / 2 for small and large k, where the result is as
// small or as large as the remainder itself: the Extended nearest to them and their
// neighbours, and remainders on both sides of 2^-32, where the reduction changes method.
TEST(MathSeams, TangentAndCotangentNextToTheirZerosAndPoles) {
    constexpr Extended kHalfPi = 0xC90FDAA22168C235p-63L;
    std::vector<TArguments> Cases;
    for (Extended k : {1.0L, 2.0L, 3.0L, 4.0L, 7.0L, 1000003.0L, 2000000.0L}) {
        const std::vector<TArguments> Near = Around(k * kHalfPi, -63, 2);
        Cases.insert(Cases.end(), Near.begin(), Near.end());
        for (Extended rOffset : {0x1.1p-32L, -0x1.1p-32L, 0x1.Fp-33L, 0x1p-20L})
            Cases.push_back({k * kHalfPi + rOffset});
    }
    for (const char* sRoutine : {"Tan", "Cotan"}) ExpectCorrectlyRounded(sRoutine, Cases);
}

// Whole powers from 3 to 8 and their negatives take a quick kernel and leave to the full
// routine the results it cannot round for sure: exact ties (odd m whose m^n has 65
// bits), powers of bases next to 1 and to powers of two, which fall next to ties, and
// powers on both sides of where the kernel stops short of the ends of the range. The
// engine reads the x87 status word after a run, so those that succeed must leave no
// invalid-operation, division-by-zero or overflow flag behind.
TEST(MathSeams, WholePowersNextToTiesAndWhereTheQuickKernelHandsOver) {
    std::vector<TArguments> Cases;
    for (Extended n = 3; n <= 8; ++n) {
        const Extended rFirstTie = Extended(std::uint64_t(std::ceil(std::exp2(64 / n))) | 1);
        for (Extended j : {0, 2, 4}) Cases.push_back({rFirstTie + j, n});
        const int iLast = 16320 / int(n);
        for (Extended rBase : {1.0L, 2.0L, 0x1p-100L, std::ldexp(1.7L, iLast), std::ldexp(-1.7L, iLast + 1),
                               std::ldexp(1.7L, -iLast), std::ldexp(-1.7L, -iLast - 1)})
            for (const TArguments& Near : Around(rBase, -64, 3))
                Cases.insert(Cases.end(), {{Near.A, n}, {Near.A, -n}});
    }
    ExpectCorrectlyRounded("IntPower", Cases);
    for (const TArguments& Arguments : Cases) {
        std::uint16_t iStatus = 0;
        asm volatile("fnclex" ::: "memory");
        const Extended rPower = rtl::IntPower(Arguments.A, int(Arguments.B));
        asm volatile("fnstsw %0" : "=am"(iStatus)::"memory");
        constexpr std::uint16_t kFailureFlags = 0x0D;  // invalid, division by zero, overflow
        EXPECT_EQ(iStatus & kFailureFlags, 0) << Arguments.A << " ^ " << Arguments.B << " = " << rPower;
    }
    // The entries for a known exponent, one base or two side by side (the second one
    // case on, so that one may take the kernel where the other cannot), agree bit for bit.
    for (std::size_t i = 0; i + 1 < Cases.size(); ++i) {
        const Extended a = Cases[i].A, b = Cases[i + 1].A;
        const int n = int(Cases[i].B);
        const rtl::TExtendedTwo Both = rtl::IntPowersAt(a, b, n);
        EXPECT_EQ(rtl::IntPowerAt(a, n), rtl::IntPower(a, n)) << a << " ^ " << n;
        EXPECT_EQ(__real__ Both, rtl::IntPower(a, n)) << a << " ^ " << n;
        EXPECT_EQ(__imag__ Both, rtl::IntPower(b, n)) << b << " ^ " << n;
    }
}
