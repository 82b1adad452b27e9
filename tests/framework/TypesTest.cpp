#include <gtest/gtest.h>

#include "framework/base/Exceptions.hpp"
#include "framework/base/Types.hpp"

TEST(Exceptions, CarryTheirMessageThroughTheWholeHierarchy) {
    try {
        throw rtl::EZeroDivide("Floating point division by zero");
    } catch (const rtl::EMathError& e) {
        EXPECT_EQ(e.Message(), "Floating point division by zero");
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
}
