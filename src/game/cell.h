// Board coordinates and the four directions the snake can move in.
#pragma once

#include <cstdint>

struct Cell {
    int32_t x = 0;  // column in cells, 0 = leftmost
    int32_t y = 0;  // row, 0 = top

    friend bool operator==(const Cell&, const Cell&) = default;
};

enum class Direction : int32_t { Up = 0, Down = 1, Left = 2, Right = 3 };

constexpr Direction opposite(Direction d) {
    switch (d) {
        case Direction::Up: return Direction::Down;
        case Direction::Down: return Direction::Up;
        case Direction::Left: return Direction::Right;
        case Direction::Right: return Direction::Left;
    }
    return d;
}

// The cell one move away, before any wrap-around.
constexpr Cell neighbour(Cell c, Direction d) {
    switch (d) {
        case Direction::Up: return {c.x, c.y - 1};
        case Direction::Down: return {c.x, c.y + 1};
        case Direction::Left: return {c.x - 1, c.y};
        case Direction::Right: return {c.x + 1, c.y};
    }
    return c;
}
