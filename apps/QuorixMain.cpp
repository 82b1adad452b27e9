// quorix: the command-line calculator.
#include <iostream>

#include "apps/Calculator.hpp"
#include "apps/CommandLine.hpp"
#include "apps/LineInput.hpp"
#include "apps/VarsCalculator.hpp"
#include "framework/Exceptions.hpp"

int main(int argc, char** argv) {
    using namespace quorix::calculator;
    int iExitCode = 0;
    const std::optional<TOptions> Options = ReadCommandLine(argc, argv, std::cout, std::cerr, iExitCode);
    if (!Options) return iExitCode;

    std::optional<TCalculator> Calculator;
    std::optional<TVarsCalculator> VarsCalculator;
    try {
        if (Options->bVariables)
            VarsCalculator.emplace(TVarsOptions{Options->Variables, Options->Output == TOutput::Tree,
                                                Options->Output == TOutput::Used, Options->sFormat,
                                                Options->bOptimize, !Options->bStrict,
                                                Options->Expressions.empty()});
        else
            Calculator.emplace(*Options);
    } catch (const rtl::Exception& E) {
        std::cerr << "quorix: " << E.Message() << '\n';
        return 2;
    }

    const auto Run = [&](const std::string& sExpression, std::ostream& Out, std::ostream& Err) {
        return VarsCalculator ? VarsCalculator->Run(sExpression, Out, Err) : Calculator->Run(sExpression, Out, Err);
    };
    bool bAllOk = true;
    if (!Options->Expressions.empty()) {
        for (const std::string& sExpression : Options->Expressions)
            bAllOk = Run(sExpression, std::cout, std::cerr) && bAllOk;
        return bAllOk ? 0 : 1;
    }
    TLineInput Input;
    while (const std::optional<std::string> Line = Input.ReadLine()) {
        if (Line->empty()) continue;  // a blank line is no expression
        bAllOk = Run(*Line, std::cout, std::cerr) && bAllOk;
        std::cout.flush();
    }
    return bAllOk ? 0 : 1;
}
