// The variables flavour: names in an expression read their values from the
// application's OnGetVariable handler, at every evaluation.
#include <iostream>
#include <map>

#include "engine_vars/Quorix.hpp"
#include "framework/base/Conversions.hpp"

int main() {
    std::map<std::string, rtl::Extended> Values{{"PRICE", 12.5L}, {"QUANTITY", 3}};

    quorix::TQuorix Parser(nullptr);
    Parser.Variables()->Add("Price");
    Parser.Variables()->Add("Quantity");
    // The handler receives the name in upper case.
    Parser.SetOnGetVariable(
        [&Values](const std::string& sName, rtl::Extended& Result) { Result = Values.at(sName); });
    Parser.SetOnError(
        [](int iPos, int iErrCode) { std::cout << "  error " << iErrCode << " at " << iPos << '\n'; });

    Parser.SetText("Price*Quantity");
    for (const rtl::Extended rQuantity : {3.0L, 10.0L}) {
        Values["QUANTITY"] = rQuantity;  // the next Calc reads the new value
        if (Parser.Calc()) std::cout << Parser.Text() << " = " << rtl::FloatToStr(Parser.Value()) << '\n';
    }
    Parser.SetText("Price*Discount");  // not a listed name
    if (!Parser.Calc()) std::cout << Parser.Text() << " failed\n";
    return 0;
}
