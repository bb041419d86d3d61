// A closed path through every cell of a board of even width, and snakes laid
// along it. A snake that follows the path never runs into itself, even one as
// long as the board: without food each head enters the cell the tail has just
// left. So the longest snakes can be timed move after move.
#pragma once

#include <cstdint>
#include <vector>

#include "game/cell.h"
#include "game/snake_game.h"

struct BoardCycle {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Cell> path;            // every cell once, in the order the snake visits them
    std::vector<Direction> wayOnward;  // per cell, row by row: towards the next cell of the path

    // Row 0 to the right, then down and up the columns width-1 to 1 over rows
    // 1 and below (an odd number of columns, so it ends at the bottom of
    // column 1), then up column 0 to the start. Needs an even width and a
    // height of at least 2.
    BoardCycle(int32_t w, int32_t h);

    Direction wayFrom(Cell c) const {
        return wayOnward[static_cast<std::size_t>(c.y * width + c.x)];
    }
};

// Lays a snake of the given length along the path (1 <= length <= cells),
// head first, and points it at the next cell; no food, so the length stays.
void layAlong(SnakeGame& game, const BoardCycle& cycle, int32_t length);
