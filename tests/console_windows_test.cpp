// The real Windows console layer where no console is at hand: standard
// handles that are a file, missing or invalid, as when a script redirects
// them or a service starts the program.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>

#include <cstdio>

#include "term/console.h"
#include "term/console_modes.h"

// The portable mode arithmetic uses the console API's own flag values.
static_assert(console_modes::kProcessedInput == ENABLE_PROCESSED_INPUT);
static_assert(console_modes::kLineInput == ENABLE_LINE_INPUT);
static_assert(console_modes::kEchoInput == ENABLE_ECHO_INPUT);
static_assert(console_modes::kWindowInput == ENABLE_WINDOW_INPUT);
static_assert(console_modes::kMouseInput == ENABLE_MOUSE_INPUT);
static_assert(console_modes::kExtendedFlags == ENABLE_EXTENDED_FLAGS);
static_assert(console_modes::kVirtualTerminalInput == ENABLE_VIRTUAL_TERMINAL_INPUT);
static_assert(console_modes::kVirtualTerminalProcessing == ENABLE_VIRTUAL_TERMINAL_PROCESSING);

namespace {

constexpr DWORD kStdHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};

// Puts one handle in place of all three standard handles while in scope.
struct StdHandlesReplaced {
    HANDLE saved[3];
    explicit StdHandlesReplaced(HANDLE handle) {
        for (int i = 0; i < 3; ++i) {
            saved[i] = GetStdHandle(kStdHandles[i]);
            SetStdHandle(kStdHandles[i], handle);
        }
    }
    ~StdHandlesReplaced() {
        for (int i = 0; i < 3; ++i) {
            SetStdHandle(kStdHandles[i], saved[i]);
        }
    }
};

}  // namespace

TEST(ConsoleWindows, WithoutAConsoleTheSizeFallsBackAndInputStaysText) {
    const HANDLE nul =
        CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(nul, INVALID_HANDLE_VALUE);
    for (const HANDLE handle : {nul, INVALID_HANDLE_VALUE, HANDLE{}}) {
        SCOPED_TRACE(handle);
        const StdHandlesReplaced replaced(handle);
        EXPECT_EQ(console::windowSize().cols, console::kFallbackSize.cols);
        EXPECT_EQ(console::windowSize().rows, console::kFallbackSize.rows);
        console::enableVirtualTerminalOutput();
        console::enterGameInput();
        console::restoreInput();
        // Binary mode is for console input only; redirected input keeps text mode.
        EXPECT_EQ(_setmode(_fileno(stdin), _O_TEXT), _O_TEXT);
    }
    CloseHandle(nul);
}
