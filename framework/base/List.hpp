// TList: an ordered list of untyped pointers. It never owns what it points to.
#pragma once

#include <vector>

namespace rtl {

// Raises EListError unless 0 <= Index < Limit: the bounds rule of every list here.
void CheckListIndex(int Index, int Limit);

class TList {
public:
    int Add(void* Item);                 // appends; returns the new index
    void Insert(int Index, void* Item);  // 0 <= Index <= Count()
    void Delete(int Index);
    int Remove(void* Item);  // deletes the first match; returns its index or -1
    int IndexOf(void* Item) const;
    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    void* Get(int Index) const;
    void Put(int Index, void* Item);
    void* operator[](int Index) const { return Get(Index); }
    void* First() const;
    void* Last() const;

private:
    std::vector<void*> FItems;
};

}  // namespace rtl
