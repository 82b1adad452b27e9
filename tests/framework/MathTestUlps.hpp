// Distance between Extended values in units in the last place, for accuracy checks
// against reference values computed independently at high precision.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/base/Types.hpp"

inline long double UlpsBetween(rtl::Extended rActual, rtl::Extended rExpected) {
    const rtl::Extended rMagnitude = std::fabs(rExpected);
    const rtl::Extended rUlp =
        std::nextafter(rMagnitude, std::numeric_limits<rtl::Extended>::infinity()) - rMagnitude;
    return std::fabs(rActual - rExpected) / rUlp;
}

#define EXPECT_WITHIN_ULPS(actual, expected, ulps)                       \
    EXPECT_LE(UlpsBetween((actual), (expected)), (ulps))                 \
        << "actual " << static_cast<long double>(actual) << " expected " \
        << static_cast<long double>(expected)
