// Puts the console into game mode and back.
#pragma once

namespace TerminalMode {

// Virtual-terminal output, UTF-8, keys byte by byte without echo, then the
// alternate screen, cursor home, no automatic wrap and a hidden cursor.
// False, with nothing sent, when the game ended before it ever had the
// console (a quit signal while it waited behind the shell).
bool enter();

// The undo of enter: attributes reset, wrap on, main screen, cursor shown,
// mouse reporting off, line editing and echo back. Does nothing when the
// console is not in game mode.
void restore();

// Calls restore() exactly once when its scope is left, also on unwinding.
struct Guard {
    Guard() = default;
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
    ~Guard() { restore(); }
};

}  // namespace TerminalMode
