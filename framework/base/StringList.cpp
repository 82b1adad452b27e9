#include "framework/base/StringList.hpp"

#include <string>
#include <utility>

#include "framework/base/List.hpp"
#include "framework/base/TextCase.hpp"

namespace rtl {

namespace {

// Holds back OnChange during a bulk change so that listeners hear of it once, at
// the end, and only if it succeeded; restores the handler whatever happens.
class TChangeBatch {
public:
    explicit TChangeBatch(TStrings& Lines) : FLines(Lines), FSaved(std::exchange(Lines.OnChange, {})) {}
    ~TChangeBatch() { FLines.OnChange = std::move(FSaved); }
    TChangeBatch(const TChangeBatch&) = delete;
    TChangeBatch& operator=(const TChangeBatch&) = delete;

private:
    TStrings& FLines;
    std::function<void()> FSaved;
};

}  // namespace

int TStrings::Add(const std::string& S) {
    const int Index = Count();
    Insert(Index, S);
    return Index;
}

int TStrings::IndexOf(const std::string& S) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Strings(i), S)) return i;
    return -1;
}

void TStrings::Assign(const TStrings& Source) {
    if (&Source == this) return;
    {
        TChangeBatch Batch(*this);
        Clear();
        for (int i = 0; i < Source.Count(); ++i) Add(Source.Strings(i));
    }
    Changed();
}

bool TStrings::Equals(const TStrings& Other) const {
    if (Count() != Other.Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (Strings(i) != Other.Strings(i)) return false;
    return true;
}

std::string TStrings::Text() const {
    std::string Result;
    for (int i = 0; i < Count(); ++i) {
        Result += Strings(i);
        Result += '\n';
    }
    return Result;
}

void TStrings::SetText(const std::string& S) {
    {
        TChangeBatch Batch(*this);
        Clear();
        std::string::size_type Start = 0;
        while (Start < S.size()) {
            const auto End = S.find_first_of("\r\n", Start);
            if (End == std::string::npos) {
                Add(S.substr(Start));
                break;
            }
            Add(S.substr(Start, End - Start));
            Start = End + 1;
            if (S[End] == '\r' && Start < S.size() && S[Start] == '\n') ++Start;
        }
    }
    Changed();
}

void TStrings::Changed() const {
    if (OnChange) OnChange();
}

TStringList::TStringList(std::initializer_list<std::string> Lines) : FLines(Lines) {}

const std::string& TStringList::Strings(int Index) const {
    CheckListIndex(Index, Count());
    return FLines[Index];
}

void TStringList::Put(int Index, const std::string& S) {
    CheckListIndex(Index, Count());
    FLines[Index] = S;
    Changed();
}

void TStringList::Insert(int Index, const std::string& S) {
    CheckListIndex(Index, Count() + 1);
    FLines.insert(FLines.begin() + Index, S);
    Changed();
}

void TStringList::Delete(int Index) {
    CheckListIndex(Index, Count());
    FLines.erase(FLines.begin() + Index);
    Changed();
}

void TStringList::Clear() {
    if (FLines.empty()) return;
    FLines.clear();
    Changed();
}

}  // namespace rtl
