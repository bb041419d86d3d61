// The pieces of a frame: board, snake, food and status row, composed through
// the cell canvas. The application keeps the render cache and decides what a
// frame holds; these functions only draw what they are told.
#pragma once

#include <cstdint>
#include <deque>
#include <string_view>

#include "game/cell.h"
#include "game/snake_game.h"
#include "term/cell_canvas.h"

namespace colour {
inline constexpr std::string_view kBoard = "\x1b[40m";      // black background
inline constexpr std::string_view kHead = "\x1b[102m";      // bright green background
inline constexpr std::string_view kBody = "\x1b[42m";       // green background
inline constexpr std::string_view kFoodText = "\x1b[93m";   // bright yellow
inline constexpr std::string_view kFoodBack = "\x1b[100m";  // bright black background
inline constexpr std::string_view kScore = "\x1b[36m";      // cyan
inline constexpr std::string_view kTitle = "\x1b[34m";      // blue
inline constexpr std::string_view kGameOver = "\x1b[31m";   // red
inline constexpr std::string_view kPrompt = "\x1b[93m";     // bright yellow
}  // namespace colour

namespace frame {

inline constexpr std::string_view kHome = "\x1b[H";  // cursor to row 1, column 1

// Head in the head colour, every other segment in the body colour; segments
// outside the board are skipped.
void paintSnake(CellCanvas& canvas, const SnakeGame& game);
// The food's value as two hex digits; drawn without a board test.
void paintFood(CellCanvas& canvas, const SnakeGame& game);
// Cells the snake has left since the last frame, back to the board colour.
void eraseVacatedCells(CellCanvas& canvas, const Body& prevBody, const SnakeGame& game);
// The last drawn food, unless it is still there or a segment now covers it.
void eraseStaleFood(CellCanvas& canvas, Cell prevFood, uint8_t prevFoodValue, bool prevHasFood,
                    const SnakeGame& game);
// Blank status row, then the title, pause or game-over message, then the score.
void paintStatusRow(CellCanvas& canvas, const SnakeGame& game, bool paused, int32_t termRows);

// One write and one flush of the whole frame.
void send(std::string_view frameBytes);

}  // namespace frame
