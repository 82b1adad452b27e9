// The calculator's command line.
#pragma once

#include <iosfwd>
#include <optional>

#include "apps/Calculator.hpp"

namespace quorix::calculator {

// Reads the options and expressions. Returns them, or nothing after --help,
// --version or a usage error, when iExitCode tells how the program ends (having
// written the help, the version or the error to Out or Err).
std::optional<TOptions> ReadCommandLine(int argc, const char* const* argv, std::ostream& Out,
                                        std::ostream& Err, int& iExitCode);

}  // namespace quorix::calculator
