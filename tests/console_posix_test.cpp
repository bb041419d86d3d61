// The Linux and macOS console layer where it runs without a terminal: its
// termios arithmetic, and the window size of a standard output that is a pipe
// or a pseudo-terminal.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <tuple>

#include <gtest/gtest.h>

#include "term/console.h"
#include "term/termios_modes.h"

namespace {

TEST(TermiosModes, GameModeTurnsOffLineInputEchoAndFlowControlAndRestoreUndoesIt) {
    for (const tcflag_t found : {tcflag_t{0}, tcflag_t{ISIG | IEXTEN}}) {  // signal keys, extended
        termios t{};
        t.c_lflag = ICANON | ECHO | ECHOE | found;
        t.c_iflag = ICRNL | (found != 0 ? IXON : 0);  // flow control
        const termios game = termios_modes::gameMode(t);
        EXPECT_EQ(game.c_lflag, ECHOE | (found & ISIG));  // signal keys as found
        EXPECT_EQ(game.c_iflag, tcflag_t{ICRNL});
        const termios back = termios_modes::restoredMode(game, t);
        EXPECT_EQ(back.c_lflag, ICANON | ECHO | ECHOE | ISIG | (found & IEXTEN));
        EXPECT_EQ(back.c_iflag, t.c_iflag);
    }
}

// A pipe, then a pseudo-terminal never told its size (it reports 0 x 0), then
// one told 100 x 30.
TEST(WindowSize, FallsBackTo80x24UnlessTheTerminalKnowsItsSize) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
    const int pty = open(ptsname(master), O_RDWR | O_NOCTTY);
    const int saved = dup(STDOUT_FILENO);
    std::fflush(stdout);
    for (const auto& [fd, told, cols, rows] :
         {std::tuple{pipeFds[1], 0, 80, 24}, {pty, 0, 80, 24}, {pty, 100, 100, 30}}) {
        const winsize ws{static_cast<unsigned short>(told * 3 / 10),
                         static_cast<unsigned short>(told), 0, 0};
        if (fd == pty) ioctl(pty, TIOCSWINSZ, &ws);
        dup2(fd, STDOUT_FILENO);
        const console::WindowSize size = console::windowSize();
        dup2(saved, STDOUT_FILENO);
        EXPECT_EQ(size.cols, cols);
        EXPECT_EQ(size.rows, rows);
    }
}

}  // namespace
