// The game model: board, snake, food, score and the rules of one tick.
// Pure: no I/O and no clock, so every rule can be driven by a seeded engine.
#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <vector>

#include "game/cell.h"
#include "game/recycling_allocator.h"

// The snake's segments, head at the front: a deque whose blocks are reused.
using Body = std::deque<Cell, RecyclingAllocator<Cell>>;

struct SnakeGame {
    std::deque<Direction> directionQueue;  // turns not yet applied, oldest first
    Body body;                             // front = head, back = tail
    Cell food{0, 0};                       // meaningful only while hasFood
    uint8_t foodValue = 0;
    bool hasFood = false;
    std::mt19937 rng;  // seeded once from the system random device, never again
    uint16_t score = 0;
    int32_t width = 0;
    int32_t height = 0;
    Direction direction = Direction::Right;
    bool gameOver = false;
    // How many segments lie on each board cell, row by row: whether a cell is
    // covered is one look-up however long the snake is. Kept by every
    // operation that changes the body; code that writes body, width or height
    // directly calls recount().
    std::vector<int32_t> segmentsPerCell;

    SnakeGame();
    SnakeGame(const SnakeGame&) = delete;
    SnakeGame& operator=(const SnakeGame&) = delete;

    void reset(int32_t w, int32_t h);
    void resize(int32_t w, int32_t h);
    void spawnBody(int32_t w, int32_t h);
    bool hitsItself() const;
    // 0 <= x < width and 0 <= y < height.
    bool onBoard(Cell c) const { return c.x >= 0 && c.x < width && c.y >= 0 && c.y < height; }
    // Whether any segment lies on c.
    bool covers(Cell c) const { return onBoard(c) && segmentsPerCell[cellIndex(c)] > 0; }
    // Counts the segments per cell anew from body, width and height.
    void recount();
    void placeFood();
    void step();

private:
    std::size_t cellIndex(Cell c) const { return static_cast<std::size_t>(c.y * width + c.x); }
};

// A uniform value in [0, n) for 1 <= n < 2^31 by Lemire's nearly divisionless
// method. Every rejected draw is taken from the engine, so rejections advance it.
uint32_t boundedDraw(std::mt19937& rng, uint32_t n);
