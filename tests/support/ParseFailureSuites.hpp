// Texts both flavours refuse at the same place for the same reason, then those the
// flavour alone refuses, and what a failed parse leaves. A flavour names the codes of
// its own numbering and its own cases:
//   static constexpr int iUnknownName, iOpenString;
//   static std::span<const TParseFailure> OwnParseFailures();
#pragma once

#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "tests/support/FlavourTest.hpp"

namespace quorix_test {

struct TParseFailure {
    const char* sText;
    int iPos;
    int iCode;  // a code, or one the flavour numbers (below)
};

// The builder's codes, and those of an unknown name and a string delimiter left open.
inline constexpr int kOperand = 1, kNoClosing = 2, kNoOpening = 3, kUnknown = -1, kOpenQuote = -2;

// Positions count from 0 in the whole text, inside argument lists too. Names come in
// either case: both flavours list them in any. There is no unary plus; an error inside
// an argument fails the whole parse; an open argument list or string is reported at
// the last character of the text; a final separator belongs to the last argument
// ("1;"); a blank belongs to the name it follows or precedes, and a string outside an
// argument list, or with a blank before its delimiter, is a name too.
inline constexpr TParseFailure kSharedParseFailures[] = {
    {"+5", 0, kOperand},        {"5-", 1, kOperand},          {"+", 0, kOperand},
    {"()", 0, kOperand},        {"(1+2", 3, kNoClosing},      {"1+2)", 0, kNoOpening},
    {"((1+2)", 3, kNoClosing},  {"(1+2))", 2, kNoOpening},    {"(", 0, kNoClosing},
    {")", 0, kNoOpening},       {"2(3)", 0, kOperand},        {"(1-2)(3)", 2, kOperand},
    {"--3", 0, kOperand},       {"1-2+*3", 1, kOperand},      {"f(1+)", 3, kOperand},
    {"F(1+)", 3, kOperand},     {"f(1", 2, kNoClosing},       {"F(1", 2, kNoClosing},
    {"f(g(1)", 5, kNoClosing},  {"F(G(1)", 5, kNoClosing},    {"f('abc)", 6, kOpenQuote},
    {"F('abc)", 6, kOpenQuote}, {"F(')", 3, kOpenQuote},      {"f(1;)", 2, kUnknown},
    {"F(1;)", 2, kUnknown},     {"F(1;G(2;h))", 8, kUnknown}, {"F(x;F(1;q))", 8, kUnknown},
    {"y", 0, kUnknown},         {"y+1", 0, kUnknown},         {"1+ f", 2, kUnknown},
    {"x + 1", 0, kUnknown},     {"f ", 0, kUnknown},          {"1 2", 0, kUnknown},
    {"'a'", 0, kUnknown},       {"f( 'a')", 2, kUnknown},     {"1e-5", 0, kUnknown},
};

template <class TFlavour>
class ParseFailure : public TFlavourTest<TFlavour> {
protected:
    static std::vector<TParseFailure> Cases() {
        std::vector<TParseFailure> All(std::begin(kSharedParseFailures), std::end(kSharedParseFailures));
        for (TParseFailure Case : TFlavour::OwnParseFailures()) All.push_back(Case);
        for (TParseFailure& Case : All)
            if (Case.iCode < 0)
                Case.iCode = Case.iCode == kUnknown ? TFlavour::iUnknownName : TFlavour::iOpenString;
        return All;
    }
};
TYPED_TEST_SUITE_P(ParseFailure);

TYPED_TEST_P(ParseFailure, ReportsTheFirstProblemOnceAndLeavesNoTree) {
    for (const TParseFailure& Case : this->Cases()) {
        SCOPED_TRACE(Case.sText);
        EXPECT_FALSE(this->ParseText(Case.sText));
        EXPECT_EQ(this->Reports, Only(Case.iPos, Case.iCode));
        EXPECT_EQ(this->Q.GetParsedText(), "");
        EXPECT_EQ(this->Q.GetUsedFun()->Count(), 0);
        // The text stays unparsed, so the next attempt reports the error again.
        EXPECT_FALSE(this->Q.Calc());
        EXPECT_EQ(this->Reports.size(), 2u);
        EXPECT_EQ(this->Q.Value(), 0);
    }
}

TYPED_TEST_P(ParseFailure, FailsTheSameWayWithoutAnErrorHandler) {
    this->Q.SetOnError(nullptr);
    for (const TParseFailure& Case : this->Cases()) {
        SCOPED_TRACE(Case.sText);
        this->Q.SetText(Case.sText);
        EXPECT_FALSE(this->Q.Parse());
        EXPECT_FALSE(this->Q.Calc());
        EXPECT_EQ(this->Q.Value(), 0);
    }
}

REGISTER_TYPED_TEST_SUITE_P(ParseFailure, ReportsTheFirstProblemOnceAndLeavesNoTree,
                            FailsTheSameWayWithoutAnErrorHandler);

}  // namespace quorix_test
