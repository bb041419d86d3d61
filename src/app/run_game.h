// The whole program: one game from set-up to restore, and its exit status.
#pragma once

// 0 after Q, 1 when there is no terminal or an error ended the game. A signal
// that ended the game takes its own default action instead of returning.
int runGame();
