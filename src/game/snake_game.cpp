#include "game/snake_game.h"

#include <algorithm>

namespace {

constexpr int32_t kStartLength = 4;
constexpr int64_t kMinFoodAttempts = 32;

// Remainder of truncating division made non-negative: -1 mod w is w - 1.
int32_t wrap(int32_t v, int32_t n) {
    const int32_t r = v % n;
    return r < 0 ? r + n : r;
}

}  // namespace

uint32_t boundedDraw(std::mt19937& rng, uint32_t n) {
    uint64_t p = uint64_t{rng()} * n;
    uint32_t low = static_cast<uint32_t>(p);
    if (low < n) {
        const uint32_t t = static_cast<uint32_t>(-n) % n;  // (2^32 - n) mod n
        while (low < t) {
            p = uint64_t{rng()} * n;
            low = static_cast<uint32_t>(p);
        }
    }
    return static_cast<uint32_t>(p >> 32);
}

SnakeGame::SnakeGame() : rng(std::random_device{}()) {}

void SnakeGame::reset(int32_t w, int32_t h) {
    width = std::max(w, 0);
    score = 0;
    gameOver = false;
    height = std::max(h, 0);
    direction = Direction::Right;
    directionQueue.clear();
    spawnBody(width, height);
    recount();
    placeFood();  // after the new body exists, so the food avoids it
}

void SnakeGame::spawnBody(int32_t w, int32_t h) {
    body.clear();
    if (w <= 0 || h <= 0) return;
    const int32_t y = h / 2;
    const int32_t x0 = w / 2;
    // Head first, tail to its left; narrow boards fold the tail onto column 0.
    for (int32_t k = 0; k < kStartLength; ++k)
        body.push_back({std::max(x0 - k, 0), y});
}

void SnakeGame::recount() {
    segmentsPerCell.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    for (const Cell& c : body) {
        if (onBoard(c)) ++segmentsPerCell[cellIndex(c)];
    }
}

void SnakeGame::resize(int32_t w, int32_t h) {
    width = std::max(w, 0);
    height = std::max(h, 0);
    if (width == 0 || height == 0) {
        body.clear();
    } else {
        for (Cell& c : body) {
            c.x = std::clamp(c.x, 0, width - 1);
            c.y = std::clamp(c.y, 0, height - 1);
        }
        // The board had no size before: a fresh snake, which starts like a new
        // game's (heading right, nothing queued); the score is kept.
        if (body.empty()) {
            spawnBody(width, height);
            direction = Direction::Right;
            directionQueue.clear();
        }
    }
    recount();
    if (!hasFood || !onBoard(food)) placeFood();
    if (hitsItself()) gameOver = true;
}

// Only the head counts: it hits the body when another segment shares its cell.
bool SnakeGame::hitsItself() const {
    return body.size() >= 2 && segmentsPerCell[cellIndex(body.front())] > 1;
}

void SnakeGame::placeFood() {
    if (width <= 0 || height <= 0 || body.empty()) {
        hasFood = false;
        return;
    }
    const int64_t limit = std::max(int64_t{2} * width * height, kMinFoodAttempts);
    for (int64_t attempt = 0; attempt < limit; ++attempt) {
        const Cell c{static_cast<int32_t>(boundedDraw(rng, static_cast<uint32_t>(width))),
                     static_cast<int32_t>(boundedDraw(rng, static_cast<uint32_t>(height)))};
        if (covers(c)) continue;
        food = c;
        foodValue = static_cast<uint8_t>(rng() >> 24);
        hasFood = true;
        return;
    }
    // Every attempt fell on the snake: the game goes on without food.
    hasFood = false;
}

void SnakeGame::step() {
    if (gameOver || width <= 0 || height <= 0 || body.empty()) return;

    if (!directionQueue.empty()) {
        const Direction turn = directionQueue.front();
        directionQueue.pop_front();
        if (turn != opposite(direction)) direction = turn;
    }

    const Cell next = neighbour(body.front(), direction);
    const Cell head{wrap(next.x, width), wrap(next.y, height)};
    const bool eats = hasFood && head == food;

    body.push_front(head);
    ++segmentsPerCell[cellIndex(head)];
    if (!eats) {
        --segmentsPerCell[cellIndex(body.back())];
        body.pop_back();
    }

    // After the move, so the head may enter the cell the tail just left.
    if (hitsItself()) {
        gameOver = true;
        return;
    }
    if (!eats) return;
    score = static_cast<uint16_t>(score + foodValue);
    placeFood();
}
