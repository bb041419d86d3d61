// What the two halves of the console layer on Linux and macOS offer each
// other: the terminal (console_posix.cpp) and the process events
// (process_events_posix.cpp). Nothing else includes this.
#pragma once

#include <string_view>

// Linux's own calls and signals (ppoll, SIGPWR and SIGSTKFLT), unless
// the build asks for the portable path that macOS and the BSDs take.
#if defined(__linux__) && !defined(ZINTARAPOLKE_PORTABLE_POSIX)
#define ZINTARAPOLKE_LINUX 1
#endif

namespace posix_console {

// ---- The terminal (console_posix.cpp) ----

// The game's own descriptor of the controlling terminal, or -1.
int ttyFd();
// Another process group (a shell) has the terminal.
bool inBackground();
// Puts back the modes found at start, if the game's modes are on the
// terminal; false when it had nothing to give back. Async-signal-safe.
bool restoreFoundModes();
// A write that the main loop is about to start, or has started, returns at
// once: the quit signal that ends the game has been taken already, and the
// write could otherwise wait for as long as the output takes nothing.
// Async-signal-safe.
void unblockPendingWrite();
// The crash handler's restore (bytes, possibly none): what the output does
// not take within half a second is given up, as after a quit signal, and
// standard output's flags are as found again afterwards. Async-signal-safe.
void writeCrashRestore(std::string_view bytes);

// ---- The process events (process_events_posix.cpp) ----

// A signal that ends the program has arrived.
bool quitSignalSeen();
// The self-pipe's read end, readable once a signal has arrived; -1 if none.
int wakeFd();
void drainWakeups();
// True once after the window may have changed size (SIGWINCH, a continue,
// or the start).
bool takeResize();
// The suspend key was read: stop as SIGTSTP from outside would.
void requestStop();
bool stopRequested();
// Stops the game's process group while another has the terminal, and returns
// in the foreground (or once a signal that ends the program has arrived).
void stopWhileInBackground();

}  // namespace posix_console
