// The terminal-mode arithmetic of the Linux and macOS console, kept pure so
// the unit tests check it without a terminal. Like the Windows console modes,
// each change reads the current flags and sets or clears fixed bits; only the
// two flags the game turns off for its own sake are put back as they were found.
#pragma once

#include <termios.h>

namespace termios_modes {

// Game mode: keys byte by byte (no line input) and no echo. Signal keys stay
// as found, as the Windows console leaves processed input. Also off: flow
// control, so Ctrl+S cannot freeze the output and with it the game, and the
// extended input processing, so Ctrl+V and (on macOS) Ctrl+O do not swallow
// keys or discard output.
inline constexpr tcflag_t kGameOffLocal = ICANON | ECHO | IEXTEN;
inline constexpr tcflag_t kGameOffInput = IXON;

inline termios gameMode(termios t) {
    t.c_lflag &= ~kGameOffLocal;
    t.c_iflag &= ~kGameOffInput;
    return t;
}

// The state a shell expects: line input, echo and signal keys on. Flow
// control and extended input go back to what they were before the game
// (found), so a user who runs with `stty -ixon` keeps it.
inline termios restoredMode(termios t, const termios& found) {
    t.c_lflag = (t.c_lflag & ~IEXTEN) | (found.c_lflag & IEXTEN) | ICANON | ECHO | ISIG;
    t.c_iflag = (t.c_iflag & ~kGameOffInput) | (found.c_iflag & kGameOffInput);
    return t;
}

// What restoredMode assumes was found when the game mode was never entered.
inline termios usualFound() {
    termios t{};
    t.c_lflag = IEXTEN;
    t.c_iflag = IXON;
    return t;
}

}  // namespace termios_modes
