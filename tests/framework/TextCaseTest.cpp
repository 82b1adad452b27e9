#include <gtest/gtest.h>

#include <string>

#include "framework/base/TextCase.hpp"

using rtl::AnsiCompareText;
using rtl::AnsiSameText;
using rtl::AnsiUpperCase;
using rtl::UpperCase;

TEST(UpperCase, ChangesOnlyAsciiLetters) {
    EXPECT_EQ(UpperCase("abc xyz_09 AZ@[`{"), "ABC XYZ_09 AZ@[`{");
    EXPECT_EQ(UpperCase("\xC3\xA4"), "\xC3\xA4");  // ä untouched
    EXPECT_EQ(UpperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
}

TEST(AnsiUpperCase, MapsLettersOfEveryCoveredScript) {
    struct Case {
        const char* Lower;
        const char* Upper;
    };
    const Case cases[] = {
        {"abc", "ABC"},
        {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA9\xC3\xB8", "\xC3\x84\xC3\x96\xC3\x9C\xC3\x89\xC3\x98"},  // äöüéø
        {"\xC3\xBF", "\xC5\xB8"},                                  // ÿ -> Ÿ leaves Latin-1
        {"\xC2\xB5", "\xCE\x9C"},                                  // micro sign -> Greek Mu
        {"\xC4\x81\xC5\x93\xC5\xBE", "\xC4\x80\xC5\x92\xC5\xBD"},  // āœž
        {"\xC4\xB1", "I"},                                         // dotless i shrinks to one byte
        {"\xC5\xBF", "S"},                                         // long s
        {"\xC3\x9F", "\xC3\x9F"},                                  // ß has no single upper case
        {"\xCE\xB1\xCE\xB2\xCF\x82\xCF\x89\xCE\xAC", "\xCE\x91\xCE\x92\xCE\xA3\xCE\xA9\xCE\x86"},  // αβςωά
        {"\xD0\xB0\xD1\x8F\xD1\x91\xD1\x97", "\xD0\x90\xD0\xAF\xD0\x81\xD0\x87"},                  // аяёї
        {"\xC3\x97\xC3\xB7", "\xC3\x97\xC3\xB7"},                          // × ÷ are not letters
        {"\xE2\x82\xAC\xF0\x9F\x98\x80", "\xE2\x82\xAC\xF0\x9F\x98\x80"},  // € and an emoji
    };
    for (const Case& c : cases) EXPECT_EQ(AnsiUpperCase(c.Lower), c.Upper) << c.Lower;
}

TEST(AnsiUpperCase, PassesInvalidSequencesThroughUnchanged) {
    const std::string cases[] = {
        "a\x80z",            // lone continuation byte
        "\xC3",              // truncated at the end
        "\xC3z",             // truncated before ASCII
        "\xC0\xAF",          // overlong '/'
        "\xED\xA0\x80",      // surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xFF\xFE",
    };
    for (const std::string& s : cases) {
        std::string expected = UpperCase(s);
        EXPECT_EQ(AnsiUpperCase(s), expected);
    }
    // A broken sequence does not swallow the letter after it.
    EXPECT_EQ(AnsiUpperCase("\xC3\xC3\xA4"), "\xC3\xC3\x84");
}

TEST(AnsiCompareText, IgnoresCaseInAsciiAndBeyond) {
    EXPECT_TRUE(AnsiSameText("Sum", "sUM"));
    EXPECT_TRUE(AnsiSameText("\xC3\xA4rger", "\xC3\x84RGER"));          // ärger
    EXPECT_TRUE(AnsiSameText("\xD0\xB4\xD0\xB0", "\xD0\x94\xD0\x90"));  // да
    EXPECT_TRUE(AnsiSameText("\xC4\xB1", "I"));                         // lengths differ
    EXPECT_TRUE(AnsiSameText("", ""));
    EXPECT_FALSE(AnsiSameText("sum", "sums"));
    EXPECT_FALSE(AnsiSameText("\xC3\xA4", "a"));
    EXPECT_FALSE(AnsiSameText("\xC3", "\xC3\xA4"));
}

TEST(AnsiCompareText, OrdersAsTheUpperCasedBytes) {
    const char* texts[] = {
        "",     "a",    "B",        "ab",        "Ab1",      "b",        "_", "z",
        "\x80", "\xC3", "\xC3\xA4", "\xC3\x84x", "\xCE\xB1", "\xC4\xB1", "i", "\xF0\x9F\x98\x80"};
    for (const char* a : texts)
        for (const char* b : texts) {
            const int expected = AnsiUpperCase(a).compare(AnsiUpperCase(b));
            const int sign = (expected > 0) - (expected < 0);
            EXPECT_EQ(AnsiCompareText(a, b), sign) << '"' << a << "\" vs \"" << b << '"';
        }
}
