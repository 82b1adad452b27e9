// The linear tree builder against the pass-based oracle on random token lists, valid
// and malformed, under the rules of both flavours: the same trees with every sign and
// folded value, the same reports and folds in the same order, the same exceptions,
// the same tokens handed back, and the same values and calls when the trees are
// evaluated. QUORIX_DIFFERENTIAL_COUNT sets how many lists to try.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PassBuilderOracle.hpp"
#include "RandomTokens.hpp"
#include "engine/core/Arithmetic.hpp"
#include "engine/core/TiePool.hpp"
#include "engine/core/TreeBuilder.hpp"

namespace quorix::testing {
namespace {

using core::TTie;
using core::TTieList;

// What differs between runs: the flavour's rules, folding, a throwing error handler,
// whether the linear builder is told the tokens' kinds, and whether its parentheses
// come without nodes (with their kinds), as the tokenizers make them. Such parentheses
// are not handed back, so the oracle's are left out of what is compared.
struct TMode {
    bool bVariablesFlavour;
    bool bFold;
    bool bReportThrows;
    bool bGivenKinds;
    bool bNodelessParentheses;
};

bool IsParenthesis(const TTie& Tie) { return core::IsToken(Tie, '(') || core::IsToken(Tie, ')'); }

// Everything observable about one build, as text.
struct TOutcome {
    std::string sLog;  // reports, folds and exceptions in order
    std::string sTree;
    std::string sLeft;  // tokens handed back
    std::string sEval;  // value and calls
};

void Dump(const TTie* p, std::string& sOut) {
    if (!p) {
        sOut += '~';
        return;
    }
    sOut += '[' + p->sName + ' ' + std::to_string(p->iSign) + ' ' + std::to_string(p->iPos) + ' ' +
            std::to_string(static_cast<double>(p->rValue)) + (p->bConst ? "c" : "") +
            (p->bResolved ? "r" : "");
    Dump(p->pLeft, sOut);
    Dump(p->pRight, sOut);
    sOut += ']';
}

// The evaluation of either flavour without an error flag, logging each name's call.
long double Evaluate(const TTie* p, std::string& sCalls) {
    if (!p) return 0;
    if (p->bNumber || p->bConst) return p->iSign * p->rValue;
    if (core::IsOperatorNode(*p)) {
        const long double l = Evaluate(p->pLeft, sCalls);
        const long double r = Evaluate(p->pRight, sCalls);
        if (p->sName[0] == '/' && r == 0) {
            sCalls += "/0@" + std::to_string(p->iPos) + ' ';
            return 0;
        }
        return core::ApplyOperator(p->sName[0], l, r) * p->iSign;
    }
    sCalls += p->sName + '@' + std::to_string(p->iPos) + ' ';
    return 2.0L * p->iSign;
}

TOutcome Build(const std::vector<TDraw>& Draws, const TMode& Mode, bool bOracle) {
    TOutcome Out;
    TTieList Tokens;
    std::vector<char> Kinds;
    core::TParentheses Parentheses;
    const bool bNodeless = Mode.bNodelessParentheses && !bOracle;
    const core::TTiePool::THandle Pool = core::TTiePool::Create();
    for (std::size_t i = 0; i < Draws.size(); ++i) {
        Kinds.push_back(Draws[i].bNumber ? 0 : core::TokenKind(Draws[i].sName[0]));
        if (bNodeless && (Kinds.back() == '(' || Kinds.back() == ')')) {
            core::AddParenthesis(Tokens, Parentheses, static_cast<int>(i) * 2);
            continue;
        }
        TTie* pTie = core::AddTie(Tokens, *Pool);
        pTie->sName =
            Draws[i].bNumber ? std::to_string(static_cast<double>(Draws[i].rValue)) : Draws[i].sName;
        pTie->rValue = Draws[i].rValue;
        pTie->bNumber = pTie->bConst = Draws[i].bNumber;
        pTie->iPos = static_cast<int>(i) * 2;
    }
    core::TBuildRules Rules;
    Rules.IsSignedName = [&](const TTie& Tie) { return Mode.bVariablesFlavour || Tie.sName != "u"; };
    Rules.Report = [&](int iErrCode, int iPos) {
        Out.sLog += "report " + std::to_string(iErrCode) + '@' + std::to_string(iPos) + ' ';
        if (Mode.bReportThrows) throw std::runtime_error("handler");
    };
    if (Mode.bFold)
        Rules.Fold = [&](TTie& Tie) {
            Out.sLog += "fold@" + std::to_string(Tie.iPos) + ' ';
            const long double l = Tie.pLeft->iSign * Tie.pLeft->rValue;
            const long double r = Tie.pRight->iSign * Tie.pRight->rValue;
            if (Tie.sName[0] == '/' && r == 0) {
                if (!Mode.bVariablesFlavour) return;  // left for the evaluator
                Rules.Report(9, Tie.iPos);
                Tie.rValue = 0;
            } else {
                Tie.rValue = core::ApplyOperator(Tie.sName[0], l, r) * Tie.iSign;
            }
            Tie.bConst = true;
        };
    // Builds share their arrays, as a component's do, so that what one leaves in them
    // cannot go unnoticed.
    static core::TBuildScratch Scratch;
    Rules.pScratch = &Scratch;
    TTie* pRoot = nullptr;
    try {
        pRoot = bOracle ? BuildTreeByPasses(Tokens, Rules)
                        : core::BuildTree(Tokens, Rules,
                                          Mode.bGivenKinds || bNodeless ? Kinds : std::vector<char>(),
                                          Parentheses);
    } catch (const std::exception& Error) {
        Out.sLog += std::string("exception ") + Error.what();
    }
    Dump(pRoot, Out.sTree);
    for (const TTie* pTie : Tokens)
        if (!(Mode.bNodelessParentheses && pTie && IsParenthesis(*pTie))) Dump(pTie, Out.sLeft);
    if (pRoot) {
        try {
            Out.sEval = std::to_string(static_cast<double>(Evaluate(pRoot, Out.sEval)));
        } catch (const std::exception& Error) {
            Out.sEval += std::string("exception ") + Error.what();
        }
    }
    core::ClearBST(pRoot);
    core::ClearTokens(Tokens);
    return Out;
}

std::string Show(const std::vector<TDraw>& Draws) {
    std::string s;
    for (const TDraw& Draw : Draws)
        s += Draw.sName + (Draw.bNumber ? std::to_string(static_cast<double>(Draw.rValue)) : "") + ' ';
    return s;
}

TEST(TreeBuilderDifferential, BuildsWhatThePassBasedBuilderBuildsOnRandomTokenLists) {
    const uint64_t iCount = CountFromEnvironment(20000);
    TRandomTokens Random(0x5eed);
    uint64_t iMismatches = 0;
    for (uint64_t i = 0; i < iCount && iMismatches < 5; ++i) {
        const std::vector<TDraw> Draws = Random.Next();
        const TMode Mode{(i & 1) != 0, (i & 2) != 0, i % 7 == 0, (i & 4) != 0, (i & 8) != 0};
        const TOutcome Linear = Build(Draws, Mode, false);
        const TOutcome Oracle = Build(Draws, Mode, true);
        const bool bSame = Linear.sLog == Oracle.sLog && Linear.sTree == Oracle.sTree &&
                           Linear.sLeft == Oracle.sLeft && Linear.sEval == Oracle.sEval;
        if (bSame) continue;
        ++iMismatches;
        ADD_FAILURE() << "tokens: " << Show(Draws) << "\nmode " << Mode.bVariablesFlavour << Mode.bFold
                      << Mode.bReportThrows << Mode.bGivenKinds << Mode.bNodelessParentheses
                      << "\nlinear: " << Linear.sLog << '|' << Linear.sTree << '|' << Linear.sLeft << '|'
                      << Linear.sEval << "\noracle: " << Oracle.sLog << '|' << Oracle.sTree << '|'
                      << Oracle.sLeft << '|' << Oracle.sEval;
    }
    std::printf("differential inputs: %llu\n", static_cast<unsigned long long>(iCount));
}

}  // namespace
}  // namespace quorix::testing
