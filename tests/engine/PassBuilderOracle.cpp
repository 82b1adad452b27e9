#include "PassBuilderOracle.hpp"

#include <cstddef>

namespace quorix::testing {

using namespace quorix::core;

namespace {

class TTreeBuilder {
public:
    TTreeBuilder(TTieList& Tokens, const TBuildRules& Rules) : FTokens(Tokens), FRules(Rules) {}

    TTie* Build() {
        while (FTokens.size() > 1)
            if (!ReduceInnermostGroup()) return nullptr;
        return TakeRoot();
    }

private:
    using Index = std::ptrdiff_t;

    TTie& At(Index i) const { return *FTokens[static_cast<std::size_t>(i)]; }
    Index Count() const { return static_cast<Index>(FTokens.size()); }

    void Report(int iErrCode, int iPos) const {
        if (FRules.Report) FRules.Report(iErrCode, iPos);
    }

    // The group's first token if it is a bare operator, else its last if that one
    // is, else its first.
    int OperandErrorPos(Index First, Index Last) const {
        if (IsBareOperator(At(First))) return At(First).iPos;
        if (IsBareOperator(At(Last))) return At(Last).iPos;
        return At(First).iPos;
    }

    bool IsSignable(const TTie& Tie) const {
        if (Tie.bNumber || Tie.bResolved) return true;
        return IsNameNode(Tie) && FRules.IsSignedName && FRules.IsSignedName(Tie);
    }

    // A "-" that starts the list or follows a bare operator or "(" negates the number,
    // name or operator node right after it. The last token is never a prefix minus.
    // Done as one compacting walk so that a pass stays linear in the list length.
    void ApplyPrefixMinus() {
        const Index n = Count();
        Index w = -1;  // last index of the walked, kept part
        Index i = 0;
        while (i < n - 1) {
            TTie* pTie = FTokens[i];
            const bool bAfterOperator = w < 0 || IsBareOperator(*FTokens[w]) || IsToken(*FTokens[w], '(');
            if (IsToken(*pTie, '-') && !pTie->bResolved && bAfterOperator && IsSignable(*FTokens[i + 1])) {
                TTie* pOperand = FTokens[i + 1];
                pOperand->iSign = static_cast<int16_t>(-pOperand->iSign);
                ClearBST(pTie);
                FTokens[++w] = pOperand;
                i += 2;
            } else {
                FTokens[++w] = pTie;
                ++i;
            }
        }
        while (i < n) FTokens[++w] = FTokens[i++];
        FTokens.resize(static_cast<std::size_t>(w + 1));
    }

    // One pass: prefix minuses, then the innermost group is reduced to one node.
    bool ReduceInnermostGroup() {
        ApplyPrefixMinus();

        Index First = 0;
        for (Index i = Count() - 1; i >= 0; --i)
            if (IsToken(At(i), '(')) {
                First = i;
                break;
            }
        // Without a "(" the list may start with a stray ")": it must end the group, or
        // it would be taken for an operand.
        Index Last = Count() - 1;
        for (Index i = IsToken(At(First), '(') ? First + 1 : First; i < Count(); ++i)
            if (IsToken(At(i), ')')) {
                Last = i;
                break;
            }

        const bool bOpen = IsToken(At(First), '(');
        const bool bClose = IsToken(At(Last), ')');
        if (bOpen != bClose) {
            if (!bOpen) Report(beNoOpening, At(First).iPos);
            else Report(beNoClosing, At(Last).iPos);
            return false;
        }
        if (Last - First + 1 == 2) {
            Report(beOperand, OperandErrorPos(First, Last));
            return false;
        }
        if (bOpen) {
            Release(First);
            --Last;
            if (IsToken(At(Last), ')')) {
                Release(Last);
                --Last;
            }
        }

        for (Index k = static_cast<Index>(sCharOperator.size()) - 1; k >= 0; --k) {
            if (Last - First + 1 == 2) {
                Report(beOperand, OperandErrorPos(First, Last));
                return false;
            }
            Sweep(sCharOperator[static_cast<std::size_t>(k)], First, Last);
        }
        if (Last != First) {
            Report(beOperand, OperandErrorPos(First, Last));
            return false;
        }
        return true;
    }

    void Release(Index i) {
        TTie* pTie = FTokens[static_cast<std::size_t>(i)];
        FTokens.erase(FTokens.begin() + i);
        ClearBST(pTie);
    }

    // Joins every bare cOperator between two operands inside [First, Last], left to
    // right, each new node becoming the left operand of the next. The list is
    // compacted in one walk; folding waits until it is consistent again, because a
    // fold may throw.
    void Sweep(char cOperator, Index First, Index& Last) {
        std::vector<TTie*> Made;
        Index w = First;  // the node before the one being looked at
        Index r = First + 1;
        const Index LastBefore = Last;
        while (r < LastBefore) {
            TTie* pTie = FTokens[r];
            if (IsToken(*pTie, cOperator) && !pTie->bResolved && IsOperand(*FTokens[w]) &&
                IsOperand(*FTokens[r + 1])) {
                if (Made.empty()) Made.reserve(static_cast<std::size_t>((LastBefore - First) / 2 + 1));
                pTie->bResolved = true;
                pTie->pLeft = FTokens[w];
                pTie->pRight = FTokens[r + 1];
                FTokens[w] = pTie;
                Made.push_back(pTie);
                r += 2;
                Last -= 2;
            } else {
                FTokens[++w] = pTie;
                ++r;
            }
        }
        if (Made.empty()) return;
        const Index n = Count();
        while (r < n) FTokens[++w] = FTokens[r++];
        FTokens.resize(static_cast<std::size_t>(w + 1));

        if (!FRules.Fold) return;
        for (TTie* pTie : Made)
            if (pTie->pLeft->bConst && pTie->pRight->bConst) FRules.Fold(*pTie);
    }

    TTie* TakeRoot() {
        if (FTokens.empty()) return nullptr;
        TTie& Last = At(0);
        if (IsBareOperator(Last)) {
            Report(beOperand, Last.iPos);
            Release(0);
            return nullptr;
        }
        if (IsToken(Last, '(')) {
            Report(beNoClosing, Last.iPos);
            return nullptr;
        }
        if (IsToken(Last, ')')) {
            Report(beNoOpening, Last.iPos);
            return nullptr;
        }
        TTie* pRoot = FTokens[0];
        FTokens.clear();
        return pRoot;
    }

    TTieList& FTokens;
    const TBuildRules& FRules;
};

}  // namespace

TTie* BuildTreeByPasses(TTieList& Tokens, const TBuildRules& Rules) {
    return TTreeBuilder(Tokens, Rules).Build();
}

}  // namespace quorix::testing
