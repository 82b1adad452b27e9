// quorix: the command-line calculator.
#include <iostream>

#include "apps/Calculator.hpp"
#include "apps/CommandLine.hpp"
#include "apps/LineInput.hpp"
#include "apps/VarsCalculator.hpp"
#include "framework/base/Exceptions.hpp"

namespace {

using namespace quorix::calculator;

constexpr int Failure = 1;
constexpr int UsageError = 2;

// Evaluates the expressions of the command line, or else those of standard input.
bool RunAll(const TOptions& Options, TCalculator* pCalculator, TVarsCalculator* pVarsCalculator) {
    const auto Run = [&](const std::string& sExpression) {
        return pVarsCalculator ? pVarsCalculator->Run(sExpression, std::cout, std::cerr)
                               : pCalculator->Run(sExpression, std::cout, std::cerr);
    };
    bool bAllOk = true;
    for (const std::string& sExpression : Options.Expressions) bAllOk = Run(sExpression) && bAllOk;
    if (!Options.Expressions.empty()) return bAllOk;
    TLineInput Input;
    while (const std::optional<std::string> Line = Input.ReadLine()) {
        if (Line->empty()) continue;  // a blank line is no expression
        bAllOk = Run(*Line) && bAllOk;
        std::cout.flush();
    }
    return bAllOk;
}

}  // namespace

int main(int argc, char** argv) {
    int iExitCode = 0;
    const std::optional<TOptions> Options = ReadCommandLine(argc, argv, std::cout, std::cerr, iExitCode);
    if (!Options) return iExitCode;

    std::optional<TCalculator> Calculator;
    std::optional<TVarsCalculator> VarsCalculator;
    try {
        if (Options->bVariables)
            VarsCalculator.emplace(TVarsOptions{
                Options->Variables, Options->Output == TOutput::Tree, Options->Output == TOutput::Used,
                Options->sFormat, Options->bOptimize, !Options->bStrict, Options->Expressions.empty()});
        else Calculator.emplace(*Options);
    } catch (const rtl::Exception& E) {
        std::cerr << "quorix: " << E.Message() << '\n';
        return UsageError;
    }
    // Evaluation reports its own failures; what is left is reading the input.
    try {
        return RunAll(*Options, Calculator ? &*Calculator : nullptr,
                      VarsCalculator ? &*VarsCalculator : nullptr)
                   ? 0
                   : Failure;
    } catch (const rtl::Exception& E) {
        std::cerr << "quorix: " << E.Message() << '\n';
        return Failure;
    } catch (const std::exception& E) {
        std::cerr << "quorix: " << E.what() << '\n';
        return Failure;
    }
}
