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

TEST(ConsoleWindows, WithoutAConsoleTheSizeFallsBackAndInputStaysText) {
    const HANDLE nul =
        CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    for (const HANDLE handle : {nul, INVALID_HANDLE_VALUE, HANDLE{}}) {
        for (const DWORD std : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
            SetStdHandle(std, handle);
        EXPECT_EQ(console::windowSize().cols, console::kFallbackSize.cols);
        EXPECT_EQ(console::windowSize().rows, console::kFallbackSize.rows);
        console::enterGameInput();
        // Binary mode is for console input only; redirected input keeps text mode.
        EXPECT_EQ(_setmode(_fileno(stdin), _O_TEXT), _O_TEXT);
    }
}
