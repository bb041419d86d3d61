// The key decoder through GameApp::handleKey: every key's bytes, sequences
// broken off and started over, the turn queue and the restart after game over.
#include <gtest/gtest.h>

#include <random>
#include <string_view>
#include <vector>

#include "app/game_app.h"
#include "fuzz/key_stream.h"

namespace {

using namespace std::string_view_literals;

// Turns as letters: U, D, L, R.
std::string queued(const SnakeGame& g) {
    std::string turns;
    for (const Direction d : g.directionQueue)
        turns += "UDLR"[static_cast<int>(d)];
    return turns;
}

struct Case {
    std::string_view bytes;
    bool overBefore;
    std::string_view turns;  // queued afterwards
    int32_t keyState;        // afterwards
    bool quit;
    bool overAfter;
};

// Each case goes to a game moving Right with nothing queued.
TEST(KeyDecoder, ByteSequences) {
    const Case cases[] = {
        {"wAsD"sv, false, "ULD", 0, false, false},  // the fourth turn finds the queue full
        {"adwsd"sv, false, "UR", 0, false, false},  // reversing or repeating the last turn
        {"\x00H\x00K"sv, false, "UL", 0, false, false},
        {"\xe0P\xe0M"sv, false, "DR", 0, false, false},
        {"\x1b[A\x1b[D"sv, false, "UL", 0, false, false},
        {"\x1bOB\x1bOC"sv, false, "DR", 0, false, false},  // application cursor mode
        // The byte after a prefix is a scan code, even Q, R, another prefix or ESC.
        {"\x00qH"sv, false, "", 0, false, false},
        {"\xe0Qw"sv, false, "U", 0, false, false},  // Page Down, then a letter
        {"\xe0R"sv, true, "", 0, false, true},      // Insert
        {"\xe0\xe0H"sv, false, "", 0, false, false},
        {"\x00\x1b[A"sv, false, "", 0, false, false},
        // Sequences started over, broken off, or read to their end and dropped.
        {"\x1b\x1b[A"sv, false, "U", 0, false, false},
        {"w\x1b[\x00K"sv, false, "UL", 0, false, false},
        {"\x1b[a"sv, false, "", 0, false, false},
        {"\x1bw"sv, false, "", 0, false, false},
        {"\x1bOQ\x1bOS"sv, false, "", 0, false, false},          // F2, F4
        {"\x1bOR\x1b[[B"sv, true, "", 0, false, true},           // F3; F2 on the Linux console
        {"\x1b[1;2D\x1b[1;5Aw"sv, false, "U", 0, false, false},  // Shift+Left, Ctrl+Up
        {"\x1b[15~\x1b[1;"sv, false, "", 6, false, false},       // F5, then a sequence under way
        {"\x1b[1;2Q\x1b[200~r"sv, true, "", 0, false, false},    // Shift+F2, a paste; r restarts
        // Q and R as keys, alone or after a lone ESC; R only once the game is over.
        {"r\x1bR"sv, false, "", 0, false, false},
        {"\x1bR"sv, true, "", 0, false, false},
        {"\x1bq"sv, false, "", 0, true, false},
        {"Rw"sv, true, "U", 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        GameApp app;
        app.game.reset(40, 20);
        app.game.gameOver = c.overBefore;
        for (const char b : c.bytes)
            app.handleKey(static_cast<uint8_t>(b));
        EXPECT_EQ(queued(app.game), c.turns);
        EXPECT_EQ(app.keyState, c.keyState);
        EXPECT_EQ(app.quitRequested, c.quit);
        EXPECT_EQ(app.game.gameOver, c.overAfter);
    }
}

// The fuzzer's rules over seeded random streams of the bytes keys are made
// of, so sequences form, break off and restart the game.
TEST(KeyDecoder, RandomKeyStreamsKeepTheRules) {
    constexpr std::string_view kBytes = "\x00\xe0\x1b[OHPKMABCDwasdWASDrR;1x"sv;
    std::mt19937 rng(2026);
    std::vector<uint8_t> stream(300);
    for (int run = 0; run < 200; ++run) {
        for (uint8_t& b : stream)
            b = static_cast<uint8_t>(kBytes[rng() % kBytes.size()]);
        ASSERT_STREQ(playKeyStream(stream.data(), stream.size()), "") << run;
    }
}

}  // namespace
