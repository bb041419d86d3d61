// What a golden session cannot show: time spent inside a pass, a window of
// absurd size (its frame would be a golden file of 2 MB), and the program's
// exits without a terminal or by an exception.
#include <gtest/gtest.h>

#include "app/game_app.h"
#include "app/run_game.h"
#include "fake_console.h"

namespace {

TEST(RunPass, TheClockIsReadAfterTheKeys) {
    fakeConsole() = {};
    GameApp app;
    app.pollTerminalSize();
    TickSchedule schedule;
    fakeConsole().nowNs = 99'500'000;  // a tick falls due while the key is read
    fakeConsole().readCostNs = 1'000'000;
    fakeConsole().keys = {'w'};
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
        fakeConsole() = {};
        fakeConsole().size = console;
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
        fakeConsole() = {};
        fakeConsole().noKeyboard = !keyboard;
        fakeConsole().throwOnWindowSize = true;  // in the first size poll
        testing::internal::CaptureStderr();
        EXPECT_EQ(runGame(), 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  keyboard ? "zintarapolke: window size\n"
                           : "zintarapolke: no terminal to read keys from\n");
        EXPECT_EQ(fakeConsole().transcript.empty(), !keyboard);  // nothing written
        EXPECT_EQ(fakeConsole().transcript.ends_with("restore-input\n"), keyboard);
    }
}

}  // namespace
