// Timing of the work one tick and one frame cost. Numbers only: nothing here
// fails on a slow or busy machine.
#include <benchmark/benchmark.h>

#include "app/game_app.h"
#include "fake_console.h"

namespace {

// A snake of the given length laid row by row over a board of 200 x 60, its
// head on the last row it reaches, facing down into free cells, so a step
// scans the whole body.
void coil(SnakeGame& game, int32_t length) {
    game.rng.seed(7);
    game.reset(200, 60);
    game.body.clear();
    for (int32_t p = 0; p < length; ++p) {
        const int32_t row = p / 200;
        const int32_t col = row % 2 == 0 ? p % 200 : 199 - p % 200;
        game.body.push_front({col, row});
    }
    game.recount();
    game.direction = Direction::Down;
    game.placeFood();
}

void BM_StepLongSnake(benchmark::State& state) {
    SnakeGame game;
    coil(game, static_cast<int32_t>(state.range(0)));
    game.hasFood = false;  // nothing to eat: the length stays fixed
    for (auto _ : state) {
        const Cell tail = game.body.back();
        game.step();
        game.body.pop_front();  // undo the move, so every step starts alike
        game.body.push_back(tail);
        game.recount();
    }
}
BENCHMARK(BM_StepLongSnake)->Arg(4)->Arg(1000)->Arg(10000);

void BM_PlaceFood(benchmark::State& state) {
    SnakeGame game;
    coil(game, static_cast<int32_t>(state.range(0)));
    for (auto _ : state)
        game.placeFood();
}
BENCHMARK(BM_PlaceFood)->Arg(4)->Arg(1000)->Arg(11000);

// One frame of a game in progress on a 200 x 61 console.
void BM_Frame(benchmark::State& state) {
    resetFakeConsole();
    fakeConsole().size = console::WindowSize{400, 61};
    GameApp app;
    app.pollTerminalSize();
    coil(app.game, static_cast<int32_t>(state.range(1)));
    app.render();
    const bool full = state.range(0) != 0;
    for (auto _ : state) {
        fakeConsole().transcript.clear();
        app.fullRedraw = full;
        app.render();
    }
    state.counters["bytes"] = static_cast<double>(app.frameBuffer.size());
}
BENCHMARK(BM_Frame)->ArgNames({"full", "length"})->Args({0, 4})->Args({0, 1000})->Args({1, 4});

}  // namespace
