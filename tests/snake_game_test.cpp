// The board rules at every size, and what a session reaches only by chance:
// the bounded draw's rejections, and the draws of a food placement that gives
// up on a board larger than 4 x 4. Engines are seeded by hand so every draw is
// known.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

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
    for (const auto [bound, seed, value, draws] : {std::array<uint32_t, 4>{1, 5, 0, 1},
                                                   {0x7FFFFFFF, 1, 895547922, 1},
                                                   {0x40000001, 10, 320792351, 2}}) {
        std::mt19937 rng(seed);
        EXPECT_EQ(boundedDraw(rng, bound), value) << bound;
        EXPECT_EQ(rng, engineAfter(seed, draws)) << bound;
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

// A new game on BOARD (the snake in the middle heading right, its tail folded
// onto column 0 where the board is narrow) with TURNS queued, resized to each
// of RESIZES, then STEPS moves: where the head is, whether the game is over,
// and where the food lies, if one does.
TEST(Board, EdgesWrapAndEverySizeKeepsTheSnakeOnIt) {
    using enum Direction;
    struct Row {
        Cell board;
        std::vector<Direction> turns;
        std::vector<Cell> resizes;
        int steps;
        const char* seen;
    } rows[] = {
        {{10, 9}, {}, {}, 5, "0,4 food 2,0"},          // out by the right edge, in by the left
        {{10, 9}, {Up}, {}, 5, "5,8 food 2,0"},        // the top edge
        {{10, 9}, {Down}, {}, 5, "5,0 food 2,0"},      // the bottom edge
        {{10, 9}, {Up, Left}, {}, 7, "9,3 food 2,0"},  // the left edge
        {{1, 1}, {}, {}, 0, "0,0"},       // four segments on one cell, no room for food
        {{1, 1}, {}, {}, 1, "0,0 over"},  // the first move runs into them
        {{1, 1}, {}, {{5, 9}}, 0, "0,0 over food 3,7"},     // still folded: now it counts
        {{3, 9}, {}, {}, 1, "2,4 food 0,0"},                // the folded tail moves out of the way
        {{20, 0}, {}, {}, 1, "none"},                       // no rows: no snake, no food
        {{20, 11}, {}, {{20, 3}}, 0, "10,2 food 4,0"},      // onto the last row, not folded
        {{20, 11}, {}, {{4, 11}}, 0, "3,5 over food 3,2"},  // folded onto its head
        {{20, 11}, {}, {{1, 1}}, 0, "0,0 over"},            // no room left for the food
        // Rows lost and back: a new snake, heading right with nothing queued.
        {{20, 11}, {Up}, {{20, 0}, {20, 11}}, 1, "11,5 food 16,2"},
    };
    for (const Row& r : rows) {
        SnakeGame g;
        g.rng.seed(5);
        g.reset(r.board.x, r.board.y);
        g.directionQueue.assign(r.turns.begin(), r.turns.end());
        for (const Cell size : r.resizes)
            g.resize(size.x, size.y);
        for (int i = 0; i < r.steps; ++i)
            g.step();
        const auto at = [](Cell c) { return std::to_string(c.x) + "," + std::to_string(c.y); };
        std::string seen = g.body.empty() ? "none" : at(g.body.front());
        if (g.gameOver) seen += " over";
        if (g.hasFood) seen += " food " + at(g.food);
        EXPECT_EQ(seen, r.seen) << r.board.x << "x" << r.board.y << " " << r.steps;
    }
}

}  // namespace
