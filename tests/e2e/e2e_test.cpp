// The real binary in a real terminal emulator (tmux): what the player sees,
// steering, resizing, and every way the program can end, each of which must
// leave the terminal as the shell had it.
#include <signal.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tmux_session.h"

namespace {

const std::string kTitle = "ZINTARAPOLKE V1.0 - PRESS Q TO QUIT";
const std::string kHead = "\x1b[102m";  // bright green background

bool shows(const TmuxSession& s, const std::string& text) {
    return s.screen().find(text) != std::string::npos;
}

// The head's board cell: two columns per cell, the board below the status row.
std::optional<Pos> head(const TmuxSession& s) {
    const auto at = findSgr(s.screen(true), kHead);
    return at ? std::optional(Pos(at->first / 2, at->second - 1)) : std::nullopt;
}

// Starts the game from the shell, which leaves the terminal modes before and
// after and the exit status in files; tail may continue the pipeline.
void startGame(const TmuxSession& s, const std::string& tail = "") {
    s.removeFiles({"before", "pid", "rc", "after"});
    const std::string& d = s.dir;
    s.typeLine("stty -g >" + d + "/before; { sh -c 'echo $$ >" + d + "/pid; exec \"" +
               ZINTARAPOLKE_BINARY + "\"'; echo $? >" + d + "/rc; }" + tail + "; stty -g >" + d +
               "/after");
    ASSERT_TRUE(waitUntil([&] {
        return !tail.empty() || (s.query("#{alternate_on}") == "1" && shows(s, "SCORE: 0x"));
    })) << s.screen();
}

// Once the game has ended: its status, the terminal modes as before, the main
// screen back and the cursor shown.
void expectRestored(const TmuxSession& s, const std::string& status, bool screenToo = true) {
    const auto after = s.waitForFile("after");
    ASSERT_TRUE(after) << s.screen();
    EXPECT_EQ(s.waitForFile("rc").value_or("none"), status + "\n");
    EXPECT_EQ(*after, s.waitForFile("before").value_or("none"));
    if (!screenToo) return;
    EXPECT_EQ(s.query("#{alternate_on} #{cursor_flag}"), "0 1");
}

int sign(int v) { return (v > 0) - (v < 0); }

// True once the head has made two steps in a row the given way; a step across
// an edge counts as the short way round the board.
bool headMoves(const TmuxSession& s, Pos way, Pos board) {
    auto last = head(s);
    int streak = 0;
    return waitUntil([&] {
        const auto now = head(s);
        if (!now || !last || *now == *last) return (last = now, false);
        const auto [w, h] = board;
        const int dx = (now->first - last->first + w * 3 / 2) % w - w / 2;
        const int dy = (now->second - last->second + h * 3 / 2) % h - h / 2;
        streak = Pos(sign(dx), sign(dy)) == way ? streak + 1 : 0;
        last = now;
        return streak == 2;
    });
}

TEST(Game, FirstScreenShowsScoreTitleSnakeInTheMiddleAndFood) {
    TmuxSession s(80, 24);
    startGame(s);
    ASSERT_TRUE(waitUntil([&] { return shows(s, "SCORE: 0x0000") && shows(s, kTitle); }));
    const std::string screen = s.screen(true);
    const auto at = findSgr(screen, kHead);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->second, 12);  // board row 11 of 23
    EXPECT_GE(at->first, 40);   // heading right from the middle column
    // Three body segments in green to the left; one food of two hex digits.
    EXPECT_NE(screen.find("\x1b[42m      " + kHead), std::string::npos) << screen;
    EXPECT_TRUE(std::regex_search(screen, std::regex("\x1b\\[100m[0-9A-F]{2}"))) << screen;
    EXPECT_EQ(screen.find("\x1b[100m"), screen.rfind("\x1b[100m"));
    s.send({"q"});
    expectRestored(s, "0");
}

TEST(Game, SteersWithLettersAndBothArrowEncodingsAndWrapsAround) {
    TmuxSession s(80, 24);
    startGame(s);
    const std::vector<std::pair<std::vector<std::string>, Pos>> turns = {
        {{"s"}, {0, 1}},
        {{"-H", "1b", "5b", "44"}, {-1, 0}},
        {{"Up"}, {0, -1}},
        {{"Right"}, {1, 0}},
        {{"Down"}, {0, 1}},
        {{"a"}, {-1, 0}},
        {{"W"}, {0, -1}},
        {{"d"}, {1, 0}},
        {{"-H", "1b", "5b", "42"}, {0, 1}},
        {{"Left"}, {-1, 0}}};
    for (const auto& [keys, way] : turns) {
        s.send(keys);
        EXPECT_TRUE(headMoves(s, way, {40, 23})) << keys.back();
    }
    s.send({"w"});  // up from row 13 or so, across the top edge to the bottom row
    EXPECT_TRUE(waitUntil([&] { return head(s) && head(s)->second == 22; }));
    s.send({"q"});
    expectRestored(s, "0");
}

TEST(Game, FollowsResizesAndPausesBelowTenRows) {
    TmuxSession s(80, 24);
    startGame(s);
    // Narrower first, while the head is still left of cell 35; fewer than 10
    // cells across would fold the straight snake (the next test). The status
    // text is centred anew for each width.
    const std::string paused = "PAUSED: RESIZE >= 10x10";
    for (const auto& [cols, rows, text] :
         {std::tuple{70, 20, kTitle}, {100, 30, kTitle}, {80, 9, paused}, {80, 24, kTitle}}) {
        s.resize(cols, rows);
        EXPECT_TRUE(waitUntil([&, cols = cols, &text = text] {
            const std::string screen = s.screen();
            return screen.find(text) == (cols - text.size()) / 2 && head(s);
        })) << cols
            << "x" << rows << "\n"
            << s.screen();
    }
    s.send({"q"});
    expectRestored(s, "0");
}

TEST(Game, ResizeThatFoldsTheSnakeEndsTheGameAndRRestarts) {
    TmuxSession s(80, 24);
    startGame(s);
    // One cell wide: every segment lands on the head, the body colour painted
    // last where the snake never was before.
    s.resize(2, 24);
    ASSERT_TRUE(waitUntil([&] { return s.screen(true).find("\x1b[42m") != std::string::npos; }));
    s.resize(80, 24);
    EXPECT_TRUE(waitUntil([&] { return shows(s, "GAME OVER") && shows(s, "PRESS R TO RESTART"); }))
        << s.screen();
    s.send({"r"});
    EXPECT_TRUE(waitUntil([&] { return shows(s, kTitle) && !shows(s, "GAME OVER"); }));
    EXPECT_TRUE(shows(s, "SCORE: 0x0000"));
    EXPECT_TRUE(headMoves(s, {1, 0}, {40, 23}));
    s.send({"q"});
    expectRestored(s, "0");
}

TEST(Exit, EveryWayOfEndingRestoresTheTerminal) {
    struct Ending {
        std::string key;  // pressed; if empty, the signal is sent
        int signal;
        std::string status;
    };
    const Ending endings[] = {{"q", 0, "0"},       {"C-c", 0, "130"},    {"", SIGTERM, "143"},
                              {"", SIGHUP, "129"}, {"", SIGSEGV, "139"}, {"", SIGABRT, "134"},
                              {"C-\\", 0, "131"}};
    TmuxSession s(80, 24);
    for (const Ending& e : endings) {
        SCOPED_TRACE(e.key + " " + std::to_string(e.signal));
        startGame(s);
        if (e.signal == 0)
            s.send({e.key});
        else
            kill(std::atoi(s.waitForFile("pid").value_or("0").c_str()), e.signal);
        expectRestored(s, e.status);
    }
    // Flow control and extended input, which the game turns off, come back as
    // they were found, also when the player had them off.
    s.typeLine("stty -ixon -iexten");
    startGame(s);
    s.send({"q"});
    expectRestored(s, "0");
}

TEST(Exit, CtrlZStopsWithTheTerminalRestoredAndFgResumesWithoutCatchUp) {
    TmuxSession s(160, 24);  // a board 80 cells wide
    startGame(s);
    const auto before = head(s);
    ASSERT_TRUE(before);
    const auto stoppedAt = std::chrono::steady_clock::now();
    s.send({"C-z"});
    expectRestored(s, "148");  // stopped by SIGTSTP
    s.removeFiles({"rc", "after"});
    // Stopped for 20 ticks or more; none of them may run on resume.
    waitUntil(
        [&] { return std::chrono::steady_clock::now() - stoppedAt > std::chrono::seconds(2); });
    s.typeLine("fg; echo $? >" + s.dir + "/rc; stty -g >" + s.dir + "/after");
    std::optional<Pos> resumed;
    ASSERT_TRUE(
        waitUntil([&] { return s.query("#{alternate_on}") == "1" && (resumed = head(s)); }));
    EXPECT_EQ(resumed->second, before->second);
    EXPECT_LE((resumed->first - before->first + 80) % 80, 8);
    s.send({"q"});
    expectRestored(s, "0");
}

TEST(Exit, ClosedOutputPipeEndsTheGameWithStatusZero) {
    TmuxSession s(80, 24);
    // head passes the game's first bytes (alternate screen, hidden cursor) to
    // the terminal; only the modes and the status are the game's to restore.
    startGame(s, " | head -c 100");
    expectRestored(s, "0", false);
}

}  // namespace
