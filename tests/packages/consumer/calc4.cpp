// Evaluates an expression with the built-in functions of the installed Quorix4.
#include <iostream>

#include "builtins/ExtParser.hpp"
#include "framework/base/Conversions.hpp"

int main(int argc, char** argv) {
    quorix::TExtParser parser(nullptr);
    parser.SetText(argc > 1 ? argv[1] : "2*Sin(Pi/2)");
    if (!parser.Calc()) return 1;
    std::cout << rtl::FloatToStr(parser.Value()) << '\n';
    return 0;
}
