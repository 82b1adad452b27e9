// The texts a node holds besides its own token, which most nodes leave empty: each
// takes one pointer in the node instead of a whole string, so that a node fits in
// two cache lines.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quorix::core {

// A name's upper-case form. The text is kept once by the node's pool for every node
// that spells the name so (TTiePool::Intern), as long as any of them lives.
class TPooledName {
public:
    TPooledName() = default;
    explicit TPooledName(const std::string& sKept) : FText(&sKept) {}

    const std::string& str() const { return *FText; }
    operator const std::string&() const { return str(); }
    friend bool operator==(const TPooledName& Name, std::string_view sText) { return Name.str() == sText; }

private:
    static inline const std::string sNone;
    const std::string* FText = &sNone;
};

// The text a parse reads. Every argument list cut out of it is a view into this one
// copy, which the views keep alive: a handler that assigns a new text while the parse
// runs leaves it whole, and no nesting level copies it again.
using TSharedText = std::shared_ptr<const std::string>;

// A text only some nodes have (a call's argument list): a part of the parsed text,
// held by the node together with that text.
class TRareText {
public:
    TRareText() = default;
    void Assign(const TSharedText& pWhole, std::string_view sPart) {
        FPart = sPart.empty() ? nullptr : std::make_unique<TPart>(TPart{pWhole, sPart});
    }

    std::string_view view() const { return FPart ? FPart->sPart : std::string_view(); }
    bool empty() const { return !FPart; }
    friend bool operator==(const TRareText& Text, std::string_view sText) { return Text.view() == sText; }

private:
    struct TPart {
        TSharedText pWhole;
        std::string_view sPart;
    };
    std::unique_ptr<TPart> FPart;
};

}  // namespace quorix::core
