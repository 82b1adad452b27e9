#include "apps/LineInput.hpp"

#include <editline/readline.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "framework/base/Exceptions.hpp"

namespace quorix::calculator {

namespace {

[[noreturn]] void ReadFailed() {
    const int iError = errno;
    throw rtl::Exception(std::string("cannot read standard input: ") +
                         (iError ? std::strerror(iError) : "out of memory for its line"));
}

}  // namespace

TLineInput::TLineInput() : FInteractive(isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
    if (FInteractive) using_history();
}

TLineInput::~TLineInput() {
    if (FInteractive) clear_history();
}

std::optional<std::string> TLineInput::ReadLine() {
    if (!FInteractive) {
        std::string sLine;
        errno = 0;
        if (!std::getline(std::cin, sLine)) {
            if (std::cin.bad() || std::ferror(stdin)) ReadFailed();
            return std::nullopt;
        }
        if (!sLine.empty() && sLine.back() == '\r') sLine.pop_back();  // CR LF files
        return sLine;
    }
    const std::unique_ptr<char, decltype(&std::free)> Line(readline("quorix> "), &std::free);
    if (!Line) return std::nullopt;
    std::string sLine(Line.get());
    if (!sLine.empty()) add_history(Line.get());
    return sLine;
}

}  // namespace quorix::calculator
