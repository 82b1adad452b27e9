// Internal to the component reader, its first pass: stored text into a checked tree
// of objects and property values. Classes and properties are looked up, values parsed
// and limits enforced; nothing is created yet.
#pragma once

#include <string>
#include <vector>

#include "framework/base/Properties.hpp"

namespace rtl::streaming {

[[noreturn]] void FailAtLine(int Line, const std::string& What);  // raises EReadError

struct TValueLine {
    const TPropInfo* Prop;
    TPropValue Value;
    std::string Reference;  // a referenced name, resolved after reading; empty: Value is final
    int Line;
};

struct TObjectNode {
    std::string Name;
    const TClassInfo* Class = nullptr;
    int Line = 0;
    std::vector<TValueLine> Values;
    std::vector<TObjectNode> Children;
};

// The root object of Text; malformed text raises EReadError with its line number.
TObjectNode ParseComponentText(const std::string& Text);

}  // namespace rtl::streaming
