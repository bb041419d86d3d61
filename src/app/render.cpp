#include "app/game_app.h"
#include "console/vt.h"
#include "term/cell_canvas.h"
#include "term/frame_renderer.h"

// Composes one frame into frameBuffer and sends it with one write. A full
// redraw clears the console; otherwise only what changed since the last frame
// is erased, and the food and snake are painted again.
void GameApp::render() {
    frameBuffer.clear();  // keeps its capacity from earlier frames
    frameBuffer.append(frame::kHome);
    CellCanvas canvas{frameBuffer, termCols};

    const bool full = fullRedraw;
    // Once the game is over and shown so, nothing on the board moves until a
    // restart or a resize redraws it all: repainting the snake would only
    // break the prompts that lie over the bottom two rows.
    const bool boardStill = game.gameOver && hudGameOver;
    if (full) {
        canvas.clearScreen(colour::kBoard);
        frame::paintSnake(canvas, game);
        frame::paintFood(canvas, game);  // over a segment sharing its cell
        fullRedraw = false;
    } else if (!boardStill) {
        frame::eraseVacatedCells(canvas, prevBody, game);
        frame::eraseStaleFood(canvas, prevFood, prevFoodValue, prevHasFood, game);
        frame::paintFood(canvas, game);
        frame::paintSnake(canvas, game);  // over the food sharing its cell
    }

    const bool statusChanged =
        !hudValid || game.score != hudScore || game.gameOver != hudGameOver || paused != hudPaused;
    if (full || statusChanged) {
        frame::paintStatusRow(canvas, game, paused, termRows);
        hudValid = true;
        hudScore = game.score;
        hudGameOver = game.gameOver;
        hudPaused = paused;
    }

    prevBody = game.body;
    prevFood = game.food;
    prevFoodValue = game.foodValue;
    prevHasFood = game.hasFood;

    frameBuffer.append(vt::kAttributesReset);
    frame::send(frameBuffer);
}
