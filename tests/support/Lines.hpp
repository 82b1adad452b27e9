// The lines of a string list as a vector, so that assertions can compare them whole.
#pragma once

#include <string>
#include <vector>

#include "framework/base/StringList.hpp"

namespace quorix_test {

inline std::vector<std::string> Lines(const rtl::TStrings& List) {
    std::vector<std::string> Result;
    for (int i = 0; i < List.Count(); ++i) Result.push_back(List[i]);
    return Result;
}

inline std::vector<std::string> Lines(const rtl::TStrings* List) { return Lines(*List); }

}  // namespace quorix_test
