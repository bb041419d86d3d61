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
    struct Row {
        console::WindowSize console;
        int32_t width, height;
        bool paused;
    } rows[] = {{{81, 25}, 40, 24, false}, {{20, 10}, 10, 9, false}, {{19, 10}, 9, 9, true},
                {{20, 9}, 10, 8, true},    {{3, 12}, 1, 11, true},   {{1, 1}, 0, 0, true}};
    for (const Row& r : rows) {
        fakeConsole() = {};
        fakeConsole().size = r.console;
        GameApp app;
        app.pollTerminalSize();
        const std::string size =
            std::to_string(r.console.cols) + "x" + std::to_string(r.console.rows);
        EXPECT_EQ(app.game.width, r.width) << size;
        EXPECT_EQ(app.game.height, r.height) << size;
        EXPECT_EQ(app.paused, r.paused) << size;
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
