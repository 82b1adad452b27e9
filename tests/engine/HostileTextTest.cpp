// Texts and handler answers that fuzzing found mishandled, kept as regressions.
#include <limits>

#include "QuorixFixture.hpp"
#include "framework/base/Exceptions.hpp"

namespace quorix::testing {
namespace {

using HostileText = QuorixTest;

TEST_F(HostileText, AHandlerResultThatIsNotFiniteRaisesAndKeepsTheLastValue) {
    constexpr rtl::Extended Inf = std::numeric_limits<rtl::Extended>::infinity();
    rtl::Extended rAnswer = 5;
    Q.SetOnGetFunction([&](const std::string&, std::span<const rParam>, int, int&, rtl::Extended& Result) {
        Result = rAnswer;
    });
    Q.SetText("-f()");
    ASSERT_TRUE(Q.Calc());
    for (const rtl::Extended rBad : {Inf, -Inf, std::numeric_limits<rtl::Extended>::quiet_NaN()}) {
        rAnswer = rBad;
        EXPECT_THROW(Q.Calc(), rtl::EMathError);
        EXPECT_EQ(Q.Value(), -5);
    }
    rAnswer = 2;
    EXPECT_TRUE(Q.Calc());
    EXPECT_EQ(Q.Value(), -2);
}

}  // namespace
}  // namespace quorix::testing
