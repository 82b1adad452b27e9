// TExtParser with a function of the application's own, beside the 54 built-ins and
// the everyday functions.
#include <iostream>

#include "builtins/AttachFunctions.hpp"
#include "builtins/ExtParser.hpp"
#include "framework/base/Conversions.hpp"

int main() {
    quorix::TExtParser Parser(nullptr);

    // An application function is listed by name and computed in OnGetFunction, which
    // receives the name in upper case and the arguments already evaluated.
    Parser.Functions()->Add("Vat");
    Parser.SetOnGetFunction([](const std::string& sName, std::span<const quorix::rParam> arrPar, int ParCount,
                               int& iErrCode, rtl::Extended& Result) {
        if (sName != "VAT") return;
        if (ParCount != 1) iErrCode = ParCount < 1 ? quorix::epTooFewArguments : quorix::epTooManyArguments;
        else Result = arrPar[0].rValue * 0.2L;
    });
    // Sqrt, Exp, Ln, Round, Min, Max, ...: attached after the handler above, which
    // then still answers every other name.
    quorix::AttachEverydayFunctions(Parser);
    Parser.SetOnError(
        [](int iPos, int iErrCode) { std::cout << "  error " << iErrCode << " at " << iPos << '\n'; });

    for (const char* sText : {"Round(Vat(1250*1.045^3))", "2*Sin(Pi/2)+Sqrt(2)", "Vat(1;2)"}) {
        Parser.SetText(sText);
        std::cout << sText << '\n';
        if (Parser.Calc()) std::cout << "  = " << rtl::FloatToStr(Parser.Value()) << '\n';
    }
    return 0;
}
