#include "engine/core/TreeBuilder.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <utility>

namespace quorix::core {

namespace {

// Builds the trees of the pass-based rules in linear time. Those rules run passes
// over the whole list: each applies every prefix minus that qualifies, then reduces
// the group opened by the last "(" left. Done literally that is quadratic. Here the
// list is linked, so a group is cut out and put back in time proportional to its
// length, and a pass after the first revisits only the minuses that a pass can have
// made ready: those next to or left by a group just reduced, and the one before a
// minus just applied (a run of minuses loses one minus per pass, from its right end).
// What the passes ask of a token (which operator or parenthesis it is, if any) is
// kept in a byte per slot, so that they walk a small array instead of the nodes.
// A parenthesis may come without a node (see TParenthesis): the builder asks nothing
// of it but its kind and, for an error, its position.
class TLinearBuilder {
public:
    TLinearBuilder(TTieList& Tokens, const TBuildRules& Rules, std::span<const char> Kinds,
                   std::span<const TParenthesis> Parentheses)
        : FTokens(Tokens),
          FRules(Rules),
          FGivenKinds(Kinds.size() == Tokens.size() ? Kinds : std::span<const char>()),
          FParentheses(Parentheses) {
        if (FRules.pScratch) std::swap(FArrays, *FRules.pScratch);
    }

    // Whatever way the build ends, the tokens still in the list go back to the caller,
    // and the arrays, emptied, to the scratch they came from.
    ~TLinearBuilder() {
        GiveBack();
        if (FRules.pScratch) {
            FArrays.Clear();
            std::swap(FArrays, *FRules.pScratch);
        }
    }

    TTie* Build() {
        if (FTokens.empty()) return nullptr;
        Link();
        bool bFirstPass = true;
        while (FCount > 1) {
            if (bFirstPass) ApplyEveryPrefixMinus();
            else ApplyReadyPrefixMinuses();
            bFirstPass = false;
            if (!ReduceNextGroup()) return nullptr;
        }
        return TakeRoot();
    }

private:
    using Slot = int32_t;
    static constexpr Slot kNone = -1;

    TTie& At(Slot i) const { return *FTokens[static_cast<std::size_t>(i)]; }
    Slot& NextOf(Slot i) { return FArrays.Next[static_cast<std::size_t>(i)]; }
    Slot& PrevOf(Slot i) { return FArrays.Prev[static_cast<std::size_t>(i)]; }
    char& KindOf(Slot i) { return FArrays.Kind[static_cast<std::size_t>(i)]; }

    // A bare operator's character, "(" or ")", else 0: an operand.
    static char Kind(const TTie& Tie) {
        if (IsBareOperator(Tie) || IsToken(Tie, '(') || IsToken(Tie, ')')) return Tie.sName[0];
        return 0;
    }
    static bool IsOperatorKind(char cKind) { return cKind != 0 && cKind != '(' && cKind != ')'; }

    // Where the token in slot i starts in the text, node or not.
    int PosOf(Slot i) const {
        if (const TTie* pTie = FTokens[static_cast<std::size_t>(i)]) return pTie->iPos;
        return std::ranges::lower_bound(FParentheses, i, {}, &TParenthesis::iSlot)->iPos;
    }

    void Link() {
        const Slot n = static_cast<Slot>(FTokens.size());
        FArrays.Next.resize(static_cast<std::size_t>(n));
        FArrays.Prev.resize(static_cast<std::size_t>(n));
        FArrays.Kind.resize(static_cast<std::size_t>(n));
        for (Slot i = 0; i < n; ++i) {
            PrevOf(i) = i - 1;
            NextOf(i) = i + 1 < n ? i + 1 : kNone;
            KindOf(i) = FGivenKinds.empty() ? Kind(At(i)) : FGivenKinds[static_cast<std::size_t>(i)];
        }
        FHead = 0;
        FTail = n - 1;
        FCount = n;
        // Groups are reduced from the last "(" to the first; each one closes at the
        // first ")" after it that an earlier group has not taken.
        std::vector<Slot>& Closings = FArrays.Closings;
        for (Slot i = n - 1; i >= 0; --i) {
            if (KindOf(i) == ')') {
                Closings.push_back(i);
            } else if (KindOf(i) == '(') {
                FArrays.Groups.push_back({i, Closings.empty() ? kNone : Closings.back()});
                if (!Closings.empty()) Closings.pop_back();
            }
        }
        std::reverse(FArrays.Groups.begin(), FArrays.Groups.end());
        // ")" left over, first to last.
        FArrays.StrayClosings.assign(Closings.rbegin(), Closings.rend());
    }

    // Unlinks slot i; its token is no longer the builder's to give back.
    void Unlink(Slot i) {
        const Slot p = PrevOf(i), q = NextOf(i);
        if (p == kNone) FHead = q;
        else NextOf(p) = q;
        if (q == kNone) FTail = p;
        else PrevOf(q) = p;
        FTokens[static_cast<std::size_t>(i)] = nullptr;
        --FCount;
    }

    void Release(Slot i) {
        TTie* pTie = FTokens[static_cast<std::size_t>(i)];
        Unlink(i);
        ClearBST(pTie);
    }

    bool IsSignable(const TTie& Tie) const {
        if (Tie.bNumber || Tie.bResolved) return true;
        return IsNameNode(Tie) && FRules.IsSignedName && FRules.IsSignedName(Tie);
    }

    // A bare "-" at the start or after a bare operator or "(" negates the operand
    // after it. When it goes, a bare "-" before it may qualify in the next pass.
    bool ApplyPrefixMinus(Slot i) {
        const Slot q = NextOf(i), p = PrevOf(i);
        if (q == kNone || KindOf(i) != '-') return false;
        if (p != kNone && !IsOperatorKind(KindOf(p)) && KindOf(p) != '(') return false;
        // Only an operand (kind 0) is a node sure to be there.
        if (KindOf(q) != 0 || !IsSignable(At(q))) return false;
        At(q).iSign = static_cast<int16_t>(-At(q).iSign);
        Release(i);
        if (p != kNone && KindOf(p) == '-') FArrays.Ready.push_back(p);
        return true;
    }

    void ApplyEveryPrefixMinus() {
        for (Slot i = FHead; i != kNone;) {
            const Slot q = NextOf(i);
            // After a minus is applied the walk goes on after its operand.
            i = ApplyPrefixMinus(i) && q != kNone ? NextOf(q) : q;
        }
    }

    void ApplyReadyPrefixMinuses() {
        FArrays.Applying.swap(FArrays.Ready);
        FArrays.Ready.clear();
        // In list order, as a walk would meet them: a minus applied makes the one
        // before it ready only for the next pass.
        std::ranges::sort(FArrays.Applying);
        FArrays.Applying.erase(std::unique(FArrays.Applying.begin(), FArrays.Applying.end()),
                               FArrays.Applying.end());
        for (Slot i : FArrays.Applying)
            if (FTokens[static_cast<std::size_t>(i)]) ApplyPrefixMinus(i);
        FArrays.Applying.clear();
    }

    // The group's first token if it is a bare operator, else its last if that one
    // is, else its first.
    int OperandErrorPos() const {
        const std::vector<char>& Kinds = FArrays.GroupKinds;
        const bool bLast = !IsOperatorKind(Kinds.front()) && IsOperatorKind(Kinds.back());
        return (bLast ? FArrays.Group.back() : FArrays.Group.front())->iPos;
    }

    bool Fail(int iErrCode, int iPos) const {
        if (FRules.Report) FRules.Report(iErrCode, iPos);
        return false;
    }

    // Reduces the group opened by the last "(" left, or, when none is left, the whole
    // list, which a stray ")" fails.
    bool ReduceNextGroup() {
        const bool bOpen = !FArrays.Groups.empty();
        if (bOpen && FArrays.Groups.back().iClose == kNone) return Fail(beNoClosing, PosOf(FTail));
        if (!bOpen && !FArrays.StrayClosings.empty()) return Fail(beNoOpening, PosOf(FHead));
        Slot First = FHead, Last = FTail;
        if (bOpen) {
            const TBuildScratch::TGroup Group = FArrays.Groups.back();
            if (NextOf(Group.iOpen) == Group.iClose) return Fail(beOperand, PosOf(Group.iOpen));
            FArrays.Groups.pop_back();
            First = NextOf(Group.iOpen);
            Last = PrevOf(Group.iClose);
            Release(Group.iClose);
            Release(Group.iOpen);
        }

        // Cut the group out into FArrays.Group; FArrays.GroupSlots keeps where its tokens stood,
        // so that they can be given back if the build ends inside the group.
        FArrays.Group.clear();
        FArrays.GroupKinds.clear();
        FArrays.GroupSlots.clear();
        for (Slot i = First;; i = NextOf(i)) {
            FArrays.Group.push_back(FTokens[static_cast<std::size_t>(i)]);
            FArrays.GroupKinds.push_back(KindOf(i));
            FArrays.GroupSlots.push_back(i);
            FTokens[static_cast<std::size_t>(i)] = nullptr;
            if (i == Last) break;
        }
        FInGroup = true;

        for (std::size_t k = sCharOperator.size(); k-- > 0;) {
            if (FArrays.Group.size() == 2) return Fail(beOperand, OperandErrorPos());
            Sweep(sCharOperator[k]);
        }
        if (FArrays.Group.size() != 1) return Fail(beOperand, OperandErrorPos());

        // The node takes the group's first slot; the others leave the list.
        const Slot iNode = FArrays.GroupSlots.front();
        for (std::size_t k = 1; k < FArrays.GroupSlots.size(); ++k) Unlink(FArrays.GroupSlots[k]);
        FTokens[static_cast<std::size_t>(iNode)] = FArrays.Group.front();
        KindOf(iNode) = FArrays.GroupKinds.front();
        FInGroup = false;
        // The tokens around the node have new neighbours, and so has the node, which
        // may itself be a bare "-" left alone in its group.
        for (const Slot i : {PrevOf(iNode), iNode, NextOf(iNode)})
            if (i != kNone && KindOf(i) == '-') FArrays.Ready.push_back(i);
        return true;
    }

    // Joins every bare cOperator between two operands of the group, left to right,
    // each new node becoming the left operand of the next, and folds each new node
    // right after it is made, while its operands are in the cache. A fold that throws
    // ends the folding, but the sweep still makes its nodes, so the group is whole
    // when the exception leaves, as if the folds had waited for the sweep to end.
    void Sweep(char cOperator) {
        std::size_t w = 0;  // the node before the one being looked at
        std::size_t r = 1;
        const std::size_t n = FArrays.Group.size();
        std::exception_ptr pFoldFailure;
        while (r < n) {
            TTie* pTie = FArrays.Group[r];
            if (r + 1 < n && FArrays.GroupKinds[r] == cOperator && !IsOperatorKind(FArrays.GroupKinds[w]) &&
                !IsOperatorKind(FArrays.GroupKinds[r + 1])) {
                pTie->bResolved = true;
                pTie->pLeft = FArrays.Group[w];
                pTie->pRight = FArrays.Group[r + 1];
                FArrays.Group[w] = pTie;
                FArrays.GroupKinds[w] = 0;
                r += 2;
                if (FRules.Fold && !pFoldFailure && pTie->pLeft->bConst && pTie->pRight->bConst) {
                    try {
                        FRules.Fold(*pTie);
                    } catch (...) {
                        pFoldFailure = std::current_exception();
                    }
                }
            } else {
                ++w;
                FArrays.Group[w] = pTie;
                FArrays.GroupKinds[w] = FArrays.GroupKinds[r];
                ++r;
            }
        }
        FArrays.Group.resize(w + 1);
        FArrays.GroupKinds.resize(w + 1);
        if (pFoldFailure) std::rethrow_exception(pFoldFailure);
    }

    TTie* TakeRoot() {
        const Slot i = FHead;
        const char cKind = KindOf(i);
        if (cKind == 0) {
            TTie* pRoot = &At(i);
            Unlink(i);
            return pRoot;
        }
        Fail(cKind == '(' ? beNoClosing : cKind == ')' ? beNoOpening : beOperand, PosOf(i));
        if (IsOperatorKind(cKind)) Release(i);
        return nullptr;
    }

    // Puts the tokens still held back into the caller's list, in list order. A
    // parenthesis without a node owns nothing and is not given back.
    void GiveBack() {
        // The group's tokens go back in order into its first slots; those that became
        // operands are owned by their nodes now.
        if (FInGroup)
            for (std::size_t k = 0; k < FArrays.Group.size(); ++k)
                FTokens[static_cast<std::size_t>(FArrays.GroupSlots[k])] = FArrays.Group[k];
        std::erase(FTokens, nullptr);
    }

    TTieList& FTokens;  // by slot; nil once a token has left the list
    const TBuildRules& FRules;
    const std::span<const char> FGivenKinds;  // empty: read from the tokens
    const std::span<const TParenthesis> FParentheses;
    TBuildScratch FArrays;
    Slot FHead = kNone, FTail = kNone, FCount = 0;
    bool FInGroup = false;
};

}  // namespace

void AddParenthesis(TTieList& Tokens, TParentheses& Parentheses, int32_t iPos) {
    Parentheses.push_back({static_cast<int32_t>(Tokens.size()), iPos});
    try {
        Tokens.push_back(nullptr);
    } catch (...) {
        Parentheses.pop_back();
        throw;
    }
}

TTie* BuildTree(TTieList& Tokens, const TBuildRules& Rules, std::span<const char> Kinds,
                std::span<const TParenthesis> Parentheses) {
    return TLinearBuilder(Tokens, Rules, Kinds, Parentheses).Build();
}

}  // namespace quorix::core
