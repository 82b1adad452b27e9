#include "edits/DBParserEdit.hpp"

namespace quorix {

const rtl::TClassInfo& TDBParserEdit::StaticClassInfo() {
    static const rtl::TClassInfo Info{
        "TDBParserEdit",
        &TCustomDBParserEdit::StaticClassInfo(),
        [](rtl::TComponent* AOwner) -> rtl::TComponent* { return new TDBParserEdit(AOwner); },
        PublishedProperties(),
    };
    return Info;
}

}  // namespace quorix
