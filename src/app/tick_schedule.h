// Turns steady-clock readings into 100 ms ticks. Whole milliseconds are
// counted each pass; the remainder below a millisecond is carried into the
// next pass, so over time exactly one tick falls due per 100 ms.
#pragma once

#include <cstdint>

inline constexpr int64_t kTickMs = 100;

struct TickSchedule {
    int64_t lastTime = 0;           // nanoseconds, up to the last whole millisecond counted
    int64_t tickAccumulatorMs = 0;  // elapsed time not yet spent on ticks

    // Starts counting from now with nothing due (also after a stop, so time
    // spent stopped is not run as catch-up ticks).
    void start(int64_t nowNs) {
        lastTime = nowNs;
        tickAccumulatorMs = 0;
    }

    // Adds the whole milliseconds since the last reading.
    void advanceTo(int64_t nowNs) {
        const int64_t wholeMs = (nowNs - lastTime) / 1'000'000;
        tickAccumulatorMs += wholeMs;
        lastTime += wholeMs * 1'000'000;
    }

    // When the next tick falls due, counting as advanceTo does.
    int64_t nextTickNs() const { return lastTime + (kTickMs - tickAccumulatorMs) * 1'000'000; }

    // A whole tick has passed since the last pass. While the game runs a pass
    // comes at every tick, so the game was stopped for a tick or more.
    bool missedTickAt(int64_t nowNs) const { return nowNs - lastTime >= kTickMs * 1'000'000; }

    // Spends one tick if one is due.
    bool takeTick() {
        if (tickAccumulatorMs < kTickMs) return false;
        tickAccumulatorMs -= kTickMs;
        return true;
    }
};
