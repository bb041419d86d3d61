// Tests of the game model: the starting layout, resize, the bounded draw, food
// placement and one tick. Engines are seeded by hand so every draw is known.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "game/snake_game.h"

static void PrintTo(const Cell& c, std::ostream* os) { *os << '(' << c.x << ", " << c.y << ')'; }

namespace {

using enum Direction;
using Body = std::deque<Cell>;
using Queue = std::deque<Direction>;
const Body kStart{{20, 10}, {19, 10}, {18, 10}, {17, 10}};  // the snake of a 40 x 20 board

// The engine after `draws` outputs of `seed`: comparing with it proves how many
// draws a call took.
std::mt19937 engineAfter(uint32_t seed, unsigned long long draws) {
    std::mt19937 e(seed);
    e.discard(draws);
    return e;
}

}  // namespace

TEST(SnakeGameReset, LaysOutTheStartingSnakeByWidthAndClearsTheOldGame) {
    // Width, height, the head-first x of every segment; all lie on row height / 2.
    const std::tuple<int32_t, int32_t, std::vector<int32_t>> cases[] = {
        {1, 1, {0, 0, 0, 0}}, {3, 9, {1, 0, 0, 0}},       {5, 2, {2, 1, 0, 0}},
        {6, 3, {3, 2, 1, 0}}, {40, 20, {20, 19, 18, 17}}, {-5, 7, {}},
        {4, 0, {}},
    };
    for (const auto& [w, h, xs] : cases) {
        SnakeGame g;
        g.gameOver = g.hasFood = true;
        g.score = 7;
        g.direction = Left;
        g.directionQueue = {Up};
        g.reset(w, h);
        Body want;
        for (int32_t x : xs)
            want.push_back({x, h / 2});
        EXPECT_EQ(g.body, want) << w << " x " << h;
        EXPECT_EQ(g.hasFood, w * h > 1);  // the snake covers a 1 x 1 board
        EXPECT_TRUE(!g.gameOver && g.score == 0 && g.direction == Right &&
                    g.directionQueue.empty());
    }
}

TEST(SnakeGameResize, ClampsTheSnakeAndPlacesTheFoodAnewOnlyWhenItLeftTheBoard) {
    // Width, height, body afterwards, game over before and after, food (30, 5) kept.
    const std::tuple<int32_t, int32_t, Body, bool, bool, bool> cases[] = {
        {15, 20, {{14, 10}, {14, 10}, {14, 10}, {14, 10}}, false, true, false},
        {19, 20, {{18, 10}, {18, 10}, {18, 10}, {17, 10}}, false, true, false},
        {40, 5, {{20, 4}, {19, 4}, {18, 4}, {17, 4}}, false, false, false},
        {30, 20, kStart, false, false, false},
        {31, 20, kStart, false, false, true},
        {60, 30, kStart, true, true, true},
    };
    for (const auto& [w, h, body, wasOver, over, foodKept] : cases) {
        SnakeGame g;
        g.reset(40, 20);
        g.food = {30, 5};
        g.hasFood = true;
        g.gameOver = wasOver;
        const std::mt19937 before = g.rng;
        g.resize(w, h);
        EXPECT_EQ(g.body, body) << w << " x " << h;
        EXPECT_EQ(g.gameOver, over) << w << " x " << h;
        EXPECT_TRUE(g.hasFood && (g.food == Cell{30, 5}) == foodKept &&
                    (g.rng == before) == foodKept);
    }
}

TEST(SnakeGameResize, FreshSnakeAfterABoardWithoutSizeKeepsScoreAndDirection) {
    SnakeGame g;
    g.reset(40, 20);
    g.score = 99;
    g.direction = Left;
    g.resize(0, 20);
    EXPECT_TRUE(g.body.empty() && !g.hasFood);
    g.resize(40, 20);
    EXPECT_TRUE(g.body == kStart && g.hasFood && g.score == 99);
    g.step();  // the kept direction runs the fresh head into its neck
    EXPECT_TRUE(g.gameOver);
}

TEST(BoundedDraw, TakesTheHighBitsOfTheProductAndDrawsAgainOnlyOnRejection) {
    // Bound, seed, draws. 0x7FFFFFFF with seed 1: low bits below the bound but
    // not below 2^32 mod n = 2, accepted. 0x40000001 with seed 10: low bits
    // below n - 4, rejected, and the second draw decides.
    const std::tuple<uint32_t, uint32_t, unsigned> cases[] = {
        {1, 5, 1}, {0x7FFFFFFF, 1, 1}, {0x40000001, 10, 2}};
    for (const auto& [n, seed, draws] : cases) {
        std::mt19937 rng(seed);
        const uint32_t got = boundedDraw(rng, n);
        std::mt19937 ref = engineAfter(seed, draws - 1);
        EXPECT_EQ(got, (uint64_t{ref()} * n) >> 32) << n;
        EXPECT_EQ(rng, ref) << n;
    }
}

TEST(PlaceFood, FailedPlacementMakesLimitAttemptsOfTwoDrawsAndKeepsTheOldFood) {
    const auto all = [](int32_t w, int32_t h) {
        Body b;
        for (int32_t i = 0; i < w * h; ++i)
            b.push_back({i % w, i / w});
        return b;
    };
    const std::tuple<int32_t, int32_t, Body, unsigned> cases[] = {
        {1, 1, all(1, 1), 64}, {4, 4, all(4, 4), 64},
        {3, 5, all(3, 5), 64}, {10, 10, all(10, 10), 400},
        {0, 5, {{0, 0}}, 0},   {5, 0, {{0, 0}}, 0},
        {5, 5, {}, 0}};
    for (const auto& [w, h, body, draws] : cases) {
        SnakeGame g;
        g.width = w;
        g.height = h;
        g.body = body;
        g.rng.seed(2);
        g.food = {7, 7};
        g.foodValue = 0x5A;
        g.hasFood = true;
        g.placeFood();
        EXPECT_TRUE(!g.hasFood && g.food == (Cell{7, 7}) && g.foodValue == 0x5A);
        EXPECT_EQ(g.rng, engineAfter(2, draws)) << w << " x " << h;
    }
}

TEST(PlaceFood, SeededFirstAttemptTakesXThenYThenTheValue) {
    SnakeGame g;
    g.reset(40, 20);
    g.rng.seed(1);  // its first two products have low bits >= the bound and miss the snake
    g.placeFood();
    std::mt19937 ref(1);
    EXPECT_EQ(g.food.x, (uint64_t{ref()} * 40) >> 32);
    EXPECT_EQ(g.food.y, (uint64_t{ref()} * 20) >> 32);
    EXPECT_EQ(g.foodValue, ref() >> 24);
    EXPECT_EQ(g.rng, ref);
}

TEST(SnakeGameStep, MovesTurnsWrapsAndCollides) {
    // Board, body before and after, direction, queued turns (one step each, at
    // least one step), game over.
    const std::tuple<int32_t, int32_t, Body, Body, Direction, Queue, bool> cases[] = {
        {5, 4, {{4, 1}}, {{0, 1}}, Right, {}, false},
        {5, 4, {{2, 0}}, {{2, 3}}, Up, {}, false},
        {5, 4, {{0, 2}}, {{4, 2}}, Left, {}, false},
        {5, 4, {{1, 3}}, {{1, 0}}, Down, {}, false},
        {9, 9, {{5, 5}, {4, 5}}, {{6, 5}, {5, 5}}, Right, {Left}, false},
        {9, 9, {{5, 5}, {4, 5}}, {{4, 4}, {5, 4}}, Right, {Up, Left}, false},
        {2, 2, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 1}, {0, 0}, {1, 0}, {1, 1}}, Down, {}, false},
        // Eats and collides at once; the step after game over takes no turn.
        {9, 9, {{5, 5}, {6, 5}}, {{6, 5}, {5, 5}, {6, 5}}, Right, {Right, Down}, true},
    };
    for (const auto& [w, h, body, want, d, queue, over] : cases) {
        SnakeGame g;
        g.width = w;
        g.height = h;
        g.body = body;
        g.direction = d;
        g.directionQueue = queue;
        g.rng.seed(1);
        // Only the case that ends the game has a food, on (6, 5): the others
        // show that a food that is not there is never eaten.
        g.food = {6, 5};
        g.hasFood = over;
        for (std::size_t i = 0; i < std::max<std::size_t>(queue.size(), 1); ++i)
            g.step();
        EXPECT_EQ(g.body, want);
        EXPECT_TRUE(g.gameOver == over && g.directionQueue.empty() == !over);
        EXPECT_TRUE(g.score == 0 && g.food == (Cell{6, 5}) && g.hasFood == over &&
                    g.rng == engineAfter(1, 0));
    }
}

TEST(SnakeGameStep, EatingGrowsScoresModulo65536AndPlacesANewFood) {
    SnakeGame g;
    g.reset(40, 20);
    g.food = {21, 10};
    g.foodValue = 0x20;
    g.score = 0xFFF0;
    g.step();
    EXPECT_EQ(g.body.size(), 5u);
    EXPECT_EQ(g.score, 0x0010);
    EXPECT_TRUE(g.hasFood && std::ranges::count(g.body, g.food) == 0);
}
