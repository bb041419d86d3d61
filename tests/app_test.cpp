// What a scripted session cannot set up cheaply: a frame in which nothing has
// changed on a full-size board, time spent inside a pass, a window of absurd
// size, and the program's exits without a terminal or by an exception.
#include <gtest/gtest.h>

#include "app/game_app.h"
#include "app/run_game.h"
#include "fake_console.h"

namespace {

constexpr std::string_view kRestore =
    "\x1b[0m\x1b[?7h\x1b[?1049l\x1b[?25h\x1b[?1015l\x1b[?1006l\x1b[?1003l\x1b[?1002l\x1b[?1000l";

TEST(Render, AnUnchangedFrameIsTheFoodThenEverySegmentInOneWrite) {
    resetFakeConsole();
    GameApp app;
    app.termCols = app.game.width = 40;
    app.termRows = 24;
    app.game.height = 23;
    app.game.body = {{20, 11}, {19, 11}, {18, 11}, {17, 11}};
    app.game.recount();
    app.game.food = {5, 3};
    app.game.foodValue = 42;
    app.game.hasFood = true;
    app.render();
    const char* storage = app.frameBuffer.data();  // kept from the larger first frame
    resetFakeConsole();
    app.render();
    EXPECT_EQ(fakeConsole().transcript,
              "       0 write \\e[H\\e[5;11H\\e[0m\\e[100m\\e[93m2A\\e[13;41H\\e[102m  "
              "\\e[13;39H\\e[42m  \\e[13;37H\\e[42m  \\e[13;35H\\e[42m  \\e[0m\n"
              "       0 flush\n");
    EXPECT_EQ(app.frameBuffer.data(), storage);
}

TEST(RunPass, TheClockIsReadAfterTheKeys) {
    resetFakeConsole();
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

TEST(PollTerminalSize, AWindowOfAbsurdSizeIsCapped) {
    resetFakeConsole();
    fakeConsole().size = console::WindowSize{30000, 30000};
    GameApp app;
    app.pollTerminalSize();
    EXPECT_EQ(app.termCols, 1000);
    EXPECT_EQ(app.termRows, 1000);
    app.render();
    const std::string& out = fakeConsole().output;
    const std::string lastRow =
        std::string("\x1b[1000;1H\x1b[40m").append(2000, ' ').append("\x1b[");
    EXPECT_NE(out.find(lastRow), out.npos);
    EXPECT_EQ(out.find("\x1b[1001;"), out.npos);
}

TEST(RunGame, WithoutATerminalOrAfterAnErrorTheStatusIs1AndTheConsoleIsAsFound) {
    for (const bool keyboard : {false, true}) {
        resetFakeConsole();
        fakeConsole().noKeyboard = !keyboard;
        fakeConsole().throwOnWindowSize = true;  // in the first size poll
        testing::internal::CaptureStderr();
        EXPECT_EQ(runGame(), 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  keyboard ? "zintarapolke: window size\n"
                           : "zintarapolke: no terminal to read keys from\n");
        EXPECT_TRUE(keyboard ? fakeConsole().output.ends_with(kRestore)
                             : fakeConsole().transcript.empty());
    }
}

}  // namespace
