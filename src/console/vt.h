// The escape sequences (VT/xterm controls) that several parts of the program
// send, named once so the orderly restore, the crash handler's restore and
// the frames all send the same bytes.
#pragma once

#include <string_view>

namespace vt {

inline constexpr std::string_view kAttributesReset = "\x1b[0m";  // SGR 0

// Every mouse-reporting mode off: the 1015 and 1006 encodings, any-event,
// button-event and press/release tracking. The game turns none on, but a
// terminal left in such a mode by another program would send a report for
// every click and motion, bytes the key decoder would take for keys.
inline constexpr std::string_view kMouseOff =
    "\x1b[?1015l\x1b[?1006l\x1b[?1003l\x1b[?1002l\x1b[?1000l";

// Game mode, in the order the set-up sends them, each flushed on its own.
inline constexpr std::string_view kSetUp[] = {
    "\x1b[?1049h",  // alternate screen on, the main screen saved
    "\x1b[1;1H",    // cursor to row 1, column 1
    "\x1b[?7l",     // automatic wrap at the right margin off
    "\x1b[?25l",    // cursor hidden
    kMouseOff,
};

// The way back, in the order the restore sends them after kAttributesReset,
// each flushed on its own (where output is buffered, the reset rides on the
// first flush). The game's screen is erased before the main screen comes
// back: a terminal without an alternate screen (the Linux console, a tmux
// pane with alternate-screen off) would keep the last frame, with the
// shell's prompt wherever the cursor was left.
inline constexpr std::string_view kRestore[] = {
    "\x1b[2J",      // the whole screen erased, in the default colours
    "\x1b[1;1H",    // cursor to row 1, column 1
    "\x1b[?7h",     // automatic wrap on
    "\x1b[?1049l",  // main screen back, with its contents
    "\x1b[?25h",    // cursor shown
    kMouseOff,      // again: the terminal is left as a shell expects it
};

}  // namespace vt
