#pragma once

#include <QString>

namespace zarvik {

// Terminal emulators, known by the name of their executable. They keep what the user
// selects in the PRIMARY selection and do not copy on Ctrl+Insert: the keystroke reaches the
// shell as an escape sequence ("5~" on the command line, which Enter would run). So a
// capture never sends them a key and takes the selection from PRIMARY instead.
class TerminalPrograms final {
public:
    static bool isTerminal(const QString& exeName);
};

} // namespace zarvik
