// What one move, one food placement, one whole pass (a tick and its
// incremental frame) and one full redraw cost as the snake grows, up to a
// snake that fills the board of a 400 x 120 console, with the bytes and
// write calls of each frame and the heap allocations of each timed call.
// Numbers only: nothing here fails on a slow or busy machine.
#include <benchmark/benchmark.h>

#include "alloc_counter.h"
#include "app/game_app.h"
#include "bench_console.h"
#include "bench_setup.h"
#include "board_cycle.h"

namespace {

constexpr int64_t kTickNs = kTickMs * 1'000'000;
constexpr unsigned kSeed = 7;

// The counts a frame leaves behind, taken before and after a timed loop.
struct OutputCounts {
    uint64_t writes = benchConsole().writes;
    uint64_t bytes = benchConsole().bytes;
    uint64_t allocations = allocationCount();

    void reportSince(benchmark::State& state) const {
        perIteration(state, "allocs", static_cast<double>(allocationCount() - allocations));
        perIteration(state, "writes", static_cast<double>(benchConsole().writes - writes));
        perIteration(state, "bytes", static_cast<double>(benchConsole().bytes - bytes));
    }
};

// A game application on a console of the setup's size whose snake lies along
// the board's cycle; the first frame (a full redraw) has been drawn.
void startApp(GameApp& app, const BoardCycle& cycle, Setup setup) {
    benchConsole() = BenchConsole{};
    benchConsole().size = {setup.cols, setup.rows};
    app.game.rng.seed(kSeed);
    app.pollTerminalSize();
    layAlong(app.game, cycle, setup.segments);
    app.fullRedraw = true;
    app.render();
}

void BM_Step(benchmark::State& state) {
    const Setup setup = setupOf(state);
    const BoardCycle cycle(setup.cols / 2, setup.rows - 1);
    SnakeGame game;
    layAlong(game, cycle, setup.segments);
    const uint64_t allocations = allocationCount();
    for (auto _ : state) {
        game.direction = cycle.wayFrom(game.body.front());
        game.step();
    }
    perIteration(state, "allocs", static_cast<double>(allocationCount() - allocations));
    if (game.gameOver) state.SkipWithError("the snake ran into itself");
}

// Food already on the board does not matter to a placement; only the snake
// does. On a full board every placement gives up after its last attempt.
void BM_PlaceFood(benchmark::State& state) {
    const Setup setup = setupOf(state);
    const BoardCycle cycle(setup.cols / 2, setup.rows - 1);
    SnakeGame game;
    game.rng.seed(kSeed);
    layAlong(game, cycle, setup.segments);
    int64_t found = 0;
    const uint64_t allocations = allocationCount();
    for (auto _ : state) {
        game.placeFood();
        found += game.hasFood ? 1 : 0;
    }
    perIteration(state, "allocs", static_cast<double>(allocationCount() - allocations));
    perIteration(state, "found", static_cast<double>(found));
}

// What the main loop does every 100 ms: the clock has moved on by one tick,
// the pass runs the tick and draws the frame that follows from it.
void BM_Pass(benchmark::State& state) {
    const Setup setup = setupOf(state);
    const BoardCycle cycle(setup.cols / 2, setup.rows - 1);
    GameApp app;
    startApp(app, cycle, setup);
    TickSchedule schedule;
    schedule.start(benchConsole().nowNs);
    const OutputCounts before;
    for (auto _ : state) {
        benchConsole().nowNs += kTickNs;
        app.game.direction = cycle.wayFrom(app.game.body.front());
        app.runPass(schedule);
    }
    before.reportSince(state);
    if (app.game.gameOver) state.SkipWithError("the snake ran into itself");
}

// The frame after a resize or a restart: the whole console, then the snake.
void BM_FullFrame(benchmark::State& state) {
    const Setup setup = setupOf(state);
    const BoardCycle cycle(setup.cols / 2, setup.rows - 1);
    GameApp app;
    startApp(app, cycle, setup);
    const OutputCounts before;
    for (auto _ : state) {
        app.fullRedraw = true;
        app.render();
    }
    before.reportSince(state);
}

// A 4-segment snake as a game starts, then snakes that fill the board of an
// 80 x 24, a 240 x 67 and a 400 x 120 console.

BENCHMARK(BM_Step)->Apply(growingSnakes);
// Then the 23,800 cells of the 400 x 120 board half, 90 % and 99 % covered,
// and all but one.
BENCHMARK(BM_PlaceFood)
    ->Apply(growingSnakes)
    ->Args({400, 120, 11900})
    ->Args({400, 120, 21420})
    ->Args({400, 120, 23562})
    ->Args({400, 120, 23799})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pass)->Apply(growingSnakes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullFrame)->Apply(fullFrames);

}  // namespace
