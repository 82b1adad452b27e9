// TStrings and TStringList: ordered lists of strings. Look-ups by name compare
// without regard to letter case, folding the way AnsiUpperCase does.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace rtl {

class TStrings {
public:
    virtual ~TStrings() = default;

    virtual int Count() const = 0;
    virtual const std::string& Strings(int Index) const = 0;  // raises EListError
    virtual void Put(int Index, const std::string& S) = 0;
    virtual void Insert(int Index, const std::string& S) = 0;  // 0 <= Index <= Count()
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;

    int Add(const std::string& S);  // appends; returns the new index
    const std::string& operator[](int Index) const { return Strings(Index); }
    virtual int IndexOf(const std::string& S) const;  // case-insensitive; -1 when absent
    void Assign(const TStrings& Source);              // copies the lines
    bool Equals(const TStrings& Other) const;         // same lines, case-sensitive

    // All lines, each followed by a line break; SetText splits at LF, CR LF or CR.
    std::string Text() const;
    void SetText(const std::string& S);

    // Called after any change of the lines (unassigned by default).
    std::function<void()> OnChange;

protected:
    void Changed() const;
};

class TStringList : public TStrings {
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> Lines);

    int Count() const override { return static_cast<int>(FLines.size()); }
    const std::string& Strings(int Index) const override;
    void Put(int Index, const std::string& S) override;
    void Insert(int Index, const std::string& S) override;
    void Delete(int Index) override;
    void Clear() override;

private:
    std::vector<std::string> FLines;
};

}  // namespace rtl
