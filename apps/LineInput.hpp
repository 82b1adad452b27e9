// Lines from standard input: with line editing and history at a terminal, plain
// reads otherwise.
#pragma once

#include <optional>
#include <string>

namespace quorix::calculator {

class TLineInput {
public:
    TLineInput();
    ~TLineInput();
    TLineInput(const TLineInput&) = delete;
    TLineInput& operator=(const TLineInput&) = delete;

    // The next line without its line break; nothing at the end of the input. Raises
    // rtl::Exception when the input cannot be read (a directory, a read error), which
    // must not pass for its end.
    std::optional<std::string> ReadLine();
    bool Interactive() const { return FInteractive; }

private:
    bool FInteractive;
};

}  // namespace quorix::calculator
