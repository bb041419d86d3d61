// The unit tests. GameApp on the fake console: golden sessions, and what they
// cannot show (a window of absurd size, whose frame would be a golden file of
// 2 MB, the program's exits without a terminal or by an exception, and the
// bytes real terminals send for each key); the Windows console's mode
// arithmetic, checked on every platform; and SnakeGame alone (last).
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/game_app.h"
#include "app/run_game.h"
#include "console/console_modes.h"
#include "fake_console.h"
#include "fuzz/key_stream.h"
#include "game/key_decoder.h"
#include "game/snake_game.h"

namespace {

// The contents of each file in DIR named *EXTENSION, by the name without it.
std::map<std::string, std::string> readFiles(const std::filesystem::path& dir,
                                             std::string_view extension) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != extension) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().stem().string()] = {std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

// Each tests/golden/NAME.session is a short script (see playSession) played
// through the real GameApp, and everything the program does to the console
// (set-up, every frame, restore) must match NAME.golden byte for byte. `make
// golden` rewrites the golden files; a changed golden file is a change of
// behaviour, to be read in the diff.
TEST(GoldenSession, EachMatchesItsGoldenFile) {
    const std::filesystem::path dir = ZINTARAPOLKE_GOLDEN_DIR;
    auto goldens = readFiles(dir, ".golden");
    const auto sessions = readFiles(dir, ".session");
    for (const auto& [name, script] : sessions) {
        const std::string actual = playSession(script);
        if (std::getenv("ZINTARAPOLKE_UPDATE_GOLDEN") != nullptr)
            std::ofstream(dir / (name + ".golden"), std::ios::binary) << actual;
        EXPECT_EQ(goldens[name], actual) << "`make golden` rewrites " << name << ".golden";
    }
    EXPECT_GE(sessions.size(), 6u);
}

// Console sizes and the boards they give: the odd last column unused, one
// status row above the board, and a pause below 10 cells by 10 rows. A
// window of absurd size (a pty can be told 30000 x 30000) counts as 2000 x
// 1000, its board and its frame alike: a frame of 2 MB, not 900.
TEST(PollTerminalSize, TheBoardFollowsTheConsole) {
    for (const auto& [console, board] : {std::pair{console::WindowSize{81, 25}, "40x24"},
                                         {{20, 10}, "10x9"},
                                         {{19, 10}, "9x9 paused"},
                                         {{20, 9}, "10x8 paused"},
                                         {{3, 12}, "1x11 paused"},
                                         {{1, 1}, "0x0 paused"},
                                         {{30000, 30000}, "1000x999"}}) {
        fakeConsole() = {.size = console};
        GameApp app;
        app.pollTerminalSize();
        app.render();
        EXPECT_EQ(std::to_string(app.game.width) + "x" + std::to_string(app.game.height) +
                      (app.paused ? " paused" : ""),
                  board)
            << console.cols << "x" << console.rows;
        EXPECT_LT(app.frameBuffer.size(), 2'100'000u);
    }
}

TEST(RunGame, WithoutATerminalOrAfterAnErrorTheStatusIs1AndTheConsoleIsAsFound) {
    for (const bool keyboard : {false, true}) {
        // Without a keyboard nothing is written; else the first size poll throws.
        fakeConsole() = {.noKeyboard = !keyboard, .throwOnWindowSize = true};
        testing::internal::CaptureStderr();
        EXPECT_EQ(runGame(), 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  keyboard ? "zintarapolke: window size\n"
                           : "zintarapolke: no terminal to read keys from\n");
        EXPECT_EQ(fakeConsole().transcript.empty(), !keyboard);
        EXPECT_EQ(fakeConsole().transcript.ends_with("restore-input\n"), keyboard);
    }
}

// Each bit the game does not own passes through the set-up and the restore
// unchanged. Found input modes: nothing set (the extended flags stay set
// after the restore); a fresh console's (processed, line, echo, mouse,
// insert, quick edit, extended, auto position); everything set.
TEST(ConsoleModes, InputModesChangeOnlyTheirOwnBitsAndTheWindowIsInclusive) {
    using namespace console_modes;
    for (const auto& [found, game, restored] : {std::tuple{0x0000u, 0x0298u, 0x0087u},
                                                {0x01F7u, 0x03F9u, 0x01E7u},
                                                {0xFFFFFFFFu, 0xFFFFFFF9u, 0xFFFFFDE7u}}) {
        EXPECT_EQ(gameInputMode(found), game);
        EXPECT_EQ(restoredInputMode(game), restored);
    }
    EXPECT_EQ(virtualTerminalOutputMode(0x0003), 0x0007u);  // other output bits kept
    EXPECT_EQ(windowFromRect(0, 275, 119, 304).cols, 120);
    EXPECT_EQ(windowFromRect(-32768, -32768, 32767, 32767).rows, 65536);  // no 16-bit overflow
}

// The bytes real terminals send, through GameApp::handleKey: what each key
// does. Recorded from each terminal's own keys: xterm, st, mlterm, kitty,
// alacritty and the VTE terminals; konsole and qterminal; urxvt; the Linux
// console; and the Windows console's key codes. A key that must do nothing is
// also sent while the snake heads across the way it would wrongly turn, so a
// leaked byte shows as a turn.

using namespace std::literals;

// What BYTES did to a 20 x 11 game heading HEADING: the turns queued (U D L
// R), "quit", "restart".
std::string play(std::string_view bytes, Direction heading, bool gameOver = false) {
    GameApp app;
    app.game.reset(20, 11);
    app.game.direction = heading;
    app.game.gameOver = gameOver;
    for (const char c : bytes)
        app.handleKey(static_cast<uint8_t>(c));
    std::string did;
    for (const Direction d : app.game.directionQueue)
        did += "UDLR"[static_cast<int>(d)];
    if (app.quitRequested) did += "quit";
    if (gameOver && !app.game.gameOver) did += "restart";
    EXPECT_EQ(app.keyState, key_state::kIdle) << "a sequence left unfinished";
    return did;
}

// Each row: an action, what it shows heading up, heading left, and heading
// right once the game is over (a turn the way the snake heads, or back, is
// dropped), and the bytes of the keys that must do it.
struct KeyRow {
    const char* does;
    std::array<const char*, 3> shows;
    std::vector<std::string_view> bytes;
};

const KeyRow kKeys[] = {
    // Every terminal's arrows (the keypad's too), also in application cursor
    // mode; urxvt's Alt+Up, an Escape before the key, steers; the Windows
    // console's key codes after either prefix; letters in either case; a
    // bracketed paste of d. A turn repeated, or turned back, is dropped.
    {"up",
     {"", "U", "U"},
     {"\033[A", "\033OA", "\033\033[A", "\0H"sv, "\xE0H", "W", "w", "ww", "ws"}},
    {"down", {"", "D", "D"}, {"\033[B", "\033OB", "\0P"sv, "\xE0P", "S", "s"}},
    {"right",
     {"R", "", ""},
     {"\033[C", "\033OC", "\0M"sv, "\xE0M", "D", "d", "\033[200~d\033[201~"}},
    {"left", {"L", "", ""}, {"\033[D", "\033OD", "\0K"sv, "\xE0K", "A", "a"}},
    // Of four turns three wait.
    {"up, left, up, right", {"LUR", "ULU", "ULU"}, {"wawd"}},
    // Esc then Q or R.
    {"quit", {"quit", "quit", "quit"}, {"Q", "q", "\033q"}},
    {"restart", {"", "", "restart"}, {"R", "r", "\033R"}},
    {"nothing",
     {"", "", ""},
     {// xterm, st, mlterm, kitty, alacritty, VTE, konsole, qterminal: Shift+,
      // Ctrl+ and Alt+Up, Home, End, F1, F2; st's End, the Linux console's too.
      "\033[1;2A", "\033[1;5A", "\033[1;3A", "\033[H", "\033[F", "\033OP", "\033OQ", "\033[4~",
      // urxvt: Shift+ and Ctrl+Up, Home, End, F1.
      "\033[a", "\033Oa", "\033[7~", "\033[8~", "\033[11~",
      // The Linux console: Home, F1, F5 (Shift+, Ctrl+ and Alt+Up send the
      // plain arrow).
      "\033[1~", "\033[[A", "\033[15~",
      // The Windows console: Page Down, Insert, a scan code q.
      "\xE0Q", "\xE0R", "\0q"sv,
      // Esc then another key; reports a terminal of xterm's kin may send
      // unasked: its attributes, an SGR mouse click, the cursor, the cursor
      // with its page; a cursor style with its intermediate space, passed on.
      "\033w", "\033[?64;1;2c", "\033[<0;3;5M", "\033[12;40R", "\033[?12;40;1R", "\033[2 q"}},
};

TEST(HandleKey, EachTerminalsKeysDoWhatTheirRowSays) {
    for (const KeyRow& row : kKeys) {
        for (const std::string_view bytes : row.bytes) {
            const std::string where = std::string(row.does) + ": " + std::string(bytes);
            EXPECT_EQ(play(bytes, Direction::Up), row.shows[0]) << where;
            EXPECT_EQ(play(bytes, Direction::Left), row.shows[1]) << where;
            EXPECT_EQ(play(bytes, Direction::Right, true), row.shows[2]) << where;
        }
    }
}

// Key streams the fuzzer found (`make fuzz` starts from them): every rule it
// checks holds after each.
TEST(HandleKey, TheFuzzersSeedStreamsKeepEveryRule) {
    const auto streams = readFiles(ZINTARAPOLKE_CORPUS_DIR, "");
    for (const auto& [name, bytes] : streams) {
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        EXPECT_STREQ(playKeyStream(data, bytes.size()), "") << name;
    }
    EXPECT_GT(streams.size(), 50u);
}

// The board rules at every size, and what a session reaches only by chance:
// the bounded draw's rejections, and the draws of a food placement that gives
// up on a board larger than 4 x 4. Engines are seeded by hand so every draw is
// known.

// The engine after `draws` outputs of `seed`: comparing with it proves how
// many draws a call took.
std::mt19937 engineAfter(uint32_t seed, unsigned long long draws) {
    std::mt19937 e(seed);
    e.discard(draws);
    return e;
}

TEST(BoundedDraw, TakesTheHighBitsOfTheProductAndDrawsAgainOnlyOnRejection) {
    // 0x7FFFFFFF with seed 1: low bits below the bound but not below 2^32 mod n
    // = 2, accepted. 0x40000001 with seed 10: low bits below n - 4, rejected.
    for (const auto [bound, seed, value, draws] : {std::array<uint32_t, 4>{1, 5, 0, 1},
                                                   {0x7FFFFFFF, 1, 895547922, 1},
                                                   {0x40000001, 10, 320792351, 2}}) {
        std::mt19937 rng(seed);
        EXPECT_EQ(boundedDraw(rng, bound), value) << bound;
        EXPECT_EQ(rng, engineAfter(seed, draws)) << bound;
    }
}

// A board covered all over takes 2 w h attempts of two draws each, or 32
// attempts on a small one; a board without size takes none.
TEST(PlaceFood, GivingUpTakesTheAttemptLimitOfTwoDrawsEach) {
    for (const auto& [w, draws] : {std::pair{4, 64u}, {10, 400u}, {0, 0u}}) {
        SnakeGame g;
        g.width = g.height = w;
        for (int32_t i = 0; i < w * w; ++i)
            g.body.push_back({i % w, i / w});
        g.recount();
        g.rng.seed(2);
        g.placeFood();
        EXPECT_FALSE(g.hasFood);
        EXPECT_EQ(g.rng, engineAfter(2, draws)) << w;
    }
}

// A new game on BOARD (the snake in the middle heading right, its tail folded
// onto column 0 where the board is narrow) with TURNS queued, resized to each
// of RESIZES, then STEPS moves: where the head is, whether the game is over,
// and where the food lies, if one does. (Out by the right edge and in by the
// left: the golden stall_and_carry session.)
TEST(Board, EdgesWrapAndEverySizeKeepsTheSnakeOnIt) {
    using enum Direction;
    struct Row {
        Cell board;
        std::vector<Direction> turns;
        std::vector<Cell> resizes;
        int steps;
        const char* seen;
    } rows[] = {
        {{10, 9}, {Up}, {}, 5, "5,8 food 2,0"},        // the top edge
        {{10, 9}, {Down}, {}, 5, "5,0 food 2,0"},      // the bottom edge
        {{10, 9}, {Up, Left}, {}, 7, "9,3 food 2,0"},  // the left edge
        {{1, 1}, {}, {}, 0, "0,0"},       // four segments on one cell, no room for food
        {{1, 1}, {}, {}, 1, "0,0 over"},  // the first move runs into them
        {{1, 1}, {}, {{5, 9}}, 0, "0,0 over food 3,7"},     // still folded: now it counts
        {{3, 9}, {}, {}, 1, "2,4 food 0,0"},                // the folded tail moves out of the way
        {{20, 0}, {}, {}, 1, "none"},                       // no rows: no snake, no food
        {{20, 11}, {}, {{20, 3}}, 0, "10,2 food 4,0"},      // onto the last row, not folded
        {{20, 11}, {}, {{4, 11}}, 0, "3,5 over food 3,2"},  // folded onto its head
        {{20, 11}, {}, {{1, 1}}, 0, "0,0 over"},            // no room left for the food
        // Rows lost and back: a new snake, heading right with nothing queued.
        {{20, 11}, {Up}, {{20, 0}, {20, 11}}, 1, "11,5 food 16,2"},
    };
    for (const Row& r : rows) {
        SnakeGame g;
        g.rng.seed(5);
        g.reset(r.board.x, r.board.y);
        g.directionQueue.assign(r.turns.begin(), r.turns.end());
        for (const Cell size : r.resizes)
            g.resize(size.x, size.y);
        for (int i = 0; i < r.steps; ++i)
            g.step();
        const auto at = [](Cell c) { return std::to_string(c.x) + "," + std::to_string(c.y); };
        std::string seen = g.body.empty() ? "none" : at(g.body.front());
        if (g.gameOver) seen += " over";
        if (g.hasFood) seen += " food " + at(g.food);
        EXPECT_EQ(seen, r.seen) << r.board.x << "x" << r.board.y << " " << r.steps;
    }
}

}  // namespace
