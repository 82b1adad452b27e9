// The linear tree builder against the pass-based oracle on random token lists, valid
// and malformed, under the rules of both flavours: the same trees with every sign and
// folded value, the same reports and folds in the same order, the same exceptions,
// the same tokens handed back, and the same values and calls when the trees are
// evaluated. QUORIX_DIFFERENTIAL_COUNT sets how many lists to try.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "PassBuilderOracle.hpp"
#include "engine/Arithmetic.hpp"
#include "engine/TiePool.hpp"
#include "engine/TreeBuilder.hpp"

namespace quorix::testing {
namespace {

using core::TTie;
using core::TTieList;

// One token as drawn, before it is made into a node.
struct TDraw {
    std::string sName;
    long double rValue = 0;
    bool bNumber = false;
};

class TRandomTokens {
public:
    explicit TRandomTokens(uint64_t iSeed) : FRandom(iSeed) {}

    std::vector<TDraw> Next() {
        std::vector<TDraw> Draws;
        if (Chance(2)) {
            Expression(Draws, 0);
            for (int k = Pick(4); k > 0 && Chance(2); --k) Mutate(Draws);
        } else {
            for (int n = Pick(14); n > 0; --n) Draws.push_back(AnyToken());
        }
        return Draws;
    }

private:
    int Pick(int n) { return static_cast<int>(FRandom() % static_cast<uint64_t>(n)); }
    bool Chance(int n) { return Pick(n) == 0; }

    TDraw Number() {
        static const long double Values[] = {0, 1, 2, 3, 0.5L, 10, 1e3000L};
        const long double r = Values[Pick(7)];
        return {"n", r, true};
    }
    TDraw Name() { return {Chance(4) ? "u" : "f", 0, false}; }
    TDraw Char(char c) { return {std::string(1, c), 0, false}; }
    TDraw AnyToken() {
        switch (Pick(6)) {
            case 0: return Number();
            case 1: return Name();
            case 2: return Char("()"[Pick(2)]);
            default: return Char("+-*/^"[Pick(5)]);
        }
    }

    void Operand(std::vector<TDraw>& Draws, int iDepth) {
        for (int k = Chance(4) ? 1 + Pick(3) : 0; k > 0; --k) Draws.push_back(Char('-'));
        if (iDepth < 6 && Chance(3)) {
            Draws.push_back(Char('('));
            Expression(Draws, iDepth + 1);
            Draws.push_back(Char(')'));
        } else {
            Draws.push_back(Chance(4) ? Name() : Number());
        }
    }
    void Expression(std::vector<TDraw>& Draws, int iDepth) {
        Operand(Draws, iDepth);
        for (int n = Pick(5); n > 0; --n) {
            Draws.push_back(Char("+-*/^"[Pick(5)]));
            Operand(Draws, iDepth);
        }
    }
    void Mutate(std::vector<TDraw>& Draws) {
        const std::size_t i = Draws.empty() ? 0 : static_cast<std::size_t>(Pick(static_cast<int>(Draws.size())));
        switch (Pick(3)) {
            case 0: if (!Draws.empty()) Draws.erase(Draws.begin() + static_cast<std::ptrdiff_t>(i)); break;
            case 1: Draws.insert(Draws.begin() + static_cast<std::ptrdiff_t>(i), AnyToken()); break;
            default: if (!Draws.empty()) Draws[i] = AnyToken(); break;
        }
    }

    std::mt19937_64 FRandom;
};

// What differs between runs: the flavour's rules, folding, a throwing error handler.
struct TMode {
    bool bVariablesFlavour;
    bool bFold;
    bool bReportThrows;
};

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
            std::to_string(static_cast<double>(p->rValue)) + (p->bConst ? "c" : "") + (p->bResolved ? "r" : "");
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
    const core::TTiePool::THandle Pool = core::TTiePool::Create();
    for (std::size_t i = 0; i < Draws.size(); ++i) {
        TTie* pTie = core::AddTie(Tokens, *Pool);
        pTie->sName = Draws[i].bNumber ? std::to_string(static_cast<double>(Draws[i].rValue)) : Draws[i].sName;
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
        pRoot = bOracle ? BuildTreeByPasses(Tokens, Rules) : core::BuildTree(Tokens, Rules);
    } catch (const std::exception& Error) {
        Out.sLog += std::string("exception ") + Error.what();
    }
    Dump(pRoot, Out.sTree);
    for (const TTie* pTie : Tokens) Dump(pTie, Out.sLeft);
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
    for (const TDraw& Draw : Draws) s += Draw.sName + (Draw.bNumber ? std::to_string(static_cast<double>(Draw.rValue)) : "") + ' ';
    return s;
}

uint64_t CountFromEnvironment(uint64_t iDefault) {
    const char* s = std::getenv("QUORIX_DIFFERENTIAL_COUNT");
    return s && *s ? std::strtoull(s, nullptr, 10) : iDefault;
}

TEST(TreeBuilderDifferential, BuildsWhatThePassBasedBuilderBuildsOnRandomTokenLists) {
    const uint64_t iCount = CountFromEnvironment(20000);
    TRandomTokens Random(0x5eed);
    uint64_t iMismatches = 0;
    for (uint64_t i = 0; i < iCount && iMismatches < 5; ++i) {
        const std::vector<TDraw> Draws = Random.Next();
        const TMode Mode{(i & 1) != 0, (i & 2) != 0, i % 7 == 0};
        const TOutcome Linear = Build(Draws, Mode, false);
        const TOutcome Oracle = Build(Draws, Mode, true);
        const bool bSame = Linear.sLog == Oracle.sLog && Linear.sTree == Oracle.sTree &&
                           Linear.sLeft == Oracle.sLeft && Linear.sEval == Oracle.sEval;
        if (bSame) continue;
        ++iMismatches;
        ADD_FAILURE() << "tokens: " << Show(Draws) << "\nmode " << Mode.bVariablesFlavour << Mode.bFold
                      << Mode.bReportThrows << "\nlinear: " << Linear.sLog << '|' << Linear.sTree << '|'
                      << Linear.sLeft << '|' << Linear.sEval << "\noracle: " << Oracle.sLog << '|' << Oracle.sTree
                      << '|' << Oracle.sLeft << '|' << Oracle.sEval;
    }
    std::printf("differential inputs: %llu\n", static_cast<unsigned long long>(iCount));
}

}  // namespace
}  // namespace quorix::testing
