// The window size the game works with: the console's, up to a bound far above
// any real screen (a 4K monitor with a small font is about 400 x 120). A pty
// can be told any size (`stty rows 30000 cols 30000`), and one full frame of
// that would take about 900 MB.
#pragma once

#include <algorithm>

#include "console/console.h"

inline constexpr console::WindowSize kLargestScreen{2000, 1000};

inline console::WindowSize screenSize() {
    const console::WindowSize size = console::windowSize();
    return {std::min(size.cols, kLargestScreen.cols), std::min(size.rows, kLargestScreen.rows)};
}
