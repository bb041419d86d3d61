// The model's rules that a session reaches only by chance: the bounded draw's
// rejections, and how many draws a placement takes when it gives up.
// Engines are seeded by hand so every draw is known.
#include <gtest/gtest.h>

#include "game/snake_game.h"

namespace {

// The engine after `draws` outputs of `seed`: comparing with it proves how many
// draws a call took.
std::mt19937 engineAfter(uint32_t seed, unsigned long long draws) {
    std::mt19937 e(seed);
    e.discard(draws);
    return e;
}

// A w x h board covered row by row, all but its last `free` cells.
void crowd(SnakeGame& g, int32_t w, int32_t h, int32_t free) {
    g.width = w;
    g.height = h;
    g.body.clear();
    for (int32_t i = 0; i < w * h - free; ++i)
        g.body.push_back({i % w, i / w});
    g.recount();
}

TEST(BoundedDraw, TakesTheHighBitsOfTheProductAndDrawsAgainOnlyOnRejection) {
    // 0x7FFFFFFF with seed 1: low bits below the bound but not below 2^32 mod n
    // = 2, accepted. 0x40000001 with seed 10: low bits below n - 4, rejected.
    struct Case {
        uint32_t bound, seed, draws;
    };
    for (const Case c : {Case{1, 5, 1}, Case{0x7FFFFFFF, 1, 1}, Case{0x40000001, 10, 2}}) {
        std::mt19937 rng(c.seed);
        const uint32_t got = boundedDraw(rng, c.bound);
        std::mt19937 ref = engineAfter(c.seed, c.draws - 1);
        EXPECT_EQ(got, (uint64_t{ref()} * c.bound) >> 32) << c.bound;
        EXPECT_EQ(rng, ref) << c.bound;
    }
}

TEST(PlaceFood, GivingUpTakesTheAttemptLimitOfTwoDrawsEachAndKeepsTheOldFood) {
    struct Case {
        int32_t w, h, free;
        unsigned draws;  // 2 x max(2 w h, 32), or none without a board or a snake
    };
    for (const Case c : {Case{4, 4, 0, 64}, Case{3, 5, 0, 64}, Case{10, 10, 0, 400},
                         Case{0, 5, 0, 0}, Case{5, 5, 25, 0}}) {
        SnakeGame g;
        crowd(g, c.w, c.h, c.free);
        g.rng.seed(2);
        g.food = {7, 7};
        g.foodValue = 0x5A;
        g.hasFood = true;
        g.placeFood();
        EXPECT_FALSE(g.hasFood);
        EXPECT_EQ(g.food, (Cell{7, 7}));
        EXPECT_EQ(g.foodValue, 0x5A);
        EXPECT_EQ(g.rng, engineAfter(2, c.draws)) << c.w << " x " << c.h;
    }
}

}  // namespace
