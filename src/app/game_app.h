// The application: one record that owns the frame buffer, the game, the key
// decoder's state, the render cache and the console size, and the main loop.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "app/tick_schedule.h"
#include "game/cell.h"
#include "game/snake_game.h"

inline constexpr int32_t kMinPlayableCells = 10;  // smallest console, in cells and rows

struct GameApp {
    std::string frameBuffer;
    SnakeGame game;
    int32_t keyState = 0;
    Body prevBody;  // render cache: the snake as last drawn
    Cell prevFood{0, 0};
    uint8_t prevFoodValue = 0;
    bool prevHasFood = false;
    int32_t termCols = 0;  // console width in cells
    int32_t termRows = 0;  // console height in rows, status row included
    uint16_t hudScore = 0;
    bool started = false;
    bool paused = false;
    bool fullRedraw = true;
    bool hudValid = false;
    bool hudGameOver = false;
    bool hudPaused = false;
    bool quitRequested = false;

    void run();
    // One pass of the main loop without its wait: keys, size, time, ticks, draw.
    void runPass(TickSchedule& schedule);
    bool pollTerminalSize();
    void handleKey(uint8_t key);
    void render();
    // The restart key after game over: a new game and a full redraw.
    void restart();
    // Ctrl+Z: the console back to normal, then stopped until continued.
    void suspend();
    // After a stop or a continue: game mode on again and a full redraw; with
    // restartClock, no catch-up ticks for the time stopped. False when the
    // game ended before it had the console again.
    bool resume(TickSchedule& schedule, bool restartClock);
};
