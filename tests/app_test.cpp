// GameApp on the fake console: golden sessions, and what they cannot show
// (time spent inside a pass, a window of absurd size, whose frame would be a
// golden file of 2 MB, and the program's exits without a terminal or by an
// exception); and the Windows console's mode arithmetic, checked on every
// platform.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <tuple>

#include "app/game_app.h"
#include "app/run_game.h"
#include "console/console_modes.h"
#include "fake_console.h"

namespace {

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
    EXPECT_GE(sessions.size(), 8u);
}

TEST(RunPass, TheClockIsReadAfterTheKeys) {
    // A tick falls due while the key is read.
    fakeConsole() = {.keys = {'w'}, .nowNs = 99'500'000, .readCostNs = 1'000'000};
    GameApp app;
    app.pollTerminalSize();
    TickSchedule schedule;
    const Cell head = app.game.body.front();
    app.runPass(schedule);
    EXPECT_EQ(app.game.body.front(), (Cell{head.x, head.y - 1}));
}

// Console sizes and the boards they give: the odd last column unused, one
// status row above the board, and a pause below 10 cells by 10 rows.
TEST(PollTerminalSize, TheBoardFollowsTheConsole) {
    for (const auto& [console, board] : {std::pair{console::WindowSize{81, 25}, "40x24"},
                                         {{20, 10}, "10x9"},
                                         {{19, 10}, "9x9 paused"},
                                         {{20, 9}, "10x8 paused"},
                                         {{3, 12}, "1x11 paused"},
                                         {{1, 1}, "0x0 paused"}}) {
        fakeConsole() = {.size = console};
        GameApp app;
        app.pollTerminalSize();
        EXPECT_EQ(std::to_string(app.game.width) + "x" + std::to_string(app.game.height) +
                      (app.paused ? " paused" : ""),
                  board)
            << console.cols << "x" << console.rows;
    }
}

TEST(PollTerminalSize, AWindowOfAbsurdSizeIsCappedAt2000By1000) {
    const std::string out = playSession("size 30000x30000\nkeys q");
    EXPECT_NE(out.find(std::string("\\e[1000;1H\\e[40m").append(2000, ' ').append("\\e[")),
              out.npos);
    EXPECT_EQ(out.find("\\e[1001;"), out.npos);
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

}  // namespace
