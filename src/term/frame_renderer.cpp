#include "term/frame_renderer.h"

#include <algorithm>
#include <cstddef>

#include "console/console.h"
#include "term/text_format.h"

namespace {

constexpr std::string_view kTitle = "ZINTARAPOLKE V1.0 - PRESS Q TO QUIT";
constexpr std::string_view kPausedMessage = "PAUSED: RESIZE >= 10x10";
constexpr std::string_view kGameOverMessage = "GAME OVER";
constexpr std::string_view kQuitPrompt = "PRESS Q TO QUIT";
constexpr std::string_view kRestartPrompt = "PRESS R TO RESTART";

constexpr int32_t kStatusRow = 0;

// Board cell (x, y) sits one canvas row below, under the status row.
Cell boardToCanvas(Cell c) { return {c.x, c.y + 1}; }

}  // namespace

namespace frame {

void paintSnake(CellCanvas& canvas, const SnakeGame& game) {
    bool head = true;
    for (const Cell& segment : game.body) {
        if (game.onBoard(segment)) {
            canvas.paintCell(boardToCanvas(segment), head ? colour::kHead : colour::kBody);
        }
        head = false;
    }
}

void paintFood(CellCanvas& canvas, const SnakeGame& game) {
    if (!game.hasFood) return;
    char value[2];
    const auto end = text::format_to_n(value, sizeof value, "{:02X}", unsigned{game.foodValue}).out;
    // Pointer and length: libc++ 13 (Emscripten) has no string_view from two pointers.
    canvas.putCell(boardToCanvas(game.food), {value, static_cast<std::size_t>(end - value)},
                   colour::kFoodText, colour::kFoodBack);
}

void eraseVacatedCells(CellCanvas& canvas, const Body& prevBody, const SnakeGame& game) {
    for (const Cell& p : prevBody) {
        if (game.onBoard(p) && !game.covers(p)) {
            canvas.paintCell(boardToCanvas(p), colour::kBoard);
        }
    }
}

void eraseStaleFood(CellCanvas& canvas, Cell prevFood, uint8_t prevFoodValue, bool prevHasFood,
                    const SnakeGame& game) {
    if (!prevHasFood) return;
    const bool unchanged = game.hasFood && game.food == prevFood && game.foodValue == prevFoodValue;
    if (unchanged || game.covers(prevFood) || !game.onBoard(prevFood)) return;
    canvas.paintCell(boardToCanvas(prevFood), colour::kBoard);
}

void paintStatusRow(CellCanvas& canvas, const SnakeGame& game, bool paused, int32_t termRows) {
    for (int32_t x = 0; x < canvas.termCols; ++x)
        canvas.paintCell({x, kStatusRow}, colour::kBoard);
    char scoreText[13];  // "SCORE: 0x" and four digits: a uint16 never needs more
    const auto scoreEnd =
        text::format_to_n(scoreText, sizeof scoreText, "SCORE: 0x{:04X}", unsigned{game.score}).out;

    if (paused) {
        canvas.putCentred(kStatusRow, kPausedMessage, colour::kPrompt, colour::kBoard);
    } else if (game.gameOver) {
        canvas.putCentred(kStatusRow, kGameOverMessage, colour::kGameOver, colour::kBoard);
        // Over the bottom two board rows; never onto the status row.
        canvas.putCentred(std::max(termRows - 2, 2), kQuitPrompt, colour::kPrompt, colour::kBoard);
        canvas.putCentred(std::max(termRows - 1, 1), kRestartPrompt, colour::kPrompt,
                          colour::kBoard);
    } else {
        canvas.putCentred(kStatusRow, kTitle, colour::kTitle, colour::kBoard);
    }
    // The score goes last and overwrites whatever the message put in its cells.
    const std::string_view score{scoreText, static_cast<std::size_t>(scoreEnd - scoreText)};
    canvas.putText(0, kStatusRow, score, colour::kScore, colour::kBoard);
}

void send(std::string_view frameBytes) {
    console::writeOut(frameBytes);
    console::flushOut();
}

}  // namespace frame
