#include "board_cycle.h"

namespace {

Direction towards(Cell from, Cell to) {
    if (to.x > from.x) return Direction::Right;
    if (to.x < from.x) return Direction::Left;
    return to.y > from.y ? Direction::Down : Direction::Up;
}

}  // namespace

BoardCycle::BoardCycle(int32_t w, int32_t h) : width(w), height(h) {
    for (int32_t x = 0; x < w; ++x)
        path.push_back({x, 0});
    for (int32_t x = w - 1; x >= 1; --x) {
        const bool down = (w - 1 - x) % 2 == 0;
        for (int32_t k = 1; k < h; ++k)
            path.push_back({x, down ? k : h - k});
    }
    for (int32_t y = h - 1; y >= 1; --y)
        path.push_back({0, y});

    wayOnward.resize(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const Cell from = path[i];
        const Cell to = path[(i + 1) % path.size()];
        wayOnward[static_cast<std::size_t>(from.y * w + from.x)] = towards(from, to);
    }
}

void layAlong(SnakeGame& game, const BoardCycle& cycle, int32_t length) {
    game.width = cycle.width;
    game.height = cycle.height;
    game.body.clear();
    for (int32_t i = length - 1; i >= 0; --i)
        game.body.push_back(cycle.path[static_cast<std::size_t>(i)]);
    game.recount();
    game.hasFood = false;
    game.gameOver = false;
    game.directionQueue.clear();
    game.direction = cycle.wayFrom(game.body.front());
}
