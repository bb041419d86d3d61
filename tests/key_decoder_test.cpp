// Tests of key decoding through GameApp::handleKey: the byte sequences of every
// key, the turn queue and the restart after game over.
#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

#include <random>
#include <vector>

#include "app/game_app.h"
#include "fuzz/key_stream.h"

namespace {

using namespace std::string_view_literals;
using enum Direction;
using Queue = std::deque<Direction>;

void press(GameApp& app, std::string_view bytes) {
    for (char b : bytes)
        app.handleKey(static_cast<uint8_t>(b));
}

}  // namespace

// Each sequence goes to a game moving Right with nothing queued and a render
// cache that only a restart clears.
TEST(KeyDecoder, ByteSequences) {
    // Bytes, turns queued, keyState afterwards, quit requested, game over before.
    const std::tuple<std::string_view, Queue, int32_t, bool, bool> cases[] = {
        {"\x00qH"sv, {Up}, 0, true, false},  // the byte after a quit is still the scan code
        {"\x00H\x00K"sv, {Up, Left}, 0, false, false},
        {"\xe0P\xe0M"sv, {Down, Right}, 0, false, false},
        {"\xe0\xe0H"sv, {}, 0, false, false},   // a prefix after a prefix is a scan code
        {"\x00\x1b[A"sv, {}, 0, false, false},  // so is an escape byte
        {"\x1b[A\x1b[D"sv, {Up, Left}, 0, false, false},
        {"\x1b[B\x1b[C"sv, {Down, Right}, 0, false, false},
        {"\x1b\x1b[A"sv, {Up}, 0, false, false},
        {"w\x1b[\x1b[D"sv, {Up, Left}, 0, false, false},
        {"w\x1b[\x00K"sv, {Up, Left}, 0, false, false},
        {"\x1b[a"sv, {}, 0, false, false},
        {"\x1bw"sv, {}, 0, false, false},  // the w only ends the escape
        {"wA"sv, {Up, Left}, 0, false, false},
        {"Wa"sv, {Up, Left}, 0, false, false},
        {"sD"sv, {Down, Right}, 0, false, false},
        {"Sd"sv, {Down, Right}, 0, false, false},
        {"r"sv, {}, 0, false, false},
        {"\x1bR"sv, {}, 3, false, true},
        {"\xe0Rw"sv, {}, 0, false, true},  // the w is taken as a scan code
    };
    for (const auto& [bytes, queue, state, quit, over] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        GameApp app;
        app.game.reset(40, 20);
        app.game.gameOver = over;
        app.prevBody = {{3, 3}};
        app.prevFood = {4, 4};
        app.prevHasFood = app.hudValid = true;
        app.fullRedraw = false;
        press(app, bytes);
        EXPECT_TRUE(app.game.directionQueue == queue && app.keyState == state &&
                    app.quitRequested == quit);
        // A restart, exactly when the game was over, on the game's own board.
        EXPECT_TRUE(!app.game.gameOver && app.game.body.size() == 4u);
        EXPECT_EQ(app.prevBody.empty() && app.prevFood == (Cell{0, 0}) && !app.prevHasFood &&
                      app.fullRedraw && !app.hudValid,
                  over);
    }
}

TEST(KeyDecoder, QueueRefersToItsLastTurnAndHoldsAtMostThree) {
    GameApp app;
    app.game.reset(40, 20);
    press(app, "adwsd");  // a reverses Right, d repeats it, s reverses the queued Up
    EXPECT_EQ(app.game.directionQueue, (Queue{Up, Right}));
    press(app, "wd");
    EXPECT_EQ(app.game.directionQueue, (Queue{Up, Right, Up}));
    app.game.step();
    press(app, "d");
    EXPECT_EQ(app.game.directionQueue, (Queue{Right, Up, Right}));
}

// The fuzzer's rules over seeded random streams of the bytes keys are made
// of, so sequences form, break off and restart the game.
TEST(KeyDecoder, RandomKeyStreamsKeepTheRules) {
    constexpr std::string_view kBytes = "\x00\xe0\x1b[HPKMABCDwasdWASDrRx"sv;
    std::mt19937 rng(2026);
    std::vector<uint8_t> stream(300);
    for (int run = 0; run < 200; ++run) {
        for (uint8_t& b : stream)
            b = static_cast<uint8_t>(kBytes[rng() % kBytes.size()]);
        ASSERT_STREQ(playKeyStream(stream.data(), stream.size()), "") << run;
    }
}
