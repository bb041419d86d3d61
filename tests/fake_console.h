// A scripted console for the unit tests, linked in place of the real one.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "term/console.h"

struct FakeConsole {
    // What windowSize() reports; empty means the query fails (80 x 24 is used).
    std::optional<console::WindowSize> size;
    // Key bytes readKey() hands out in order; a value outside 0-255 is
    // returned as it is (a runtime error or end of input).
    std::deque<int> keys;
    // Everything written to standard output since the last reset.
    std::string output;
    // Every call that changes the console, in order: "write:<bytes>",
    // "flush", "vt-output", "utf8", "game-input", "restore-input", ...
    std::vector<std::string> calls;
    bool quitEvent = false;
    // windowSize() throws std::runtime_error, to unwind through its caller.
    bool throwOnWindowSize = false;
    bool stopRequest = false;
    // The clock; waitForEvent() moves it on by the time it was given.
    int64_t nowNs = 0;
};

// The one fake console; reset between tests.
FakeConsole& fakeConsole();
void resetFakeConsole();
