// The calculator's variables mode: evaluates one expression with the variables
// flavour of TQuorix, the variables given as NAME=VALUE.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quorix_apps {

struct TVarsRequest {
    std::string sExpression;
    std::vector<std::string> Assignments;  // NAME=VALUE, the last one for a name wins
    bool bUsed = false;                    // also list the functions and variables used
};

// Prints the value (or, with bUsed, the value and the names used) to Out. Every
// error of the expression is printed to Err as "error CODE at POSITION"; a bad
// assignment or a math failure is printed to Err as well. Returns the exit code:
// 0 on success, 1 when the expression failed, 2 for a bad assignment.
int RunVarsCalculator(const TVarsRequest& Request, std::ostream& Out, std::ostream& Err);

}  // namespace quorix_apps
