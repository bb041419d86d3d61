// The terminal-mode arithmetic of the Linux and macOS console, kept pure so
// the unit tests check it without a terminal. Like the Windows console modes,
// each change reads the current flags and sets or clears fixed bits.
#pragma once

#include <termios.h>

namespace termios_modes {

// Game mode: keys byte by byte (no line input) and no echo. Signal keys stay
// as found, as the Windows console leaves processed input. Also off: flow
// control, so Ctrl+S cannot freeze the output and with it the game, and the
// extended input processing, so Ctrl+V and (on macOS) Ctrl+O do not swallow
// keys or discard output.
inline termios gameMode(termios t) {
    t.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
    t.c_iflag &= ~static_cast<tcflag_t>(IXON);
    return t;
}

// The usual state a shell expects: line input, echo and signal keys on, and
// what gameMode turned off back on.
inline termios restoredMode(termios t) {
    t.c_lflag |= static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    t.c_iflag |= static_cast<tcflag_t>(IXON);
    return t;
}

}  // namespace termios_modes
