// The terminal modes of the Linux and macOS console, kept pure so the unit
// tests check them without a terminal. The game's modes are computed from the
// modes found at start, and every restore puts the found modes back whole.
#pragma once

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>

namespace termios_modes {

// Off in game mode: line input and echo; extended input processing, so
// Ctrl+V and (on macOS) Ctrl+O do not swallow keys or discard output; flow
// control, so Ctrl+S cannot freeze the output and with it the game.
inline constexpr tcflag_t kGameOffLocal = ICANON | ECHO | IEXTEN;
inline constexpr tcflag_t kGameOffInput = IXON;

// The control characters that stop the program (Ctrl+Z, and Ctrl+Y where the
// system has a delayed suspend).
inline constexpr int kSuspendChars[] = {
    VSUSP,
#if defined(VDSUSP)
    VDSUSP,
#endif
};

// Game mode: every key byte as soon as it arrives, whatever minimum and timer
// the terminal had, and no echo. The signal keys stay as found (Ctrl+C still
// interrupts), except the suspend keys: the terminal would stop the whole job
// at once, a parent such as make before the game had given the terminal
// back. They reach the game as key bytes instead, and it stops itself.
inline termios gameMode(termios t) {
    t.c_lflag &= ~kGameOffLocal;
    t.c_iflag &= ~kGameOffInput;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    for (const int index : kSuspendChars)
        t.c_cc[index] = _POSIX_VDISABLE;
    return t;
}

// Two records hold the same modes: the flags and the control characters (the
// speeds, and whatever else a C library keeps beside them, are left out).
inline bool sameModes(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::equal(std::begin(a.c_cc), std::end(a.c_cc), b.c_cc);
}

// The key byte is one the terminal, in the modes found, turns into a stop.
inline bool suspends(const termios& found, unsigned char key) {
    if ((found.c_lflag & ISIG) == 0) return false;
    for (const int index : kSuspendChars) {
        if (found.c_cc[index] != _POSIX_VDISABLE && found.c_cc[index] == key) return true;
    }
    return false;
}

}  // namespace termios_modes
