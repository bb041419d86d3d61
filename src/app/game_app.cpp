#include "app/game_app.h"

#include "console/console.h"
#include "game/key_decoder.h"
#include "term/screen_size.h"
#include "term/terminal_mode.h"

void GameApp::run() {
    console::watchProcessEvents();
    // Ended before it ever had the console: nothing to draw, nothing to undo.
    if (!TerminalMode::enter()) return;
    TerminalMode::Guard restoreOnExit;

    pollTerminalSize();
    render();  // the first frame is drawn whatever the poll found

    TickSchedule schedule;
    schedule.start(console::nowNs());
    while (true) {
        runPass(schedule);
        if (quitRequested) break;  // at once: no wait after the quit key
        console::waitForEvent(schedule.nextTickNs() - console::nowNs());
        const bool suspended = console::takeStopRequest();
        if (suspended) suspend();
        const bool continued = console::takeContinue();
        // Ctrl+Z gave the terminal back, so it is taken again however short
        // the stop. So is it after any continue: a stop from outside (SIGSTOP,
        // which no handler sees) let the shell take the terminal, and a shell
        // such as bash then puts its own modes back on it and draws its
        // prompt. Only a stop that kept the game from a tick restarts the
        // clock: a continue that followed no stop keeps the snake's pace.
        const bool restart = suspended || (continued && schedule.missedTickAt(console::nowNs()));
        // Ended while stopped (kill %1 sends SIGTERM, then SIGCONT): the game
        // may be behind the shell, and nothing more may touch the terminal
        // but the restore.
        if (console::quitEventSeen()) break;
        if ((suspended || continued) && !resume(schedule, restart)) break;
    }
}

void GameApp::runPass(TickSchedule& schedule) {
    // An interrupt, termination or hang-up ends the game the way Q does.
    if (console::quitEventSeen()) quitRequested = true;

    // Keys: bytes still pending behind a quit key are decoded in this pass too.
    while (console::keyPending()) {
        const int c = console::readKey();
        if (static_cast<uint32_t>(c) > 255) break;  // end of input or an error
        handleKey(static_cast<uint8_t>(c));
    }

    const bool sizeChanged = pollTerminalSize();

    // The clock is read after the keys and the size poll: the time they took
    // counts toward this pass's ticks.
    schedule.advanceTo(console::nowNs());
    bool ticked = false;
    while (schedule.takeTick()) {
        if (!paused) game.step();
        ticked = true;  // a paused tick still redraws
    }

    if (sizeChanged || ticked) render();
}

bool GameApp::pollTerminalSize() {
    const console::WindowSize size = screenSize();
    int32_t cells = size.cols / 2;  // an odd last column is not used
    int32_t rows = size.rows;
    if (cells < 1) cells = 0;
    if (rows < 1) rows = 0;
    if (cells == termCols && rows == termRows) return false;

    termCols = cells;
    termRows = rows;
    const int32_t boardHeight = rows >= 2 ? rows - 1 : 0;  // one status row on top
    if (!started) {
        game.reset(cells, boardHeight);
        started = true;
    } else {
        game.resize(cells, boardHeight);
    }
    paused = termCols < kMinPlayableCells || termRows < kMinPlayableCells;
    fullRedraw = true;
    return true;
}

void GameApp::handleKey(uint8_t key) {
    const DecodedKey decoded = decodeKey(keyState, key, game.gameOver);
    switch (decoded.action) {
        case KeyAction::None: return;
        case KeyAction::Quit: quitRequested = true; return;
        case KeyAction::Restart: restart(); return;
        case KeyAction::Turn: queueTurn(game, decoded.turn); return;
    }
}

void GameApp::restart() {
    game.reset(game.width, game.height);
    prevBody.clear();
    fullRedraw = true;
    hudValid = false;
    prevFood = {0, 0};
    prevFoodValue = 0;
    prevHasFood = false;
}

void GameApp::suspend() {
    TerminalMode::restore();
    console::stopUntilContinued();
}

bool GameApp::resume(TickSchedule& schedule, bool restartClock) {
    // Whatever stopped the game (Ctrl+Z, or a stop from outside after which
    // the shell may have drawn on the screen), the game mode goes back on
    // and the screen is drawn anew, at the window's size now.
    if (!TerminalMode::enter()) return false;
    fullRedraw = true;
    pollTerminalSize();
    if (restartClock) schedule.start(console::nowNs());  // time spent stopped is not caught up
    render();
    return true;
}
