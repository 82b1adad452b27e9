#include "engine/Quorix.hpp"

#include "engine/core/Arithmetic.hpp"
#include "engine/core/TreeBuilder.hpp"
#include "engine/core/Program.hpp"
#include "engine/core/TreeWalks.hpp"
#include "framework/Conversions.hpp"
#include "framework/Exceptions.hpp"
#include "framework/Math.hpp"
#include "framework/Properties.hpp"
#include "framework/TextCase.hpp"

namespace quorix {
inline namespace gen4 {

namespace {

// Sets a flag for the lifetime of the guard, exceptions included.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& bFlag) : FFlag(bFlag) { FFlag = true; }
    ~TFlagGuard() { FFlag = false; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& FFlag;
};

// Stored components find the class by name. The variables flavour has the same class
// name; a program uses one of the two, so the first one registered stays.
const rtl::TClassRegistration gRegistration(TQuorix::StaticClassInfo());

}  // namespace

TQuorix::TQuorix(rtl::TComponent* AOwner)
    : rtl::TComponent(AOwner),
      FPool(core::TTiePool::Create()),
      FFunctions(std::make_unique<rtl::TStringList>()),
      FUsedFun(std::make_unique<rtl::TStringList>()),
      FBuildInFun(std::make_unique<rtl::TStringList>()) {}

TQuorix::~TQuorix() { FProgram.Discard(FRoot); }

const rtl::TClassInfo& TQuorix::StaticClassInfo() {
    static const rtl::TClassInfo Info{
        "TQuorix",
        &rtl::TComponent::StaticClassInfo(),
        [](rtl::TComponent* AOwner) -> rtl::TComponent* { return new TQuorix(AOwner); },
        {
            rtl::MakeProperty("StringDelimiter", &TQuorix::StringDelimiter, &TQuorix::SetStringDelimiter),
            rtl::MakeProperty("ParSeparator", &TQuorix::ParSeparator, &TQuorix::SetParSeparator),
            rtl::MakeProperty("Text", &TQuorix::Text, &TQuorix::SetText),
            rtl::MakeProperty("Functions", &TQuorix::Functions, &TQuorix::SetFunctions),
            rtl::MakeProperty("AutoCalc", &TQuorix::AutoCalc, &TQuorix::SetAutoCalc, false),
            rtl::MakeProperty("AutoParse", &TQuorix::AutoParse, &TQuorix::SetAutoParse, false),
            rtl::MakeProperty("Optimize", &TQuorix::Optimize, &TQuorix::SetOptimize, true),
        },
    };
    return Info;
}

// ---- Text, characters, functions -------------------------------------------------

void TQuorix::SetText(const std::string& sValue) {
    if (sValue == FText) return;
    FText = sValue;
    DiscardParse();
    if (FAutoParse) Parse();
}

void TQuorix::SetStringDelimiter(char cValue) { SetCharacter(FStringDelimiter, cValue); }
void TQuorix::SetParSeparator(char cValue) { SetCharacter(FParSeparator, cValue); }

void TQuorix::SetCharacter(char& cField, char cValue) {
    if (core::IsOneChar(cValue)) throw rtl::Exception("Entered char is operator or parenthesis.");
    DiscardParse();
    cField = cValue;
}

void TQuorix::DiscardParse() {
    ++FGeneration;
    FValue = 0;
    FParsed = false;
    FCalculated = false;
    if (FEvaluating > 0 && FRoot) FProgram.Retire(FRoot, FRetired);
    else FProgram.Discard(FRoot);
    FUsedFun->Clear();
    FUsedFunValid = false;
}

void TQuorix::SetFunctions(const rtl::TStrings* Value) {
    if (Value == FFunctions.get()) return;
    if (Value) FFunctions->Assign(*Value);
    else FFunctions->Clear();
}

void TQuorix::SetOnGetFunction(TOnGetFunctionEvent Value) { FOnGetFunction.Set(std::move(Value), IsBusy(), FRetired); }
void TQuorix::SetOnError(TOnErrorEvent Value) { FOnError.Set(std::move(Value), IsBusy(), FRetired); }

void TQuorix::ReportError(int iPos, int iErrCode) {
    if (FOnError) (*FOnError)(iPos, iErrCode);
}

// ---- Parsing -----------------------------------------------------------------------

bool TQuorix::Parse() {
    if (!FParsed) {
        // A handler that asks for a parse while one runs gets no second one.
        if (FInParse) return false;
        TTie* pRoot = nullptr;
        bool bParsed = false;
        const uint64_t iGeneration = FGeneration;
        {
            struct TParseEnd {
                TQuorix& Self;
                ~TParseEnd() { Self.ReleaseRetiredWhenIdle(); }
            } ParseEnd{*this};
            const TFlagGuard Guard(FInParse);
            // A copy: a handler may assign a new text while this one is read.
            const std::string sText = FText;
            bParsed = InternalParse(pRoot, sText, 0);
        }
        FPool->Trim();
        if (FGeneration != iGeneration) {
            // A handler changed the text: this tree belongs to the old one.
            ClearBST(pRoot);
            return false;
        }
        if (!bParsed) return false;
        FRoot = pRoot;
    }
    FParsed = true;
    if (FAutoCalc) Calc();
    return true;
}

TTie* TQuorix::AddTie(TTieList& Tokens) { return core::AddTie(Tokens, *FPool); }

void TQuorix::ClearBST(TTie*& pRoot) { core::ClearBST(pRoot); }

bool TQuorix::IsListedFunction(const TTie& Tie) const {
    return Tie.bBuildIn || FFunctions->IndexOf(Tie.sName) >= 0;
}

namespace {

// Where the argument list opened at sText[iOpen] ends, and whether it is well formed.
struct TArgumentList {
    std::size_t iEnd = 0;   // just past the matching ")"
    bool bQuoted = false;   // a string delimiter is left open
    int iDepth = 0;         // parentheses left open
    bool bTooDeep = false;  // calls nest deeper than allowed
};

// Walks to the matching ")", skipping parentheses inside strings. It also counts how
// deep calls (a "(" right after a name) nest inside, so that a text nested too deeply
// is refused before any of it is copied or parsed recursively.
TArgumentList ScanArgumentList(std::string_view sText, std::size_t iOpen, char cDelimiter, int iCallDepth) {
    TArgumentList List;
    List.iDepth = 1;
    std::vector<bool> CallParentheses;  // for each "(" still open inside: does it open a call?
    std::size_t k = iOpen + 1;
    while (List.iDepth > 0 && k < sText.size()) {
        const char c = sText[k++];
        if (c == cDelimiter) List.bQuoted = !List.bQuoted;
        if (List.bQuoted) continue;
        if (c == ')') {
            --List.iDepth;
            if (!CallParentheses.empty()) {
                if (CallParentheses.back()) --iCallDepth;
                CallParentheses.pop_back();
            }
        } else if (c == '(') {
            ++List.iDepth;
            const bool bCall = !core::IsOneChar(sText[k - 2]);
            CallParentheses.push_back(bCall);
            if (bCall && ++iCallDepth > TQuorix::MaxCallNesting) {
                List.bTooDeep = true;
                break;
            }
        }
    }
    List.iEnd = k;
    return List;
}

}  // namespace

bool TQuorix::InternalParse(TTie*& pRoot, std::string_view sText, int iOffset) {
    // The outermost parse takes the list kept from the last one, and gives it back.
    TTieList Tokens;
    Tokens.swap(FPool->SpareTokens());
    struct TCleanUp {
        TTieList& Tokens;
        TTie*& pRoot;
        TTieList& Spare;
        ~TCleanUp() {
            if (!pRoot) core::ClearTokens(Tokens);
            if (Tokens.capacity() > Spare.capacity()) Tokens.swap(Spare);
        }
    } CleanUp{Tokens, pRoot, FPool->SpareTokens()};

    const std::size_t n = sText.size();
    std::vector<char> Kinds;  // for the builder, see core::BuildTree
    core::TParentheses Parentheses;
    Kinds.reserve(n);
    std::size_t i = 0;
    while (i < n) {
        const char cKind = core::TokenKind(sText[i]);
        Kinds.push_back(cKind);
        if (cKind == '(' || cKind == ')') {
            core::AddParenthesis(Tokens, Parentheses, iOffset + static_cast<int>(i));
            ++i;
            continue;
        }
        TTie* pTie = AddTie(Tokens);
        pTie->iPos = iOffset + static_cast<int>(i);
        if (cKind != 0) {
            pTie->sName = sText[i];
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < n && !core::IsOneChar(sText[j])) ++j;
        pTie->sName = sText.substr(i, j - i);
        if (rtl::TryStrToFloat(pTie->sName, pTie->rValue)) {
            pTie->bNumber = true;
            pTie->bConst = true;
            i = j;
            continue;
        }
        pTie->bBuildIn = IsFunBuildIn(pTie->sName);
        if (!pTie->bBuildIn && FFunctions->IndexOf(pTie->sName) < 0) {
            ReportError(pTie->iPos, qeUnknownName);
            return false;
        }
        pTie->sUpperName = FPool->Intern(rtl::AnsiUpperCase(pTie->sName));
        if (j < n && sText[j] == '(') {
            const TArgumentList List = ScanArgumentList(sText, j, FStringDelimiter, FCallNesting + 1);
            if (List.bTooDeep || FCallNesting + 1 > MaxCallNesting) {
                ReportError(pTie->iPos, qeTooDeep);
                return false;
            }
            if (List.bQuoted || List.iDepth != 0) {
                ReportError(iOffset + static_cast<int>(n) - 1, List.bQuoted ? qeOpenString : qeNoClosing);
                return false;
            }
            pTie->sParams = sText.substr(j + 1, List.iEnd - 1 - (j + 1));
            ++FCallNesting;
            struct TNesting {
                int& iDepth;
                ~TNesting() { --iDepth; }
            } Nesting{FCallNesting};
            if (!CalcParams(pTie)) return false;
            i = List.iEnd;
        } else {
            i = j;
        }
    }
    if (!Tokens.empty()) CreateBST(pRoot, Tokens, Kinds, Parentheses);
    return pRoot != nullptr || n == 0;
}

bool TQuorix::CalcParams(TTie*& pTie) {
    pTie->iParCount = 0;
    pTie->arrParams.clear();
    const std::string& sParams = pTie->sParams;
    if (sParams.empty()) return true;

    bool bQuoted = false;
    int iDepth = 0;
    std::size_t iStart = 0;
    for (std::size_t i = 0; i < sParams.size(); ++i) {
        const char c = sParams[i];
        if (c == FStringDelimiter) bQuoted = !bQuoted;
        if (!bQuoted) {
            if (c == '(') ++iDepth;
            else if (c == ')') --iDepth;
        }
        const bool bLast = i + 1 == sParams.size();
        if (!bLast && !(c == FParSeparator && !bQuoted && iDepth == 0)) continue;

        // The last argument keeps its final character, even a separator.
        const std::string_view sArg = std::string_view(sParams).substr(iStart, (bLast ? i + 1 : i) - iStart);
        pTie->arrParams.emplace_back();
        ++pTie->iParCount;
        rParam& Arg = pTie->arrParams.back();
        if (sArg.size() >= 2 && sArg.front() == FStringDelimiter && sArg.back() == FStringDelimiter) {
            Arg.bIsString = true;
            Arg.sValue = sArg.substr(1, sArg.size() - 2);
        } else {
            // Exceptions (a failed fold, a throwing OnError handler) are not swallowed:
            // an argument that failed must not count as 0 in a successful parse.
            const int iArgPos = pTie->iPos + static_cast<int>(pTie->sName.size() + 1 + iStart);
            if (!InternalParse(Arg.pTie, sArg, iArgPos)) return false;
        }
        iStart = i + 1;
    }
    return true;
}

void TQuorix::CreateBST(TTie*& pRoot, TTieList& Tokens, std::span<const char> Kinds,
                        std::span<const core::TParenthesis> Parentheses) {
    core::TBuildRules Rules;
    Rules.IsSignedName = [this](const TTie& Tie) { return IsListedFunction(Tie); };
    Rules.Report = [this](int iErrCode, int iPos) { ReportError(iPos, iErrCode); };
    if (FOptimize) Rules.Fold = [this](TTie& Tie) { FoldConstant(Tie); };
    Rules.pScratch = &FPool->BuildScratch();
    pRoot = core::BuildTree(Tokens, Rules, Kinds, Parentheses);
}

// A constant division by zero is not folded: the node stays for the evaluator, which
// reports it on every Calc, so no parse ever hides a failed division inside a
// constant. Other failures (overflow, no real value) raise out of the parse.
void TQuorix::FoldConstant(TTie& Tie) {
    const rtl::Extended rLeft = Tie.pLeft->iSign * Tie.pLeft->rValue;
    const rtl::Extended rRight = Tie.pRight->iSign * Tie.pRight->rValue;
    const char cOperator = Tie.sName[0];
    if (cOperator == '/' && rRight == 0) return;
    Tie.rValue = core::ApplyOperator(cOperator, rLeft, rRight) * Tie.iSign;
    Tie.bConst = true;
}

// ---- Evaluation --------------------------------------------------------------------

bool TQuorix::Calc() {
    if (FInCalc) return false;
    FInCalc = true;
    FCalcError = false;
    FCalculated = false;
    struct TCalcEnd {
        TQuorix& Self;
        ~TCalcEnd() {
            Self.FCalcError = false;
            Self.FInCalc = false;
        }
    } CalcEnd{*this};

    if (!Parse()) return false;
    const uint64_t iGeneration = FGeneration;
    const rtl::Extended rValue = EvaluateTree();
    // A handler changed the text: the value belongs to no text the component holds.
    if (FGeneration != iGeneration) return false;
    const bool bResult = !FCalcError && FParsed;
    FValue = FCalcError ? 0 : rValue;
    FCalculated = bResult;
    return bResult;
}

namespace {

// One node on the evaluator's stack and how far its evaluation has got.
enum TEvalStage { esStart, esLeftDone, esBothDone, esNextArgument, esArgumentDone };

struct TEvalStep {
    TTie* pTie;
    TEvalStage Stage;
    int iArg;  // a call's argument being (or last) evaluated
};

}  // namespace

// Counts an evaluation in progress: while one runs, a discarded tree (and a replaced
// handler) is retired rather than released.
class TQuorix::TEvaluating {
public:
    explicit TEvaluating(TQuorix& Self) : FSelf(Self) { ++FSelf.FEvaluating; }
    ~TEvaluating() {
        --FSelf.FEvaluating;
        FSelf.ReleaseRetiredWhenIdle();
    }
    TEvaluating(const TEvaluating&) = delete;
    TEvaluating& operator=(const TEvaluating&) = delete;

private:
    TQuorix& FSelf;
};

// The walker's evaluation as a program: the same values, calls, reports and skips.
rtl::Extended TQuorix::EvaluateTree() {
    const TEvaluating Evaluating(*this);
    struct TRules {
        TQuorix& Self;
        const uint64_t iGeneration;
        bool Failed() const { return Self.FCalcError; }
        bool Stopped() const { return Self.FGeneration != iGeneration; }
        // Not emitted here: a name without arguments compiles to a call.
        rtl::Extended Read(TTie& Tie) { return Self.CallFunction(Tie); }
        bool CanCall(const TTie& Tie) const { return Self.CanCall(Tie); }
        rtl::Extended Call(TTie& Tie) { return Self.CallFunction(Tie); }
        rtl::Extended DivideByZero(const TTie& Tie) { return Self.DivideByZero(Tie); }
    } Rules{*this, FGeneration};
    return FProgram.Of(FRoot, core::TBareName::Call).Run(Rules);
}

rtl::Extended TQuorix::DivideByZero(const TTie& Tie) {
    FCalcError = true;
    ReportError(Tie.iPos, qeDivisionByZero);
    return 0;
}

// Walks the tree with an explicit stack, so a chain as long as the text never
// exhausts the machine stack.
rtl::Extended TQuorix::CalcOnBST(TTie* pTie) {
    const TEvaluating Evaluating(*this);

    const uint64_t iGeneration = FGeneration;
    std::vector<TEvalStep> Stack{{pTie, esStart, 0}};
    std::vector<rtl::Extended> Values;
    while (!Stack.empty()) {
        TEvalStep& Step = Stack.back();
        TTie* p = Step.pTie;
        switch (Step.Stage) {
            case esStart:
                if (!p || FCalcError) {
                    Values.push_back(0);
                    Stack.pop_back();
                } else if (p->bNumber || p->bConst) {
                    Values.push_back(p->iSign * p->rValue);
                    Stack.pop_back();
                } else if (core::IsOperatorNode(*p)) {
                    Step.Stage = esLeftDone;
                    Stack.push_back({p->pLeft, esStart, 0});
                } else if (!CanCall(*p)) {
                    // Nobody evaluates it: 0, and the arguments are not visited.
                    Values.push_back(0);
                    Stack.pop_back();
                } else {
                    Step.Stage = esNextArgument;
                    Step.iArg = p->iParCount;
                }
                break;
            case esLeftDone:
                Step.Stage = esBothDone;
                Stack.push_back({p->pRight, esStart, 0});
                break;
            case esBothDone: {
                Stack.pop_back();
                const rtl::Extended rRight = Values.back();
                Values.pop_back();
                const rtl::Extended rLeft = Values.back();
                Values.pop_back();
                if (p->sName[0] == '/' && rRight == 0) {
                    Values.push_back(DivideByZero(*p));
                    if (FGeneration != iGeneration) return 0;
                } else {
                    Values.push_back(core::ApplyOperator(p->sName[0], rLeft, rRight) * p->iSign);
                }
                break;
            }
            case esNextArgument: {
                // Arguments are evaluated from the last to the first.
                int iArg = Step.iArg - 1;
                while (iArg >= 0 && p->arrParams[static_cast<std::size_t>(iArg)].bIsString) --iArg;
                if (iArg >= 0) {
                    Step.iArg = iArg;
                    Step.Stage = esArgumentDone;
                    Stack.push_back({p->arrParams[static_cast<std::size_t>(iArg)].pTie, esStart, 0});
                    break;
                }
                Stack.pop_back();
                Values.push_back(CallFunction(*p));
                if (FGeneration != iGeneration) return 0;
                break;
            }
            case esArgumentDone:
                p->arrParams[static_cast<std::size_t>(Step.iArg)].rValue = Values.back();
                Values.pop_back();
                Step.Stage = esNextArgument;
                break;
        }
    }
    return Values.back();
}

rtl::Extended TQuorix::CallFunction(TTie& Tie) {
    int iErrCode = 0;
    rtl::Extended rResult = 0;
    const std::span<const rParam> arrPar(Tie.arrParams);
    if (Tie.bBuildIn) {
        GetFunBuildIn(Tie.sUpperName, arrPar, Tie.iParCount, iErrCode, rResult);
    } else {
        // Held by FOnGetFunction: one replaced while it runs is retired, not released.
        if (FOnGetFunction) (*FOnGetFunction)(Tie.sUpperName, arrPar, Tie.iParCount, iErrCode, rResult);
    }
    if (iErrCode != 0) {
        FCalcError = true;
        ReportError(Tie.iPos, iErrCode);
        return 0;
    }
    // A handler's infinity or NaN raises as the operators' would, never a success.
    return core::Signed(core::Finite(rResult), Tie.iSign == -1);
}

bool TQuorix::IsFunBuildIn(const std::string& sName) const { return FBuildInFun->IndexOf(sName) >= 0; }

void TQuorix::GetFunBuildIn(const std::string&, std::span<const rParam>, int, int&, rtl::Extended& Result) {
    Result = 0;
}

void TQuorix::AddBuildInFun(const std::string& sName) { FBuildInFun->Add(sName); }

// ---- Printing and usage --------------------------------------------------------------

std::string TQuorix::GetParsedText() { return ReadInOrder(FRoot); }

std::string TQuorix::ReadInOrder(TTie* pTie) {
    return core::PrintTree(pTie, FRoot, FStringDelimiter, FParSeparator);
}

rtl::TStrings* TQuorix::GetUsedFun() {
    if (!FUsedFunValid && FParsed) {
        FUsedFun->Clear();
        ReadUsedFun(FRoot);
        FUsedFunValid = true;
    }
    return FUsedFun.get();
}

void TQuorix::ReadUsedFun(TTie* pTie) {
    core::WalkPreOrder(pTie, [this](const TTie& Tie) {
        if (!core::IsNameNode(Tie)) return false;
        const bool bUsed = IsFunBuildIn(Tie.sName) || (FFunctions->IndexOf(Tie.sName) >= 0 && Tie.iParCount > 0);
        if (bUsed && FUsedFun->IndexOf(Tie.sName) < 0) FUsedFun->Add(rtl::UpperCase(Tie.sName));
        return bUsed;
    });
}

bool TQuorix::IsFunctionUsed(const std::string& sName) { return GetUsedFun()->IndexOf(sName) >= 0; }

}  // namespace gen4
}  // namespace quorix
