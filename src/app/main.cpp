// Zintarapolke: a snake game for the text console.
#include "app/game_app.h"
#include "term/console.h"

int main() {
    {
        GameApp app;
        app.run();
    }
    // Ended by a signal: now that the console is restored, let the signal's
    // default action happen so the parent sees how the program ended.
    console::finishQuitEvent();
    return 0;
}
