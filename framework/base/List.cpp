#include "framework/base/List.hpp"

#include <algorithm>
#include <string>

#include "framework/base/Exceptions.hpp"

namespace rtl {

void CheckListIndex(int Index, int Limit) {
    if (Index < 0 || Index >= Limit)
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

int TList::Add(void* Item) {
    FItems.push_back(Item);
    return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
    CheckListIndex(Index, Count() + 1);
    FItems.insert(FItems.begin() + Index, Item);
}

void TList::Delete(int Index) {
    CheckListIndex(Index, Count());
    FItems.erase(FItems.begin() + Index);
}

int TList::Remove(void* Item) {
    const int Index = IndexOf(Item);
    if (Index >= 0) FItems.erase(FItems.begin() + Index);
    return Index;
}

int TList::IndexOf(void* Item) const {
    const auto It = std::find(FItems.begin(), FItems.end(), Item);
    return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
}

void TList::Clear() { FItems.clear(); }

void* TList::Get(int Index) const {
    CheckListIndex(Index, Count());
    return FItems[Index];
}

void TList::Put(int Index, void* Item) {
    CheckListIndex(Index, Count());
    FItems[Index] = Item;
}

void* TList::First() const { return Get(0); }

void* TList::Last() const { return Get(Count() - 1); }

}  // namespace rtl
