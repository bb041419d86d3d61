#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <tuple>

#include "app/game_app.h"
#include "fake_console.h"

namespace {

constexpr std::string_view kFood = "\x1b[5;11H\x1b[0m\x1b[100m\x1b[93m2A";  // 42 at (5, 3)
constexpr std::string_view kScoreCell = "\x1b[1;1H\x1b[0m\x1b[40m\x1b[36mSC";
const std::string kSnake =
    "\x1b[13;41H\x1b[102m  \x1b[13;39H\x1b[42m  \x1b[13;37H\x1b[42m  \x1b[13;35H\x1b[42m  ";

// True when every part occurs in s, each after the one before.
bool inOrder(const std::string& s, std::initializer_list<std::string_view> parts) {
    std::size_t at = 0;
    for (std::string_view p : parts) {
        if ((at = s.find(p, at)) == s.npos) return false;
        at += p.size();
    }
    return true;
}
bool has(const std::string& s, std::string_view part) { return inOrder(s, {part}); }

// A 40 x 23 board on the fallback 80 x 24 console, its first frame drawn.
struct RenderTest : ::testing::Test {
    GameApp app;
    std::string firstFrame;

    void SetUp() override {
        app.termCols = app.game.width = 40;
        app.termRows = 24;
        app.game.height = 23;
        app.game.body = {{20, 11}, {19, 11}, {18, 11}, {17, 11}};
        app.game.food = {5, 3};
        app.game.foodValue = 42;
        app.game.hasFood = true;
        firstFrame = frame();
    }
    std::string frame() {
        resetFakeConsole();
        app.render();
        return fakeConsole().output;
    }
};

TEST_F(RenderTest, FirstFrameClearsThenSnakeFoodAndStatusRow) {
    const std::string blankRow = "\x1b[40m" + std::string(80, ' ');
    EXPECT_TRUE(
        inOrder(firstFrame, {"\x1b[H\x1b[1;1H" + blankRow, "\x1b[24;1H" + blankRow, kSnake, kFood,
                             "\x1b[1;79H\x1b[40m  ", "\x1b[1;23H\x1b[0m\x1b[40m\x1b[34mZI",
                             kScoreCell, "\x1b[1;13H\x1b[0m\x1b[40m\x1b[36m0 \x1b[0m"}));
}

TEST_F(RenderTest, UnchangedFrameIsFoodAndSnakeInOneWriteAndFlush) {
    const std::string expected = "\x1b[H" + std::string(kFood) + kSnake + "\x1b[0m";
    const char* storage = app.frameBuffer.data();  // kept from the larger first frame
    EXPECT_EQ(frame(), expected);
    EXPECT_EQ(fakeConsole().calls, (std::vector<std::string>{"write:" + expected, "flush"}));
    EXPECT_EQ(app.frameBuffer.data(), storage);
}

TEST_F(RenderTest, AStepErasesTheVacatedTailOnly) {
    app.game.body = {{21, 11}, {20, 11}, {19, 11}, {18, 11}, {17, 23}};  // last: off the board
    EXPECT_EQ(frame(), "\x1b[H\x1b[13;35H\x1b[40m  " + std::string(kFood) +
                           "\x1b[13;43H\x1b[102m  \x1b[13;41H\x1b[42m  \x1b[13;39H\x1b[42m  "
                           "\x1b[13;37H\x1b[42m  \x1b[0m");
    app.game.body.pop_back();
    EXPECT_FALSE(has(frame(), "\x1b[25;35H"));
}

TEST_F(RenderTest, OldFoodIsErasedUnlessUnchangedOrCovered) {
    // The new food, its value, whether there is one, the head on the old food, old food erased.
    using Case = std::tuple<Cell, int, bool, bool, bool>;
    for (const auto& [food, value, hasFood, headOnOldFood, erased] :
         {Case{{5, 3}, 42, true, false, false}, Case{{5, 3}, 10, true, false, true},
          Case{{6, 3}, 42, true, false, true}, Case{{6, 3}, 42, true, true, false},
          Case{{5, 3}, 42, false, false, true}, Case{{5, 3}, 42, false, true, false}}) {
        SetUp();
        app.game.food = food;
        app.game.foodValue = static_cast<uint8_t>(value);
        app.game.hasFood = hasFood;
        if (headOnOldFood) app.game.body.push_front({5, 3});
        const std::string out = frame();
        EXPECT_EQ(has(out, "\x1b[5;11H\x1b[40m  "), erased) << food.x << " " << value;
        EXPECT_EQ(inOrder(out, {"\x1b[100m\x1b[93m", "\x1b[102m"}), hasFood);  // under the snake
        EXPECT_EQ(has(out, "\x1b[5;11H\x1b[0m\x1b[100m\x1b[93m0A"), value == 10);
    }
}

TEST_F(RenderTest, StatusRowRedrawnOnlyWhenItsContentChanges) {
    EXPECT_FALSE(has(frame(), kScoreCell));
    app.game.score = 0xABCD;
    EXPECT_TRUE(inOrder(frame(), {kScoreCell, "\x1b[36mxA", "\x1b[36mBC", "\x1b[36mD "}));
    EXPECT_FALSE(has(frame(), kScoreCell));
    app.game.gameOver = true;
    EXPECT_TRUE(has(frame(), kScoreCell));
    app.paused = true;
    EXPECT_TRUE(has(frame(), kScoreCell));
    app.hudValid = false;
    EXPECT_TRUE(has(frame(), kScoreCell));
}

TEST_F(RenderTest, GameOverOnTheLastRowsAndPauseMessageAlone) {
    app.game.gameOver = true;
    for (auto [rows, quitAt, restartAt] : {std::tuple{24, "\x1b[23;33H", "\x1b[24;31H"},
                                           std::tuple{2, "\x1b[3;33H", "\x1b[2;31H"}}) {
        app.termRows = rows;
        app.fullRedraw = true;
        const std::string out = frame();
        EXPECT_TRUE(has(out, "\x1b[1;35H\x1b[0m\x1b[40m\x1b[31m G"));
        EXPECT_TRUE(has(out, std::string(quitAt) + "\x1b[0m\x1b[40m\x1b[93mPR")) << rows;
        EXPECT_TRUE(has(out, std::string(restartAt) + "\x1b[0m\x1b[40m\x1b[93m P")) << rows;
    }
    app.paused = true;
    const std::string out = frame();
    EXPECT_TRUE(has(out, "\x1b[1;29H\x1b[0m\x1b[40m\x1b[93mPA"));
    EXPECT_FALSE(has(out, "\x1b[31m") || has(out, "\x1b[93mPR") || has(out, "\x1b[93m P"));
}

}  // namespace
