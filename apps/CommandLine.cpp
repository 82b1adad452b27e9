#include "apps/CommandLine.hpp"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

#include "builtins/FunctionSets.hpp"

namespace quorix::calculator {

namespace {

constexpr int UsageError = 2;

const CLI::Validator OneCharacter(
    [](std::string& sValue) { return sValue.size() == 1 ? std::string() : "must be one character"; }, "");

// One group of the help's list of functions, one a line with its arguments.
std::string FunctionsHelp(const std::string& sHeading, functions::TFunctionSet Set) {
    std::string sHelp = sHeading + ":\n";
    for (const TBuiltInSignature& Signature : functions::Signatures(Set)) {
        sHelp += std::string("  ") + Signature.sName;
        if (*Signature.sArguments) sHelp += std::string("(") + Signature.sArguments + ")";
        sHelp += '\n';
    }
    return sHelp;
}

std::string AllFunctionsHelp() {
    using functions::TFunctionSet;
    return "Functions, in both engines (names in any letter case; with --engine vars, Pi and\n"
           "Random are written without parentheses):\n\n" +
           FunctionsHelp("Built-in functions", TFunctionSet::BuiltIns) + '\n' +
           FunctionsHelp("Everyday functions (left out by --strict; Round rounds half away from zero)",
                         TFunctionSet::Everyday) +
           "\nIn the interactive --engine vars mode, a line NAME = EXPR sets the variable NAME.\n";
}

}  // namespace

std::optional<TOptions> ReadCommandLine(int argc, const char* const* argv, std::ostream& Out,
                                        std::ostream& Err, int& iExitCode) {
    CLI::App App{
        "Evaluates each EXPR and prints its value, one line each; without EXPR, reads one\n"
        "expression a line from standard input (an interactive calculator at a terminal).\n"
        "Exit status: 0 when every expression succeeded, 1 otherwise, 2 for bad usage.",
        "quorix"};
    App.footer(AllFunctionsHelp());
    App.set_version_flag("--version", std::string("quorix ") + QUORIX_VERSION);

    TOptions Options;
    bool bTree = false, bUsed = false, bJson = false, bNoOptimize = false;
    std::string sDelimiter, sSeparator;
    App.add_flag("--tree", bTree, "print the parsed tree, fully parenthesised, instead of the value");
    App.add_flag("--used", bUsed, "print the used functions, comma-separated, instead of the value");
    App.add_option("--format", Options.sFormat, "format the value by a FormatFloat PATTERN")
        ->type_name("PATTERN");
    App.add_flag("--no-optimize", bNoOptimize, "do not fold constant sub-expressions");
    auto* Delimiter = App.add_option("--delimiter", sDelimiter, "string delimiter (default ')")
                          ->type_name("C")
                          ->check(OneCharacter);
    auto* Separator = App.add_option("--separator", sSeparator, "argument separator (default ;)")
                          ->type_name("C")
                          ->check(OneCharacter);
    App.add_flag("--strict", Options.bStrict, "the 54 built-in functions alone, without the everyday ones");
    App.add_flag("--json", bJson, "print one JSON object a line with everything about each expression");
    std::string sEngine = "engine";
    App.add_option("--engine", sEngine, "engine flavour: engine, or vars (with variables)")
        ->check(CLI::IsMember({"engine", "vars"}));
    App.add_option("--var", Options.Variables, "with --engine vars: a variable NAME=VALUE (repeatable)")
        ->type_name("NAME=VALUE")
        ->allow_extra_args(false);
    App.add_option("EXPR", Options.Expressions, "expressions; put -- before one that begins with a minus");
    try {
        App.parse(argc, argv);
    } catch (const CLI::ParseError& E) {
        iExitCode = App.exit(E, Out, Err);
        if (iExitCode != 0) iExitCode = UsageError;
        return std::nullopt;
    }
    if (int(bTree) + int(bUsed) + int(bJson) > 1) {
        Err << "quorix: --tree, --used and --json exclude one another\n";
        iExitCode = UsageError;
        return std::nullopt;
    }
    Options.bVariables = sEngine == "vars";
    const char* sConflict = nullptr;
    if (Options.bVariables && (bJson || Delimiter->count() > 0 || Separator->count() > 0))
        sConflict = "--engine vars has no --json, --delimiter or --separator";
    else if (!Options.bVariables && !Options.Variables.empty()) sConflict = "--var needs --engine vars";
    if (sConflict) {
        Err << "quorix: " << sConflict << '\n';
        iExitCode = UsageError;
        return std::nullopt;
    }
    Options.Output = bJson ? TOutput::Json : bTree ? TOutput::Tree : bUsed ? TOutput::Used : TOutput::Value;
    Options.bOptimize = !bNoOptimize;
    if (Delimiter->count() > 0) Options.Delimiter = sDelimiter[0];
    if (Separator->count() > 0) Options.Separator = sSeparator[0];
    iExitCode = 0;
    return Options;
}

}  // namespace quorix::calculator
