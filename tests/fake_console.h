// A scripted console for the unit tests, linked in place of the real one. It
// keeps its own clock, hands out scripted key bytes and window sizes at their
// times, and writes a transcript of everything the program does to it.
#pragma once

#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "term/console.h"

struct FakeConsole {
    // What windowSize() reports; empty means the query fails (80 x 24 is used).
    std::optional<console::WindowSize> size;
    // Key bytes pending now, in order; a value outside 0-255 is returned as it
    // is (a runtime error or end of input).
    std::deque<int> keys;
    int64_t nowNs = 0;
    // When set, every wait lasts exactly this long, whatever it was asked for.
    int64_t passNs = 0;
    // How long reading one key byte takes.
    int64_t readCostNs = 0;
    // Scripted events by time, in the session notation: "keys \e[A",
    // "size 30x12", "size none", "stall 450", "stop" (Ctrl+Z), "continue"
    // (after a stop from outside), "signal" (one that ends the program).
    std::multimap<int64_t, std::string> events;
    // A wait that would go past this throws, so a run that never ends fails.
    int64_t endNs = std::numeric_limits<int64_t>::max();
    // Every console call that changes something and every event, one a line,
    // each after the time in milliseconds; control bytes escaped.
    std::string transcript;
    bool quitEvent = false;
    bool stopRequest = false;
    bool continued = false;
    bool noKeyboard = false;
    bool throwOnWindowSize = false;  // windowSize() throws std::runtime_error
};

// The one fake console; reset between tests.
FakeConsole& fakeConsole();
void resetFakeConsole();

// "2.9" milliseconds in nanoseconds.
int64_t msToNs(const std::string& ms);

// Applies one event now, as if it had been scripted for this moment.
void applyEvent(const std::string& event);

// Bytes as a golden file shows them: ESC as \e, backslash doubled, other
// control and non-ASCII bytes as \xNN. unescape reads that notation back.
std::string escape(std::string_view bytes);
std::string unescape(std::string_view text);
