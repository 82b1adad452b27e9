// TParserEdit: TCustomParserEdit with its properties published.
#pragma once

#include "edits/CustomParserEdit.hpp"

namespace quorix {

class TParserEdit : public TCustomParserEdit {
public:
    using TCustomParserEdit::TCustomParserEdit;

    static const rtl::TClassInfo& StaticClassInfo();
    const rtl::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

}  // namespace quorix
