#include "engine/TreeBuilder.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
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
class TLinearBuilder {
public:
    TLinearBuilder(TTieList& Tokens, const TBuildRules& Rules) : FTokens(Tokens), FRules(Rules) {}

    // Whatever way the build ends, the tokens still in the list go back to the caller.
    ~TLinearBuilder() { GiveBack(); }

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
    Slot& NextOf(Slot i) { return FNext[static_cast<std::size_t>(i)]; }
    Slot& PrevOf(Slot i) { return FPrev[static_cast<std::size_t>(i)]; }

    void Report(int iErrCode, int iPos) const {
        if (FRules.Report) FRules.Report(iErrCode, iPos);
    }

    void Link() {
        const Slot n = static_cast<Slot>(FTokens.size());
        FNext.resize(static_cast<std::size_t>(n));
        FPrev.resize(static_cast<std::size_t>(n));
        for (Slot i = 0; i < n; ++i) {
            PrevOf(i) = i - 1;
            NextOf(i) = i + 1 < n ? i + 1 : kNone;
        }
        FHead = 0;
        FTail = n - 1;
        FCount = n;
        // Groups are reduced from the last "(" to the first; each one closes at the
        // first ")" after it that an earlier group has not taken.
        std::vector<Slot> Closings;
        for (Slot i = n - 1; i >= 0; --i) {
            if (IsToken(At(i), ')')) {
                Closings.push_back(i);
            } else if (IsToken(At(i), '(')) {
                Slot iClose = kNone;
                if (!Closings.empty()) {
                    iClose = Closings.back();
                    Closings.pop_back();
                }
                FGroups.push_back({i, iClose});
            }
        }
        std::reverse(FGroups.begin(), FGroups.end());
        // ")" left over, first to last.
        FStrayClosings.assign(Closings.rbegin(), Closings.rend());
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
        TTie* pTie = &At(i);
        Unlink(i);
        ClearBST(pTie);
    }

    bool IsSignable(const TTie& Tie) const {
        if (Tie.bNumber || Tie.bResolved) return true;
        return IsNameNode(Tie) && FRules.IsSignedName && FRules.IsSignedName(Tie);
    }

    static bool IsBareMinus(const TTie& Tie) { return IsToken(Tie, '-') && !Tie.bResolved; }

    // A bare "-" at the start or after a bare operator or "(" negates the operand
    // after it. When it goes, a bare "-" before it may qualify in the next pass.
    bool ApplyPrefixMinus(Slot i) {
        const Slot q = NextOf(i), p = PrevOf(i);
        if (q == kNone || !IsBareMinus(At(i))) return false;
        if (p != kNone && !IsBareOperator(At(p)) && !IsToken(At(p), '(')) return false;
        if (!IsSignable(At(q))) return false;
        At(q).iSign = static_cast<int16_t>(-At(q).iSign);
        Release(i);
        if (p != kNone && IsBareMinus(At(p))) FReady.push_back(p);
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
        FApplying.swap(FReady);
        FReady.clear();
        // In list order, as a walk would meet them: a minus applied makes the one
        // before it ready only for the next pass.
        std::sort(FApplying.begin(), FApplying.end());
        FApplying.erase(std::unique(FApplying.begin(), FApplying.end()), FApplying.end());
        for (Slot i : FApplying)
            if (FTokens[static_cast<std::size_t>(i)]) ApplyPrefixMinus(i);
        FApplying.clear();
    }

    // The group's first token if it is a bare operator, else its last if that one
    // is, else its first.
    static int OperandErrorPos(const TTie& First, const TTie& Last) {
        if (IsBareOperator(First)) return First.iPos;
        if (IsBareOperator(Last)) return Last.iPos;
        return First.iPos;
    }

    bool ReduceNextGroup() {
        Slot First = FHead, Last = FTail;
        bool bOpen = false, bClose = false;
        if (!FGroups.empty()) {
            First = FGroups.back().iOpen;
            bOpen = true;
            if (FGroups.back().iClose != kNone) {
                Last = FGroups.back().iClose;
                bClose = true;
            }
        } else {
            // Only stray ")" are left: the first one ends the group, and the build.
            if (!FStrayClosings.empty()) {
                Last = FStrayClosings.front();
                bClose = true;
            }
        }
        if (bOpen != bClose) {
            if (!bOpen) Report(beNoOpening, At(First).iPos);
            else Report(beNoClosing, At(Last).iPos);
            return false;
        }

        // Cut the group out into FGroup; FGroupSlots keeps where its tokens stood,
        // so that they can be given back if the build ends inside the group.
        FGroup.clear();
        FGroupSlots.clear();
        for (Slot i = First;; i = NextOf(i)) {
            FGroup.push_back(&At(i));
            FGroupSlots.push_back(i);
            if (i == Last) break;
        }
        if (FGroup.size() == 2) {
            Report(beOperand, OperandErrorPos(*FGroup.front(), *FGroup.back()));
            return false;
        }
        if (bOpen) {
            FGroups.pop_back();
            Release(FGroupSlots.back());
            Release(FGroupSlots.front());
            FGroup.pop_back();
            FGroupSlots.pop_back();
            FGroup.erase(FGroup.begin());
            FGroupSlots.erase(FGroupSlots.begin());
        }
        for (Slot i : FGroupSlots) FTokens[static_cast<std::size_t>(i)] = nullptr;
        FInGroup = true;

        for (std::size_t k = sCharOperator.size(); k-- > 0;) {
            if (FGroup.size() == 2) {
                Report(beOperand, OperandErrorPos(*FGroup.front(), *FGroup.back()));
                return false;
            }
            Sweep(sCharOperator[k]);
        }
        if (FGroup.size() != 1) {
            Report(beOperand, OperandErrorPos(*FGroup.front(), *FGroup.back()));
            return false;
        }

        // The node takes the group's first slot; the others leave the list.
        const Slot iNode = FGroupSlots.front();
        for (std::size_t k = 1; k < FGroupSlots.size(); ++k) Unlink(FGroupSlots[k]);
        FTokens[static_cast<std::size_t>(iNode)] = FGroup.front();
        FInGroup = false;
        // The tokens around the node have new neighbours, and so has the node, which
        // may itself be a bare "-" left alone in its group.
        for (const Slot i : {PrevOf(iNode), iNode, NextOf(iNode)})
            if (i != kNone && IsBareMinus(At(i))) FReady.push_back(i);
        return true;
    }

    // Joins every bare cOperator between two operands of the group, left to right,
    // each new node becoming the left operand of the next, then folds the new nodes
    // in the order they were made. The group is consistent again before any fold,
    // because a fold may throw.
    void Sweep(char cOperator) {
        FMade.clear();
        std::size_t w = 0;  // the node before the one being looked at
        std::size_t r = 1;
        const std::size_t n = FGroup.size();
        while (r + 1 < n) {
            TTie* pTie = FGroup[r];
            if (IsToken(*pTie, cOperator) && !pTie->bResolved && IsOperand(*FGroup[w]) &&
                IsOperand(*FGroup[r + 1])) {
                pTie->bResolved = true;
                pTie->pLeft = FGroup[w];
                pTie->pRight = FGroup[r + 1];
                FGroup[w] = pTie;
                FMade.push_back(pTie);
                r += 2;
            } else {
                FGroup[++w] = pTie;
                ++r;
            }
        }
        if (FMade.empty()) return;
        while (r < n) FGroup[++w] = FGroup[r++];
        FGroup.resize(w + 1);

        if (!FRules.Fold) return;
        for (TTie* pTie : FMade)
            if (pTie->pLeft->bConst && pTie->pRight->bConst) FRules.Fold(*pTie);
    }

    TTie* TakeRoot() {
        const Slot i = FHead;
        TTie& Last = At(i);
        if (IsBareOperator(Last)) {
            Report(beOperand, Last.iPos);
            Release(i);
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
        Unlink(i);
        return &Last;
    }

    // Puts the tokens still held back into the caller's list, in list order.
    void GiveBack() {
        // The group's tokens go back in order into its first slots; those that became
        // operands are owned by their nodes now.
        if (FInGroup)
            for (std::size_t k = 0; k < FGroup.size(); ++k) FTokens[static_cast<std::size_t>(FGroupSlots[k])] = FGroup[k];
        std::size_t w = 0;
        for (TTie* pTie : FTokens)
            if (pTie) FTokens[w++] = pTie;
        FTokens.resize(w);
    }

    struct TGroup {
        Slot iOpen;
        Slot iClose;  // kNone: no ")" is left for it
    };

    TTieList& FTokens;  // by slot; nil once a token has left the list
    const TBuildRules& FRules;
    std::vector<Slot> FNext, FPrev;
    Slot FHead = kNone, FTail = kNone, FCount = 0;
    std::vector<TGroup> FGroups;  // first to last "(": the last one is reduced next
    std::vector<Slot> FStrayClosings;
    std::vector<Slot> FReady, FApplying;  // minuses to try in the next pass
    std::vector<TTie*> FGroup;            // the group being reduced
    std::vector<Slot> FGroupSlots;        // the slots its tokens came from
    bool FInGroup = false;
    std::vector<TTie*> FMade;
};

}  // namespace

TTie* BuildTree(TTieList& Tokens, const TBuildRules& Rules) {
    return TLinearBuilder(Tokens, Rules).Build();
}

}  // namespace quorix::core
