// The console layer: every operation the program needs from the console, in
// one place. One implementation is linked in at build time: the Windows
// console API (console_windows.cpp), termios and the controlling terminal on
// Linux and macOS (console_posix.cpp with process_events_posix.cpp), a
// terminal emulator on a web page (console_web.cpp), or a scripted fake in
// the unit tests and the benchmarks.
#pragma once

#include <cstdint>
#include <string_view>

namespace console {

struct WindowSize {
    int32_t cols = 0;
    int32_t rows = 0;
};

// Used whenever the console cannot tell its size (output redirected).
inline constexpr WindowSize kFallbackSize{80, 24};

// The visible window of standard output in console columns and rows, or
// kFallbackSize when it cannot be asked. The Windows console is asked on
// every call; a POSIX terminal that sends the game its resize signal only
// after one (or a continue), others on every call.
WindowSize windowSize();

// True when there is a terminal to read keys from. Without one nothing could
// steer or quit the game, so it does not start.
bool hasKeyboard();

// True when a key byte can be read at once; never waits. On Linux and macOS
// it trusts the last waitForEvent: a pass after a wait that saw no key makes
// no call.
bool keyPending();

// The next key byte (0 to 255) without echo or line buffering; -1 at end of
// input, on an error, or for the suspend key (Ctrl+Z on Linux and macOS),
// which is no game key but a stop request. End of input and a hung-up
// terminal count as a quit event. Call only after keyPending() said yes.
int readKey();

// The steady clock, in nanoseconds.
int64_t nowNs();

// Returns when a key byte may be pending, the window may have changed size, a
// process event has arrived, or timeoutNs has passed. The Windows console has
// nothing to wait on and sleeps 2 ms, so the game polls there.
void waitForEvent(int64_t timeoutNs);

// Set-up steps of the game mode, each best effort.
void enableVirtualTerminalOutput();  // standard output and standard error
void useUtf8();                      // code pages and the C runtime's locale
// Keys byte by byte, no echo. False when the game ended before it ever had
// the console (on Linux and macOS: a quit signal while it waited behind the
// shell for the terminal): then nothing was changed, and nothing may be.
bool enterGameInput();
// Gives the input back line editing and echo (on Linux and macOS: exactly the
// modes found at the first entry).
void restoreInput();
// Bracket the restore, so nothing can stop the program halfway through it.
void beginRestore();
void endRestore();

// Standard output. On Windows through the C runtime's buffered stream,
// pushed out by flushOut; on Linux and macOS straight to the descriptor, a
// frame in one write, and flushOut does nothing. Once a quit signal has
// arrived, a write gives up what the output does not take within half a
// second.
void writeOut(std::string_view bytes);
void flushOut();

// Process-level events that must end or suspend the game in an orderly way:
// an interrupt, termination or any other signal that would end the program, a
// closed terminal, a closed output pipe; on Linux and macOS also a stop, from
// the suspend key or from outside, and a continue. On Linux and macOS the
// handlers record what came and wake the wait; the main loop asks for it
// here. Two do more, for what no later step could do: the quit handler makes
// a write already under way non-blocking (standard output's flags go back
// at the end of the restore), and the crash handler restores the terminal
// itself, since the program may be in any state.
void watchProcessEvents();
bool quitEventSeen();
// True once per stop request, and only where the game can be stopped (a
// game started as a terminal's own command has no one to continue it).
bool takeStopRequest();
// Stops the game's whole process group, returning once continued.
void stopUntilContinued();
// True once after the program was continued from a stop of any kind, or sent
// SIGCONT without one, or found behind the shell soon after a continue (the
// shell took the terminal for a stop it saw). When it is in the background
// it first stops again, until it is brought to the foreground: the terminal
// is then the game's again, and the caller sets up game mode anew.
bool takeContinue();
void finishQuitEvent();  // after the restore: take the event's default action

}  // namespace console
