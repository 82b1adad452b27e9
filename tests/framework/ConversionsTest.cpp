#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <random>
#include <string>

#include "framework/base/Conversions.hpp"
#include "framework/base/Exceptions.hpp"

using rtl::Extended;
using rtl::FloatToStr;
using rtl::StrToFloat;
using rtl::TryStrToFloat;

namespace {

// Restores the process-wide separators however a test ends.
class ScopedFormatSettings {
public:
    ScopedFormatSettings(char decimal, char thousands) : FSaved(rtl::FormatSettings) {
        rtl::FormatSettings.DecimalSeparator = decimal;
        rtl::FormatSettings.ThousandSeparator = thousands;
    }
    ~ScopedFormatSettings() { rtl::FormatSettings = FSaved; }

private:
    rtl::TFormatSettings FSaved;
};

constexpr Extended MaxExtended = std::numeric_limits<Extended>::max();
constexpr Extended MinNormal = std::numeric_limits<Extended>::min();
constexpr Extended MinDenormal = std::numeric_limits<Extended>::denorm_min();

}  // namespace

TEST(StrToFloat, ReadsEveryAcceptedForm) {
    struct Case {
        const char* Text;
        Extended Value;
    };
    const Case cases[] = {
        {"1.", 1.0L},
        {".5", 0.5L},
        {" 1 ", 1.0L},
        {"1e5", 1e5L},
        {"-2.5E-3", -2.5e-3L},
        {"+7", 7.0L},
        {"  -0.125e+1  ", -1.25L},
        {"000123.4500", 123.45L},
        {"1E0", 1.0L},
        {"0.1", 0.1L},
        {"6", 6.0L},
        {"1e-4951", 0.0L},
        {"2e-5000", 0.0L},
        {"1e4932", 1e4932L},
    };
    for (const Case& c : cases) {
        Extended value = -999;
        EXPECT_TRUE(TryStrToFloat(c.Text, value)) << c.Text;
        EXPECT_EQ(value, c.Value) << c.Text;
        EXPECT_EQ(StrToFloat(c.Text), c.Value) << c.Text;
    }
}

TEST(StrToFloat, RejectsEverythingElseAndLeavesTheValue) {
    const std::string cases[] = {
        "",
        "   ",
        "1e",
        "1e+",
        "1E-",
        ".",
        "-.",
        "+",
        "1 2",
        "0x10",
        "inf",
        "-INF",
        "nan",
        "1,5",
        "\t1",
        "1\t",
        "1\n",
        "1..2",
        "1.2.3",
        "e5",
        "1e5.5",
        "--1",
        "+-1",
        "- 1",
        "1 e5",
        "1e 5",
        "1_000",
        std::string("1\0", 2),
        "1e99999",
        "-1.2e4933",
        "\xC2\xA0"
        "1",
    };
    for (const std::string& text : cases) {
        Extended value = 42;
        EXPECT_FALSE(TryStrToFloat(text, value)) << text;
        EXPECT_EQ(value, 42) << text;
    }
}

TEST(StrToFloat, RaisesConvertErrorNamingTheText) {
    try {
        StrToFloat("abc");
        FAIL() << "no exception";
    } catch (const rtl::EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
    }
    EXPECT_THROW(StrToFloat("1e"), rtl::EConvertError);
}

TEST(StrToFloat, RoundsCorrectlyToExtended) {
    // 2^-64 lies exactly between 1 and its successor; ties go to even.
    EXPECT_EQ(StrToFloat("1.0000000000000000000542101086242752217003726400434970855712890625"), 1.0L);
    EXPECT_EQ(StrToFloat("1.0000000000000000000542101086242752217003726400434970855712890626"),
              std::nextafter(1.0L, 2.0L));
    EXPECT_EQ(StrToFloat("1.18973149535723176502e4932"), MaxExtended);
    EXPECT_EQ(StrToFloat("3.36210314311209350626e-4932"), MinNormal);
    EXPECT_EQ(StrToFloat("3.6451995318824746025e-4951"), MinDenormal);
    EXPECT_EQ(StrToFloat("0.1"), 1.0L / 10.0L);
    EXPECT_TRUE(std::signbit(StrToFloat("-0")));
}

TEST(StrToFloat, UsesTheConfiguredDecimalSeparator) {
    ScopedFormatSettings comma(',', '.');
    EXPECT_EQ(StrToFloat("1,5"), 1.5L);
    EXPECT_EQ(StrToFloat(",25e1"), 2.5L);
    Extended value = 0;
    EXPECT_FALSE(TryStrToFloat("1.5", value));
}

TEST(FloatToStr, WritesTheDocumentedExamples) {
    struct Case {
        Extended Value;
        const char* Text;
    };
    const Case cases[] = {
        {6, "6"},
        {1.0L / 3, "0.333333333333333"},
        {2.0L / 3, "0.666666666666667"},
        {123456789012345.0L, "123456789012345"},
        {1e15L, "1E15"},
        {1234567890123456.0L, "1.23456789012346E15"},
        {0.0001L, "0.0001"},
        {0.00001L, "1E-5"},
        {-2.5e-10L, "-2.5E-10"},
        {std::numbers::pi_v<Extended>, "3.14159265358979"},
    };
    for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.Value), c.Text);
}

TEST(FloatToStr, HandlesSpecialValuesAndZero) {
    EXPECT_EQ(FloatToStr(0.0L), "0");
    EXPECT_EQ(FloatToStr(-0.0L), "0");
    EXPECT_EQ(FloatToStr(std::numeric_limits<Extended>::quiet_NaN()), "NAN");
    EXPECT_EQ(FloatToStr(std::numeric_limits<Extended>::infinity()), "INF");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<Extended>::infinity()), "-INF");
}

TEST(FloatToStr, RoundsHalfAwayFromZeroAndCarries) {
    struct Case {
        Extended Value;
        const char* Text;
    };
    const Case cases[] = {
        {999999999999999.9L, "1E15"},  // carry makes a 16th integer digit
        {-999999999999999.9L, "-1E15"},
        {99999999999999.99L, "100000000000000"},
        {0.99999999999999999L, "1"},
        {0.000999999999999999999L, "0.001"},  // carry moves back to fixed notation
        {9.9999999999999999e-5L, "0.0001"},
        {0.5L, "0.5"},
        // Exact ties (binary fractions): away from zero, not to even.
        {100000000000000.5L, "100000000000001"},
        {-123456789012344.5L, "-123456789012345"},
        {1000000000000005.0L, "1.00000000000001E15"},
        {0.000244140625L, "0.000244140625"},
        {2.5L, "2.5"},
    };
    for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.Value), c.Text);
}

TEST(FloatToStr, SwitchesNotationAtTheBoundaries) {
    struct Case {
        Extended Value;
        const char* Text;
    };
    const Case cases[] = {
        {100000000000000.0L, "100000000000000"},
        {999999999999999.0L, "999999999999999"},
        {1000000000000000.0L, "1E15"},
        {12345678901234567890.0L, "1.23456789012346E19"},
        {0.001L, "0.001"},
        {0.00012345L, "0.00012345"},
        {0.000099999L, "9.9999E-5"},
        {1e100L, "1E100"},
        {-1.5e-300L, "-1.5E-300"},
        {1e-1000L, "1E-1000"},
        {120.0L, "120"},
        {-0.5L, "-0.5"},
    };
    for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.Value), c.Text);
}

TEST(FloatToStr, WritesTheExtremesOfExtended) {
    EXPECT_EQ(FloatToStr(MaxExtended), "1.18973149535723E4932");
    EXPECT_EQ(FloatToStr(-MaxExtended), "-1.18973149535723E4932");
    EXPECT_EQ(FloatToStr(MinNormal), "3.36210314311209E-4932");
    EXPECT_EQ(FloatToStr(MinDenormal), "3.64519953188247E-4951");
    EXPECT_EQ(FloatToStr(3 * MinDenormal), "1.09355985956474E-4950");
}

TEST(FloatToStr, UsesTheConfiguredDecimalSeparator) {
    ScopedFormatSettings comma(',', '.');
    EXPECT_EQ(FloatToStr(-1.25L), "-1,25");
    EXPECT_EQ(FloatToStr(1.5e20L), "1,5E20");
    EXPECT_EQ(StrToFloat(FloatToStr(0.1L)), StrToFloat("0,1"));
}

// The value at 15 significant digits as the C library prints it: it rounds the exact
// value too, and differs from FloatToStr only on exact ties (never met at random).
std::string LibraryText(Extended value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14Le", value);
    return buffer;
}

// Text written by FloatToStr reads back as the same value at 15 significant digits,
// across the whole range of Extended, denormals included.
TEST(FloatToStr, RoundTripsThroughStrToFloat) {
    std::mt19937_64 random(20261208);
    std::uniform_int_distribution<int> exponent(-16445, 16383);
    for (int i = 0; i < 3000; ++i) {
        const Extended mantissa = std::ldexp(static_cast<Extended>(random()), -64) + 0.5L;
        Extended value = std::ldexp(mantissa, exponent(random));
        if (i % 2) value = -value;
        if (value == 0 || std::isinf(value)) continue;
        const std::string text = FloatToStr(value);
        Extended back = 0;
        ASSERT_TRUE(TryStrToFloat(text, back)) << text;
        EXPECT_EQ(FloatToStr(back), text);
        EXPECT_EQ(back, StrToFloat(LibraryText(value))) << text;
        EXPECT_LE(std::fabs(back - value), std::fabs(value) * 5e-15L) << text;
    }
}
