// The texts a node holds besides its own token, which most nodes leave empty: each
// takes one pointer in the node instead of a whole string, so that a node fits in
// two cache lines. Both read as a const std::string&.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quorix::core {

namespace detail {
inline const std::string& EmptyText() {
    static const std::string sEmpty;
    return sEmpty;
}
}  // namespace detail

// A name's upper-case form. The text is kept once by the node's pool for every node
// that spells the name so (TTiePool::Intern), as long as any of them lives.
class TPooledName {
public:
    TPooledName() = default;
    explicit TPooledName(const std::string& sKept) : FText(&sKept) {}

    const std::string& str() const { return FText ? *FText : detail::EmptyText(); }
    operator const std::string&() const { return str(); }
    bool empty() const { return str().empty(); }
    friend bool operator==(const TPooledName& Name, std::string_view sText) { return Name.str() == sText; }

private:
    const std::string* FText = nullptr;
};

// A text only some nodes have (a call's argument list), on the heap when there is one.
class TRareText {
public:
    TRareText() = default;
    TRareText& operator=(std::string_view sText) {
        FText = sText.empty() ? nullptr : std::make_unique<std::string>(sText);
        return *this;
    }

    const std::string& str() const { return FText ? *FText : detail::EmptyText(); }
    operator const std::string&() const { return str(); }
    bool empty() const { return !FText; }
    std::size_t size() const { return str().size(); }
    friend bool operator==(const TRareText& Text, std::string_view sText) { return Text.str() == sText; }

private:
    std::unique_ptr<std::string> FText;
};

}  // namespace quorix::core
