// TDBParserEdit: TCustomDBParserEdit with its properties published.
#pragma once

#include "edits/CustomDBParserEdit.hpp"

namespace quorix {

class TDBParserEdit : public TCustomDBParserEdit {
public:
    using TCustomDBParserEdit::TCustomDBParserEdit;

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

}  // namespace quorix
