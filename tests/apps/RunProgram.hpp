// Runs the built quorix program through the shell for the tests of this folder.
#pragma once

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <string>

namespace quorix::calculator::test_support {

// The program's exit status (-1 when a signal ended it) and what it wrote: standard
// output, and standard error too when bWithErrors (otherwise it is dropped).
// sLimits: shell commands run first, such as "ulimit -v 100000;".
inline int RunProgram(const std::string& sArguments, std::string& sOut, bool bWithErrors = false,
                      const std::string& sLimits = "") {
    const std::string sCommand = sLimits + std::string(QUORIX_BINARY_DIR) + "/apps/quorix " + sArguments +
                                 (bWithErrors ? " 2>&1" : " 2>/dev/null");
    FILE* Pipe = popen(sCommand.c_str(), "r");
    if (!Pipe) return -1;
    sOut.clear();
    std::array<char, 4096> Buffer;
    while (const std::size_t n = fread(Buffer.data(), 1, Buffer.size(), Pipe)) sOut.append(Buffer.data(), n);
    const int iStatus = pclose(Pipe);
    return WIFEXITED(iStatus) ? WEXITSTATUS(iStatus) : -1;
}

}  // namespace quorix::calculator::test_support
