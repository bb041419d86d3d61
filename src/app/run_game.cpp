#include "app/run_game.h"

#include <cstdio>
#include <exception>

#include "app/game_app.h"
#include "console/console.h"

int runGame() {
    // Without a terminal nothing could steer or quit the game: say so, and
    // leave standard output untouched.
    if (!console::hasKeyboard()) {
        std::fputs("zintarapolke: no terminal to read keys from\n", stderr);
        return 1;
    }
    // Anything thrown unwinds through GameApp::run, whose guard restores the
    // console before the message is printed.
    try {
        GameApp app;
        app.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zintarapolke: %s\n", e.what());
        return 1;
    } catch (...) {
        std::fputs("zintarapolke: unexpected error\n", stderr);
        return 1;
    }
    // Ended by a signal: now that the console is restored, let the signal's
    // default action happen so the parent sees how the program ended.
    console::finishQuitEvent();
    return 0;
}
