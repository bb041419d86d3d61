// The console layer on Windows: the console API of kernel32 and the C
// runtime's console and stream functions. Handles are fetched anew at every
// use and never kept, so a redirected stream is seen as it is now.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <conio.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "console/console.h"
#include "console/console_modes.h"
#include "console/steady_clock.h"

// The portable mode arithmetic must use the console API's own flag values.
static_assert(console_modes::kProcessedInput == ENABLE_PROCESSED_INPUT);
static_assert(console_modes::kLineInput == ENABLE_LINE_INPUT);
static_assert(console_modes::kEchoInput == ENABLE_ECHO_INPUT);
static_assert(console_modes::kWindowInput == ENABLE_WINDOW_INPUT);
static_assert(console_modes::kMouseInput == ENABLE_MOUSE_INPUT);
static_assert(console_modes::kExtendedFlags == ENABLE_EXTENDED_FLAGS);
static_assert(console_modes::kVirtualTerminalInput == ENABLE_VIRTUAL_TERMINAL_INPUT);
static_assert(console_modes::kVirtualTerminalProcessing == ENABLE_VIRTUAL_TERMINAL_PROCESSING);

namespace {

// Set by the console control handler, which the system runs on a thread of
// its own; the main loop reads it.
std::atomic<bool> interrupted{false};

BOOL WINAPI onControlEvent(DWORD event) {
    // Closing the window, logging off and shutting down keep the default.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    interrupted = true;
    return TRUE;
}

// Applies change to the mode of a standard handle. False when the handle is
// missing or no console (a redirected stream), or the new mode was refused.
bool changeMode(DWORD stdHandle, uint32_t (*change)(uint32_t)) {
    const HANDLE handle = GetStdHandle(stdHandle);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return false;
    return SetConsoleMode(handle, change(mode)) != 0;
}

}  // namespace

namespace console {

WindowSize windowSize() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return kFallbackSize;
    const SMALL_RECT& w = info.srWindow;  // the visible window, not the buffer
    return console_modes::windowFromRect(w.Left, w.Top, w.Right, w.Bottom);
}

// _getch reads the console's own input, whatever standard input is; without
// a console (a detached process) there is nothing to read keys from.
bool hasKeyboard() {
    const HANDLE input =
        CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) return false;
    CloseHandle(input);
    return true;
}

bool keyPending() { return _kbhit() != 0; }

int readKey() { return _getch(); }

int64_t nowNs() { return steadyClockNs(); }

void waitForEvent(int64_t) { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

void enableVirtualTerminalOutput() {
    changeMode(STD_OUTPUT_HANDLE, console_modes::virtualTerminalOutputMode);
    changeMode(STD_ERROR_HANDLE, console_modes::virtualTerminalOutputMode);
}

// Best effort: an older console or runtime may refuse any of them.
void useUtf8() {
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
    std::setlocale(LC_ALL, ".UTF-8");
}

bool enterGameInput() {
    // Standard input's stream in binary mode, when it is a console: the
    // runtime then turns no CR LF into LF and takes no Ctrl+Z as its end. The
    // game's keys never pass through that stream (_getch reads the console's
    // input itself), so this changes nothing the game reads.
    if (changeMode(STD_INPUT_HANDLE, console_modes::gameInputMode)) {
        _setmode(_fileno(stdin), _O_BINARY);
    }
    return true;
}

void restoreInput() { changeMode(STD_INPUT_HANDLE, console_modes::restoredInputMode); }

// Nothing stops a Windows program halfway through its restore.
void beginRestore() {}
void endRestore() {}

void writeOut(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

void flushOut() { std::fflush(stdout); }

void watchProcessEvents() { SetConsoleCtrlHandler(onControlEvent, TRUE); }

bool quitEventSeen() { return interrupted; }

// No job control on Windows: nothing stops the game from outside.
bool takeStopRequest() { return false; }
void stopUntilContinued() {}
bool takeContinue() { return false; }

// After Ctrl+C or Ctrl+Break, end with the status the default handler gives,
// so a calling script sees an interrupted program, not a normal quit.
void finishQuitEvent() {
    if (interrupted) std::exit(static_cast<int>(STATUS_CONTROL_C_EXIT));
}

}  // namespace console
