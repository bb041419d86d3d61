// What a session reaches only by chance: the bounded draw's rejections, and
// the draws of a food placement that gives up on a board larger than 4 x 4.
// Engines are seeded by hand so every draw is known.
#include <gtest/gtest.h>

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

}  // namespace
