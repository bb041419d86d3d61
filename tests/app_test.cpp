// What a scripted session cannot show: time spent inside a pass, a window of
// absurd size, the program's exits without a terminal or by an exception, and
// the key decoder's rules over many random key streams.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "app/game_app.h"
#include "app/run_game.h"
#include "fake_console.h"
#include "fuzz/key_stream.h"

namespace {

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
    const std::string& out = fakeConsole().transcript;
    EXPECT_NE(out.find(std::string("\\e[1000;1H\\e[40m").append(2000, ' ').append("\\e[")),
              out.npos);
    EXPECT_EQ(out.find("\\e[1001;"), out.npos);
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
        EXPECT_EQ(fakeConsole().transcript.empty(), !keyboard);  // nothing written
        EXPECT_EQ(fakeConsole().transcript.ends_with("restore-input\n"), keyboard);
    }
}

// The fuzzer's rules over seeded streams of the bytes keys are made of, so
// sequences form, break off and restart the game.
TEST(HandleKey, RandomKeyStreamsKeepTheRules) {
    constexpr std::string_view kBytes{"\x00\xe0\x1b[OHPKMABCDwasdWASDrR;1x", 26};
    std::mt19937 rng(2026);
    std::vector<uint8_t> stream(300);
    for (int run = 0; run < 200; ++run) {
        for (uint8_t& b : stream)
            b = static_cast<uint8_t>(kBytes[rng() % kBytes.size()]);
        ASSERT_STREQ(playKeyStream(stream.data(), stream.size()), "") << run;
    }
}

}  // namespace
