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
