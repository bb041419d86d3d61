#include "app/game_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>

#include "fake_console.h"

namespace {

using console::WindowSize;
constexpr int64_t kMs = 1'000'000;  // in nanoseconds

long framesWritten() {
    const auto& calls = fakeConsole().calls;
    return std::count(calls.begin(), calls.end(), "flush");
}

TEST(PollTerminalSizeTest, ConsoleSizeGivesCellsRowsBoardAndPause) {
    // The console size; then cells, rows, board height and paused.
    using Case = std::tuple<std::optional<WindowSize>, int32_t, int32_t, int32_t, bool>;
    for (const auto& [size, cols, rows, boardHeight, paused] :
         {Case{WindowSize{81, 25}, 40, 25, 24, false}, Case{WindowSize{20, 10}, 10, 10, 9, false},
          Case{WindowSize{19, 10}, 9, 10, 9, true}, Case{WindowSize{20, 9}, 10, 9, 8, true},
          Case{std::nullopt, 40, 24, 23, false}, Case{WindowSize{1, 1}, 0, 1, 0, true}}) {
        resetFakeConsole();
        fakeConsole().size = size;
        GameApp app;
        app.fullRedraw = false;
        EXPECT_TRUE(app.pollTerminalSize());
        EXPECT_EQ(std::tuple(app.termCols, app.termRows, app.game.width, app.game.height),
                  std::tuple(cols, rows, cols, boardHeight));
        EXPECT_EQ(app.paused, paused) << cols << "x" << rows;
        EXPECT_TRUE(app.started && app.fullRedraw);
        EXPECT_FALSE(app.pollTerminalSize());
    }
}

TEST(PollTerminalSizeTest, NothingStartsOnAnEmptyConsoleAndResizingNeverResets) {
    resetFakeConsole();
    fakeConsole().size = WindowSize{1, 0};
    GameApp app;
    EXPECT_FALSE(app.pollTerminalSize());
    EXPECT_FALSE(app.started || app.paused);
    fakeConsole().size = WindowSize{81, 25};
    EXPECT_TRUE(app.pollTerminalSize());
    app.game.score = 7;  // a reset would clear it
    for (const WindowSize size : {WindowSize{60, 20}, WindowSize{81, 25}}) {
        fakeConsole().size = size;
        EXPECT_TRUE(app.pollTerminalSize());
    }
    EXPECT_EQ(app.game.score, 7);
    EXPECT_EQ(app.game.height, 24);
}

// A started game on the fallback console, its first frame drawn, at time 0.
struct RunPassTest : ::testing::Test {
    GameApp app;
    TickSchedule schedule;

    void SetUp() override {
        resetFakeConsole();
        app.pollTerminalSize();
        app.render();
        app.game.hasFood = false;  // the snake neither eats nor grows
        resetFakeConsole();
    }
    Cell head() const { return app.game.body.front(); }
    void pass(int64_t nowNs) {
        fakeConsole().nowNs = nowNs;
        app.runPass(schedule);
    }
};

TEST_F(RunPassTest, DueTicksRunBackToBackThenOneFrame) {
    const Cell start = head();
    pass(250 * kMs);
    EXPECT_EQ(head(), (Cell{start.x + 2, start.y}));
    EXPECT_EQ(schedule.tickAccumulatorMs, 50);
    pass(299 * kMs);  // nothing due, nothing drawn
    EXPECT_EQ(framesWritten(), 1);
}

TEST_F(RunPassTest, ResizeDrawsInFullAndPausedTicksRedrawWithoutStepping) {
    fakeConsole().size = WindowSize{80, 9};  // the snake fits the lower board whole
    pass(1 * kMs);
    EXPECT_TRUE(fakeConsole().output.starts_with("\x1b[H\x1b[1;1H\x1b[40m"));
    const Cell start = head();
    pass(100 * kMs);
    pass(200 * kMs);
    EXPECT_EQ(head(), start);
    EXPECT_EQ(framesWritten(), 3);
}

TEST_F(RunPassTest, SubMillisecondRemaindersAreCarried) {
    app.paused = true;  // every due tick still draws a frame
    for (int64_t n = 1; n <= 1000; ++n)
        pass(n * 2'900'000);
    EXPECT_EQ(framesWritten(), 29);
}

TEST_F(RunPassTest, KeysDrainUntilAFailedReadAndPastTheQuitKeyThenTicksRun) {
    const Cell start = head();
    fakeConsole().keys = {-1, 's', 'q', 'd'};
    pass(0);
    EXPECT_EQ(fakeConsole().keys.size(), 3u);  // left for the next pass
    pass(100 * kMs);
    EXPECT_TRUE(app.quitRequested);
    EXPECT_EQ(head(), (Cell{start.x, start.y + 1}));  // the tick took 's'
    EXPECT_EQ(app.game.directionQueue, std::deque<Direction>{Direction::Right});
}

TEST_F(RunPassTest, AQuitEventFromTheConsoleEndsTheGame) {
    fakeConsole().quitEvent = true;
    pass(0);
    EXPECT_TRUE(app.quitRequested);
}

}  // namespace
