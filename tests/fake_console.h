// A scripted console for the unit tests, linked in place of the real one. It
// keeps its own clock, hands out key bytes and window sizes at scripted times,
// and writes a transcript of everything the program does to it.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"

struct FakeConsole {
    std::optional<console::WindowSize> size{};  // empty: the query fails (80 x 24 is used)
    std::deque<unsigned char> keys{};           // pending key bytes
    int64_t nowNs = 0;
    uint32_t seed = 1;       // the engine's, for a session
    int64_t passNs = 0;      // when set, every wait lasts exactly this long
    int64_t readCostNs = 0;  // how long reading one key byte takes
    // Scripted events by time, in the session notation (playSession).
    std::multimap<int64_t, std::string> events{};
    // Every console call that changes something and every event, one a line
    // after the time in milliseconds, with ESC as \e and other control bytes
    // as \xNN.
    std::string transcript{};
    bool quitEvent = false, stopRequest = false, continued = false;
    bool noKeyboard = false, throwOnWindowSize = false;
};

// The one fake console; `fakeConsole() = {}` resets it, `fakeConsole() =
// {.keys = {'w'}}` sets it up.
FakeConsole& fakeConsole();

// Plays a session script through GameApp::run and returns the transcript. A
// script line is one of:
//   seed N            the engine's seed
//   pass MS           every wait lasts exactly MS (a system that oversleeps)
//   read MS           reading each key byte takes MS
//   EVENT             an event before the run: "size 30x12", "keys q"
//   MS EVENT          an event at MS milliseconds: keys LETTERS (the bytes of
//                     other keys are unit_test.cpp's key table), size WxH, size
//                     none (the query fails), stall MS, stop (Ctrl+Z),
//                     continue (after a stop from outside), signal (one that
//                     ends the program)
std::string playSession(const std::string& script);
