// The board rules at every size, and what a session reaches only by chance:
// the bounded draw's rejections, and the draws of a food placement that gives
// up on a board larger than 4 x 4. Engines are seeded by hand so every draw is
// known.
#include <gtest/gtest.h>

#include <string>

#include "game/snake_game.h"

namespace {

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
    struct Case {
        uint32_t bound, seed, value, draws;
    };
    for (const Case c : {Case{1, 5, 0, 1}, Case{0x7FFFFFFF, 1, 895547922, 1},
                         Case{0x40000001, 10, 320792351, 2}}) {
        std::mt19937 rng(c.seed);
        EXPECT_EQ(boundedDraw(rng, c.bound), c.value) << c.bound;
        EXPECT_EQ(rng, engineAfter(c.seed, c.draws)) << c.bound;
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

// A new game on BOARD with TURNS queued, resized to RESIZED (and BACK to
// BOARD), then STEPS moves: where the head is ({-1, -1}: no snake), whether
// the game is over and a food lies on the board. The snake starts in the
// middle heading right, its tail folded onto column 0 where the board is narrow.
TEST(Board, EdgesWrapAndEverySizeKeepsTheSnakeOnIt) {
    struct Row {
        Cell board;
        const char* turns;
        Cell resized;  // {0, 0}: not resized
        bool back;
        int steps;
        Cell head;
        bool over, food;
    } rows[] = {
        {{10, 9}, "", {}, false, 5, {0, 4}, false, true},   // out by the right edge, in by the left
        {{10, 9}, "U", {}, false, 5, {5, 8}, false, true},  // the top edge
        {{10, 9}, "D", {}, false, 5, {5, 0}, false, true},  // the bottom edge
        {{10, 9}, "UL", {}, false, 7, {9, 3}, false, true},  // the left edge
        {{1, 1}, "", {}, false, 0, {0, 0}, false, false},  // four segments on one cell, no room to
                                                           // eat
        {{1, 1}, "", {}, false, 1, {0, 0}, true, false},   // the first move runs into them
        {{3, 9}, "", {}, false, 1, {2, 4}, false, true},   // the folded tail moves out of the way
        {{20, 0}, "", {}, false, 1, {-1, -1}, false, false},      // no rows: no snake, no food
        {{20, 11}, "", {20, 3}, false, 0, {10, 2}, false, true},  // onto the last row, not folded
        {{20, 11}, "", {4, 11}, false, 0, {3, 5}, true, true},    // folded onto its head; the food
                                                                  // moved
        {{1, 1}, "", {3, 9}, false, 0, {0, 0}, true, true},       // already folded, now it counts
        {{20, 11}, "U", {20, 0}, true, 1, {11, 5}, false, true},  // anew, heading right, none
                                                                  // queued
    };
    for (const Row& r : rows) {
        SnakeGame g;
        g.rng.seed(5);
        g.reset(r.board.x, r.board.y);
        for (const char* t = r.turns; *t; ++t)
            g.directionQueue.push_back(*t == 'U'   ? Direction::Up
                                       : *t == 'D' ? Direction::Down
                                                   : Direction::Left);
        if (r.resized.x > 0) g.resize(r.resized.x, r.resized.y);
        if (r.back) g.resize(r.board.x, r.board.y);
        for (int i = 0; i < r.steps; ++i)
            g.step();
        const std::string row =
            std::to_string(r.board.x) + "x" + std::to_string(r.board.y) + r.turns;
        EXPECT_EQ((g.body.empty() ? Cell{-1, -1} : g.body.front()), r.head) << row;
        EXPECT_EQ(g.gameOver, r.over) << row;
        EXPECT_EQ(g.hasFood && g.onBoard(g.food), r.food) << row;
    }
}

}  // namespace
