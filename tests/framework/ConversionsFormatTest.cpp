#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "framework/base/Conversions.hpp"

using rtl::Extended;
using rtl::FormatFloat;

namespace {

struct FormatCase {
    const char* Pattern;
    Extended Value;
    const char* Text;
};

void ExpectFormats(const std::initializer_list<FormatCase>& cases) {
    for (const FormatCase& c : cases)
        EXPECT_EQ(FormatFloat(c.Pattern, c.Value), c.Text) << "pattern \"" << c.Pattern << "\"";
}

}  // namespace

TEST(FormatFloat, WritesTheDocumentedExamples) {
    ExpectFormats({
        {"0.00", 3.14159L, "3.14"},
        {"#,##0.00", 1234567.891L, "1,234,567.89"},
        {"0.###E+00", 12345, "1.235E+04"},
        {"0.00;(0.00);zero", -2.5L, "(2.50)"},
        {"0", 2.5L, "3"},
        {"#.##", 0.5L, ".5"},
        {"", 1.0L / 3, "0.333333333333333"},
    });
}

// Each pattern on 1234, -1234, 0.5 and 0.
TEST(FormatFloat, AppliesEachPatternToPositiveNegativeFractionAndZero) {
    struct Row {
        const char* Pattern;
        const char* Texts[4];
    };
    const Row rows[] = {
        {"0", {"1234", "-1234", "1", "0"}},
        {"0.00", {"1234.00", "-1234.00", "0.50", "0.00"}},
        {"#.##", {"1234", "-1234", ".5", ""}},
        {"#,##0.00", {"1,234.00", "-1,234.00", "0.50", "0.00"}},
        {"#,##0.00;(#,##0.00)", {"1,234.00", "(1,234.00)", "0.50", "0.00"}},
        {"#,##0.00;;Zero", {"1,234.00", "-1,234.00", "0.50", "Zero"}},
        {"0.000E+00", {"1.234E+03", "-1.234E+03", "5.000E-01", "0.000E+00"}},
        {"#.###E-0", {"1.234E3", "-1.234E3", "5E-1", "0E0"}},
    };
    const Extended values[4] = {1234, -1234, 0.5L, 0};
    for (const Row& row : rows)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(FormatFloat(row.Pattern, values[i]), row.Texts[i])
                << "pattern \"" << row.Pattern << "\" value " << static_cast<double>(values[i]);
}

TEST(FormatFloat, RoundsHalfAwayFromZeroWithCarries) {
    ExpectFormats({
        {"0.00", 9.9951L, "10.00"},
        {"#,##0", 999999.5L, "1,000,000"},
        {"#,##0", -999999.5L, "-1,000,000"},
        {"0.0", 0.25L, "0.3"},
        {"0.0", -0.25L, "-0.3"},
        {"0", 0.5L, "1"},
        {"#", 0.4L, ""},
        {"0.00", 0.125L, "0.13"},  // an exact tie goes away from zero, not to even
        {"0.00", -0.125L, "-0.13"},
        {"0.00", 0.005L, "0.00"},  // the nearest Extended lies just below the tie
        {"0.###", 1.0005L, "1.001"},
        {"0.00E+00", 9.999L, "1.00E+01"},
        {"0.00000000000000000000", 1.0L / 3, "0.33333333333333333300"},  // 18 digits at most
    });
}

TEST(FormatFloat, FillsIntegerPlaceholdersAndGroups) {
    ExpectFormats({
        {"0", 123456, "123456"},
        {"00000", 42, "00042"},
        {"0##", 5, "005"},
        {"#0", 5, "5"},
        {"00-00", 1234, "12-34"},
        {"#,##0", 0, "0"},
        {"#,##0", 123, "123"},
        {"#,##0", 1234, "1,234"},
        {"#,##0", 123456789, "123,456,789"},
        {"000,000", 12, "000,012"},
        {"0,0.0,0", 12345.678L, "12,345.68"},
        {"0.", 5, "5"},
        {"0.#", 5, "5"},
        {"#.#0", 0.5L, ".50"},
        {"0.00", 0.05L, "0.05"},
    });
}

TEST(FormatFloat, WritesScientificNotation) {
    ExpectFormats({
        {"0.0E+0000", 1.5e-100L, "1.5E-0100"},
        {"0.00e-00", 12345, "1.23e04"},
        {"0.00e-00", 0.012345L, "1.23e-02"},
        {"00.0E+0", 12345, "12.3E+3"},
        {"0E+0", 0.5L, "5E-1"},
        {"0.00E+0", std::numeric_limits<Extended>::max(), "1.19E+4932"},
        {"0.00E+0", std::numeric_limits<Extended>::denorm_min(), "3.65E-4951"},
        {"0.00E+00000", 1234, "1.23E+00030"},  // four exponent digits, the fifth zero is text
        {"0.0E", 5, "5.0E"},                   // no sign: a plain letter
        {"0.0 e+", 5, "5.0 e+0"},
    });
}

TEST(FormatFloat, CopiesLiteralText) {
    ExpectFormats({
        {"'#'0 \"kg\"", 5, "#5 kg"},
        {"0.0 'E+'", 2, "2.0 E+"},
        {"0';'0", 12, "1;2"},
        {"$#,##0.00", -1234.5L, "-$1,234.50"},
        {"0 'open", 3, "3 open"},
        {"0%", 12, "12%"},
    });
}

TEST(FormatFloat, ChoosesTheSection) {
    ExpectFormats({
        {"0.0;", -1.5L, "-1.5"},  // empty negative section
        {"0.0;;zero", -1.5L, "-1.5"},
        {"0.0;neg;zero", 0.04L, "zero"},  // rounds to zero under the first section
        {"0.0;neg;zero", -0.04L, "zero"},
        {"0.0;neg;zero", 0, "zero"},
        {"0.0;neg;zero", -0.06L, "neg"},
        {"0.0", -0.04L, "0.0"},        // a printed zero carries no minus
        {"0.0;(0.0)", -0.04L, "0.0"},  // nor does it take the negative section
        {"0.0;(0.0)", -0.05L, "(0.1)"},
        {"0.0;(0.000)", -1.23456L, "(1.235)"},
        {"0.0;(0.000)", 1.23456L, "1.2"},
        {"0.0;(0);'z';extra", 0, "z"},
        {";(0)", 2.5L, "2.5"},
    });
}

TEST(FormatFloat, FallsBackToFloatToStrBeyondEighteenIntegerDigits) {
    ExpectFormats({
        {"0", 999999999999999999.0L, "999999999999999999"},
        {"0", 1e18L, "1E18"},
        {"#,##0.00", -1e20L, "-1E20"},
        {"0.00;(0.00)", -1e20L, "-1E20"},
        {"0", std::numeric_limits<Extended>::quiet_NaN(), "NAN"},
        {"0.00", std::numeric_limits<Extended>::infinity(), "INF"},
        {"0.00", -std::numeric_limits<Extended>::infinity(), "-INF"},
    });
}

TEST(FormatFloat, UsesTheConfiguredSeparators) {
    const rtl::TFormatSettings saved = rtl::FormatSettings;
    rtl::FormatSettings.DecimalSeparator = ',';
    rtl::FormatSettings.ThousandSeparator = '.';
    const std::string grouped = FormatFloat("#,##0.00", 1234567.891L);
    const std::string general = FormatFloat("", 0.5L);
    rtl::FormatSettings = saved;
    EXPECT_EQ(grouped, "1.234.567,89");
    EXPECT_EQ(general, "0,5");
}
