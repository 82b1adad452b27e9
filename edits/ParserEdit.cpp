#include "edits/ParserEdit.hpp"

namespace quorix {

const rtl::TClassInfo& TParserEdit::StaticClassInfo() {
    static const rtl::TClassInfo Info{
        "TParserEdit",
        &TCustomParserEdit::StaticClassInfo(),
        [](rtl::TComponent* AOwner) -> rtl::TComponent* { return new TParserEdit(AOwner); },
        PublishedProperties(),
    };
    return Info;
}

}  // namespace quorix
