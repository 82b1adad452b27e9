// The argument-list scan and splitter both flavours parse with, and the texts of
// argument lists, which are views into the one copy of the text a parse reads.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/Arguments.hpp"
#include "engine/core/TieText.hpp"

namespace {

using quorix::core::ScanArgumentList;
using quorix::core::SplitArguments;

std::vector<std::pair<std::string, std::size_t>> Split(std::string_view sList, char cSeparator = ';') {
    std::vector<std::pair<std::string, std::size_t>> Arguments;
    SplitArguments(sList, '\'', cSeparator, [&](std::string_view sArg, std::size_t iStart) {
        Arguments.emplace_back(std::string(sArg), iStart);
        return true;
    });
    return Arguments;
}

TEST(ArgumentList, ScanFindsTheMatchingParenthesisOutsideStrings) {
    const std::string sText = "f(g(1);')(';2)+3";
    const auto List = ScanArgumentList(sText, 1, '\'');
    EXPECT_EQ(List.iEnd, sText.find('+'));
    EXPECT_EQ(List.iDepth, 0);
    EXPECT_FALSE(List.bQuoted);

    EXPECT_TRUE(ScanArgumentList("f('x)", 1, '\'').bQuoted);
    EXPECT_EQ(ScanArgumentList("f((1)", 1, '\'').iDepth, 1);
}

TEST(ArgumentList, ScanCountsOnlyCallsTowardsTheNestingLimit) {
    // f is at level 1; g, h open levels 2 and 3; plain parentheses do not count.
    const std::string sText = "f(g(((h(1)))))";
    EXPECT_FALSE(ScanArgumentList(sText, 1, '\'', 1, 3).bTooDeep);
    EXPECT_TRUE(ScanArgumentList(sText, 1, '\'', 1, 2).bTooDeep);
    // A call closed before the next one opens gives its level back.
    EXPECT_FALSE(ScanArgumentList("f(g(1)+h(2))", 1, '\'', 1, 2).bTooDeep);
}

TEST(ArgumentList, SplitCutsAtTopLevelSeparatorsOnly) {
    using TArgs = std::vector<std::pair<std::string, std::size_t>>;
    EXPECT_EQ(Split("1;g(2;3);'a;b'"), (TArgs{{"1", 0}, {"g(2;3)", 2}, {"'a;b'", 9}}));
    EXPECT_EQ(Split("1;;2"), (TArgs{{"1", 0}, {"", 2}, {"2", 3}}));
    // The last argument keeps its final character, even a separator.
    EXPECT_EQ(Split("1;"), (TArgs{{"1;", 0}}));
    EXPECT_EQ(Split("a,b", ','), (TArgs{{"a", 0}, {"b", 2}}));
    EXPECT_TRUE(Split("").empty());

    int iTaken = 0;
    EXPECT_FALSE(
        SplitArguments("1;2;3", '\'', ';', [&](std::string_view, std::size_t) { return ++iTaken < 2; }));
    EXPECT_EQ(iTaken, 2);
}

TEST(ArgumentList, AnArgumentListKeepsTheTextItViewsAlive) {
    auto pText = std::make_shared<const std::string>("f(1;2)");
    quorix::core::TRareText Params;
    Params.Assign(pText, std::string_view(*pText).substr(2, 3));
    const std::weak_ptr<const std::string> pWatch = pText;
    pText.reset();
    ASSERT_FALSE(pWatch.expired());
    EXPECT_EQ(Params, "1;2");
    Params.Assign(nullptr, {});
    EXPECT_TRUE(pWatch.expired());
    EXPECT_TRUE(Params.empty());
}

}  // namespace
