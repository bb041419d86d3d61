// Zintarapolke: a snake game for the text console. It takes no arguments.
#include "app/run_game.h"

int main() { return runGame(); }
