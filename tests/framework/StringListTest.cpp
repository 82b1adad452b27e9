#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/base/Exceptions.hpp"
#include "framework/base/StringList.hpp"
#include "tests/support/Lines.hpp"

namespace {

using quorix_test::Lines;

TEST(StringList, SplitsTextAtEveryKindOfLineBreak) {
    const struct {
        std::string Text;
        std::vector<std::string> Lines;
    } Cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\n", {"one"}},
        {"one\ntwo", {"one", "two"}},
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one\rtwo", {"one", "two"}},
        {"one\n\ntwo", {"one", "", "two"}},
        {"one\n\r\n", {"one", ""}},
        {"\n", {""}},
        {"a\r\rb", {"a", "", "b"}},
    };
    for (const auto& Case : Cases) {
        rtl::TStringList List;
        List.SetText(Case.Text);
        EXPECT_EQ(Lines(List), Case.Lines) << Case.Text;
    }
}

TEST(StringList, TextEndsEveryLineWithABreakAndReadsBack) {
    rtl::TStringList List{"a", "", "c"};
    EXPECT_EQ(List.Text(), "a\n\nc\n");
    rtl::TStringList Copy;
    Copy.SetText(List.Text());
    EXPECT_TRUE(Copy.Equals(List));
}

TEST(StringList, IndexOfIgnoresLetterCaseEqualsDoesNot) {
    rtl::TStringList List{"Alpha", "straße", "ÉCOLE"};
    EXPECT_EQ(List.IndexOf("ALPHA"), 0);
    EXPECT_EQ(List.IndexOf("école"), 2);
    EXPECT_EQ(List.IndexOf("Beta"), -1);
    rtl::TStringList Upper{"ALPHA", "straße", "ÉCOLE"};
    EXPECT_FALSE(List.Equals(Upper));
    EXPECT_FALSE(List.Equals(rtl::TStringList{"Alpha"}));
}

TEST(StringList, EditsInPlaceAndRaisesListErrorOutsideIt) {
    rtl::TStringList List;
    EXPECT_EQ(List.Add("b"), 0);
    List.Insert(0, "a");
    List.Insert(2, "c");
    List.Put(1, "B");
    List.Delete(2);
    EXPECT_EQ(Lines(List), (std::vector<std::string>{"a", "B"}));
    EXPECT_THROW(List.Strings(2), rtl::EListError);
    EXPECT_THROW(List.Put(-1, "x"), rtl::EListError);
    EXPECT_THROW(List.Insert(3, "x"), rtl::EListError);
    EXPECT_THROW(List.Delete(2), rtl::EListError);
    EXPECT_EQ(List.Count(), 2);
}

TEST(StringList, ReportsABulkChangeOnceAndOnlyAfterIt) {
    rtl::TStringList Source{"x", "y", "z"};
    rtl::TStringList List{"old"};
    std::vector<int> SeenCounts;
    List.OnChange = [&] { SeenCounts.push_back(List.Count()); };
    List.Assign(Source);
    List.SetText("1\n2\n");
    List.Assign(List);  // itself: nothing to do
    List.Add("3");
    EXPECT_EQ(SeenCounts, (std::vector<int>{3, 2, 3}));
    EXPECT_TRUE(static_cast<bool>(List.OnChange));
}

}  // namespace
