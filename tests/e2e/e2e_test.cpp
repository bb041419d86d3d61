// The real binary in a real terminal (tmux), for what only a real terminal
// shows: both encodings of the arrow keys, live resizes, job control,
// redirected output, and every way the program can end, each of which must
// leave the terminal as the shell had it.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tmux_session.h"

using Pos = struct { int x, y; };  // a board cell, 0-based

// The head's cell, the one in bright green: two columns a cell, the board
// below the status row. Every other SGR sequence is taken out first.
static std::optional<Pos> head(const TmuxSession& s) {
    const std::string screen = std::regex_replace(s.tmux({"capture-pane", "-p", "-e"}),
                                                  std::regex("\x1b\\[(?!102m)[0-9;]*m"), "");
    const size_t at = screen.find("\x1b[102m");
    if (at == std::string::npos) return std::nullopt;
    const auto row = std::count(screen.begin(), screen.begin() + at, '\n');
    return Pos{int(at - screen.rfind('\n', at) - 1) / 2, int(row) - 1};
}

// Sends the key; true once the head is two cells or more the given way from
// where it was. Every turn here is square to the way before, which therefore
// does not count.
static bool headGoes(const TmuxSession& s, const std::string& key, Pos way) {
    const auto from = head(s);
    s.send(key);
    const auto along = [&](Pos to) { return (to.x - from->x) * way.x + (to.y - from->y) * way.y; };
    return from && waitUntil([&] { return along(head(s).value_or(*from)) >= 2; });
}

// The board refits to a live resize and pauses below 10 rows, with the
// status text centred anew. Then the arrows steer, in the cursor-key mode set
// with printf '\033[?1l' (normal: ESC [ A to D) or '\033[?1h' (application:
// ESC O A to D), and so do the letters. The player runs without flow control
// and extended input, which the game turns off: they stay off after it.
static void refitsAndSteers(const std::string& cursorKeyMode) {
    TmuxSession s;
    s.type("stty -ixon -iexten; printf '\\033[?1" + cursorKeyMode + "'");
    s.start();
    ASSERT_TRUE(s.playing());
    ASSERT_EQ(s.query("#{keypad_cursor_flag}"), cursorKeyMode == "h" ? "1" : "0");
    const auto resized = [&](int cols, int rows, const std::string& status) {
        s.tmux({"resize-window", "-x", std::to_string(cols), "-y", std::to_string(rows)});
        return waitUntil([&] { return s.screen().find(status) == (cols - status.size()) / 2; });
    };
    EXPECT_TRUE(resized(80, 9, "PAUSED: RESIZE >= 10x10")) << s.screen();
    // The head is still left of cell 35, so the snake keeps its shape.
    EXPECT_TRUE(resized(70, 20, "ZINTARAPOLKE V1.0 - PRESS Q TO QUIT")) << s.screen();
    ASSERT_TRUE(headGoes(s, "Down", {0, 1}));
    ASSERT_TRUE(headGoes(s, "Left", {-1, 0}));
    ASSERT_TRUE(headGoes(s, "Up", {0, -1}));
    ASSERT_TRUE(headGoes(s, "Right", {1, 0}));
    ASSERT_TRUE(headGoes(s, "w", {0, -1}));
    // Still heading up, it goes out at the top and comes in at the bottom,
    // below where it was.
    EXPECT_TRUE(headGoes(s, "w", {0, 1}));
    s.send("q");
    s.expectRestored("0");
}

TEST(Game, RefitsAndSteersWithArrowsInNormalCursorKeyMode) { refitsAndSteers("l"); }
TEST(Game, RefitsAndSteersWithArrowsInApplicationCursorKeyMode) { refitsAndSteers("h"); }

// Every way of ending, by a key, a signal or the game's own output, gives the
// shell back its modes, the main screen and the cursor, with the status that
// tells how the game ended: 128 + the signal's number, as dash reports it.
// The signals whose default action terminates take the orderly quit first,
// those that dump core the crash path.
TEST(Exit, EveryEndingRestoresTheTerminalAndReportsHowTheGameEnded) {
    struct Ending {
        std::string how;  // a key, kill (the signal), or nothing: the game ends itself
        int signal = 0;
        std::string job = "sh game";
        std::string tail = "";  // continues the game's pipeline
    };
    std::vector<Ending> endings = {
        {.how = "q"},
        {.how = "C-c", .signal = SIGINT},
        {.how = "C-\\", .signal = SIGQUIT},
        // The frames pass the limit (4 KiB) within a second.
        {.how = "", .signal = SIGXFSZ, .job = "(ulimit -f 8; exec sh game >out.bin)"},
        // The reader gone, the game ends as any member of a pipeline would.
        {.how = "", .signal = SIGPIPE, .tail = " | head -c 100 >/dev/null"}};
    for (const int sig : {SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGPIPE,
                          SIGSEGV, SIGABRT, SIGXCPU, SIGSYS, SIGTRAP})
        endings.push_back({.how = "kill", .signal = sig});
    for (const Ending& e : endings) {
        SCOPED_TRACE(e.job + e.tail + " " + e.how + " " + strsignal(e.signal));
        TmuxSession s;
        s.start(e.job, e.tail);
        if (!e.how.empty() && s.playing()) e.how == "kill" ? s.signal(e.signal) : s.send(e.how);
        s.expectRestored(std::to_string(e.signal ? 128 + e.signal : 0));
    }
}

// Keys still come from the terminal; the file holds the set-up and, last,
// the restore.
TEST(Exit, OutputToAFileStartsWithTheSetUpAndEndsWithTheRestore) {
    TmuxSession s(100, 30);  // the file has no size: 80 x 24, whatever the terminal's
    s.start("sh game >out");
    ASSERT_TRUE(s.playing("out"));
    s.send("q");
    s.expectRestored("0");
    const std::string out = s.read("out"), setUp = "\x1b[?1049h\x1b[1;1H\x1b[?7l\x1b[?25l";
    const std::string mouseOff = "\x1b[?1015l\x1b[?1006l\x1b[?1003l\x1b[?1002l\x1b[?1000l";
    const std::string restore = "\x1b[0m\x1b[?7h\x1b[?1049l\x1b[?25h" + mouseOff;
    EXPECT_EQ(out.substr(0, setUp.size()), setUp);
    EXPECT_EQ(out.substr(out.size() - restore.size()), restore);
    EXPECT_NE(out.find("\x1b[24;1H\x1b[40m" + std::string(80, ' ') + "\x1b"), out.npos);
    EXPECT_EQ(out.find("\x1b[25;1H"), out.npos);
}

// A terminal never told its size (stty rows 0 cols 0, as a bare serial line)
// reports 0 x 0, which counts as unknown: the game takes 80 x 24. Ctrl+S must
// not stop its output, as it would with flow control on.
TEST(Game, ATerminalWithoutASizeCountsAs80x24AndCtrlSDoesNotFreezeIt) {
    TmuxSession s(100, 30);
    s.type("stty rows 0 cols 0");
    s.start();
    const std::string title = "ZINTARAPOLKE V1.0 - PRESS Q TO QUIT";
    EXPECT_TRUE(waitUntil([&] { return s.screen().find(title) == (80 - title.size()) / 2; }));
    s.send("C-s");
    s.send("q");
    s.expectRestored("0");
}

// Stopped for 20 ticks or more, none of which may run once continued; back in
// the foreground it is in game mode at once (Q needs no Enter) and draws the
// whole screen anew.
TEST(Exit, StoppedAndContinuedTheGameResumesPlayableWithoutCatchingUp) {
    for (const std::string stop : {"C-z", "kill"}) {  // kill: SIGSTOP, later SIGCONT
        SCOPED_TRACE(stop);
        TmuxSession s(160, 24);  // a board 80 cells wide
        s.start();
        std::optional<Pos> before, resumed;
        ASSERT_TRUE(waitUntil([&] { return (before = head(s)).has_value(); }));
        const auto stoppedAt = std::chrono::steady_clock::now();
        if (stop == "C-z") {
            s.send("C-z");
            s.expectRestored("148");  // by SIGTSTP
        } else {
            s.signal(SIGSTOP);
            EXPECT_TRUE(waitUntil([&] { return s.read("rc") == "147\n"; }));  // the job stopped
            // The game cannot clean up after SIGSTOP: the shell takes back its
            // modes and the main screen, as bash would, or a player with reset.
            s.type("stty $(cat before); printf '\\033[?1049l\\033[?25h'");
            // Continued in the background, the game stops itself again, not
            // drawing over the shell, whose title comes after anything it wrote.
            s.signal(SIGCONT);
            const std::string stat = "/proc/" + std::to_string(s.gamePid()) + "/stat";
            EXPECT_TRUE(waitUntil([&] { return s.read(stat).find(") T ") != std::string::npos; }));
            s.type("printf '\\033]2;shell\\033\\\\'");
            EXPECT_TRUE(waitUntil([&] { return s.query("#{pane_title}") == "shell"; }));
            EXPECT_EQ(s.query("#{alternate_on}"), "0");
        }
        waitUntil([&] { return std::chrono::steady_clock::now() - stoppedAt > 2s; });
        s.start("fg");
        ASSERT_TRUE(waitUntil([&] {
            return s.query("#{alternate_on}") == "1" &&
                   s.screen().find("SCORE: 0x") != std::string::npos && (resumed = head(s));
        })) << s.screen();
        EXPECT_EQ(resumed->y, before->y);
        EXPECT_LE((resumed->x - before->x + 80) % 80, 8);
        s.send("q");
        s.expectRestored("0");
    }
}

// Nothing to play on: the game says so in one line and ends at once, without
// waiting for keys that cannot come.
TEST(Exit, WithoutATerminalTheGameSaysSoOnStandardErrorAndEnds) {
    TmuxSession s;
    s.start("setsid -w sh game </dev/null >out 2>err");
    ASSERT_TRUE(waitUntil([&] { return s.read("rc").ends_with('\n'); })) << "still running";
    EXPECT_NE(s.read("rc"), "0\n");
    EXPECT_EQ(s.read("out"), "");
    EXPECT_TRUE(std::regex_match(s.read("err"), std::regex("[^\n]+\n"))) << s.read("err");
}

// With SIGHUP ignored, only the terminal itself can tell the game it is gone:
// reading keys or writing frames fails. nohup sends the frames to a file.
TEST(Exit, ATerminalThatHangsUpEndsTheGameThatIgnoresSighup) {
    for (const std::string job : {"(trap '' HUP; exec sh game)", "nohup sh game"}) {
        SCOPED_TRACE(job);
        TmuxSession s;
        s.start(job);
        ASSERT_TRUE(s.playing("nohup.out") && s.gamePid() > 0);
        s.tmux({"kill-server"});
        EXPECT_TRUE(waitUntil([&] { return s.gamePid(0ms) == 0; }));  // gone, or a zombie
    }  // the session kills a game still running
}
