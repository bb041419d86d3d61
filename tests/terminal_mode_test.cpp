#include "term/terminal_mode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "app/game_app.h"
#include "fake_console.h"

namespace {

const std::string kSetUp = "\x1b[?1049h\x1b[1;1H\x1b[?7l\x1b[?25l";
const std::string kRestore =
    "\x1b[0m\x1b[?7h\x1b[?1049l\x1b[?25h\x1b[?1015l\x1b[?1006l\x1b[?1003l\x1b[?1002l\x1b[?1000l";

std::string joinedCalls() {
    std::string joined;
    for (const std::string& call : fakeConsole().calls)
        joined += call + "|";
    return joined;
}

TEST(TerminalModeTest, EnterThenRestoreFlushEachSequenceButTheReset) {
    resetFakeConsole();
    TerminalMode::enter();
    TerminalMode::restore();
    EXPECT_EQ(joinedCalls(),
              "vt-output|utf8|game-input|write:\x1b[?1049h|flush|write:\x1b[1;1H|flush|"
              "write:\x1b[?7l|flush|write:\x1b[?25l|flush|write:\x1b[0m|write:\x1b[?7h|flush|"
              "write:\x1b[?1049l|flush|write:\x1b[?25h|flush|write:\x1b[?1015l\x1b[?1006l"
              "\x1b[?1003l\x1b[?1002l\x1b[?1000l|flush|restore-input|");
}

TEST(TerminalModeTest, RunRestoresOnceAfterTheLoopAndWhenUnwound) {
    for (const bool unwind : {false, true}) {
        resetFakeConsole();
        fakeConsole().keys = {'q'};
        fakeConsole().throwOnWindowSize = unwind;
        GameApp app;
        const std::string& out = fakeConsole().output;
        if (unwind) {
            EXPECT_THROW(app.run(), std::runtime_error);  // from the first size poll
            EXPECT_EQ(out, kSetUp + kRestore);
        } else {
            app.run();
            EXPECT_TRUE(out.starts_with(kSetUp + "\x1b[H\x1b[1;1H\x1b[40m"));  // the first frame
            EXPECT_TRUE(out.ends_with(kRestore));
        }
        const auto& calls = fakeConsole().calls;
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "restore-input"), 1);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "write:\x1b[?1049l"), 1);
    }
}

}  // namespace
