// Arbitrary key bytes played into a game, with a tick after every few, and
// the rules that must hold whatever the bytes were: the fuzzer's check.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "app/game_app.h"
#include "game/key_decoder.h"

// Empty when every rule held, else the first rule broken.
inline const char* playKeyStream(const uint8_t* data, std::size_t size) {
    GameApp app;
    app.game.rng.seed(size);
    app.game.reset(12, 7);
    for (std::size_t i = 0; i < size; ++i) {
        app.handleKey(data[i]);
        if (i % 3 == 2) app.game.step();
        const SnakeGame& g = app.game;
        if (g.directionQueue.size() > kMaxQueuedTurns) return "more than three turns queued";
        Direction before = g.direction;
        for (const Direction d : g.directionQueue) {
            if (d == before || d == opposite(before)) return "a queued turn repeats or reverses";
            before = d;
        }
        const auto onBoard = [&g](const Cell& c) { return g.onBoard(c); };
        if (!std::all_of(g.body.begin(), g.body.end(), onBoard)) return "segment off board";
        if (g.body.empty() || (g.hasFood && !g.onBoard(g.food))) return "lost snake or food";
    }
    return "";
}
