// Evaluates an expression with a variable through the installed Quorix5.
#include <iostream>

#include "engine_vars/Quorix.hpp"
#include "framework/base/Conversions.hpp"

int main() {
    quorix::TQuorix parser(nullptr);
    parser.Variables()->Add("half");
    parser.SetOnGetVariable([](const std::string& sName, rtl::Extended& Result) {
        if (sName == "HALF") Result = 0.5L;
    });
    parser.SetText("4*half");
    if (!parser.Calc()) return 1;
    std::cout << rtl::FloatToStr(parser.Value()) << '\n';
    return 0;
}
