// The Linux and macOS console layer where it runs without a terminal: its
// termios arithmetic, and the window size of a standard output that is a pipe
// or a pseudo-terminal.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <gtest/gtest.h>

#include "term/console.h"
#include "term/termios_modes.h"

namespace {

TEST(TermiosModes, GameModeTurnsOffLineInputEchoAndFlowControlAndRestoreUndoesIt) {
    // Signal keys on or off at start, flow control and extended input on or off.
    for (const tcflag_t isig : {tcflag_t{0}, tcflag_t{ISIG}}) {
        for (const bool flowControl : {false, true}) {
            termios found{};
            const tcflag_t extended = flowControl ? IEXTEN : 0;
            found.c_lflag = ICANON | ECHO | ECHOE | extended | isig;
            found.c_iflag = ICRNL | (flowControl ? IXON : 0);
            found.c_oflag = OPOST | ONLCR;
            found.c_cc[VMIN] = 1;
            const termios game = termios_modes::gameMode(found);
            EXPECT_EQ(game.c_lflag, ECHOE | isig);  // signal keys as found
            EXPECT_EQ(game.c_iflag, tcflag_t{ICRNL});
            EXPECT_EQ(game.c_oflag, found.c_oflag);
            EXPECT_EQ(game.c_cc[VMIN], 1);
            const termios back = termios_modes::restoredMode(game, found);
            EXPECT_EQ(back.c_lflag, ICANON | ECHO | ECHOE | ISIG | extended);
            EXPECT_EQ(back.c_iflag, found.c_iflag);
        }
    }
}

using Size = std::pair<int, int>;

// windowSize() with standard output on fd, which is then put back.
Size sizeWithStdoutOn(int fd) {
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    dup2(fd, STDOUT_FILENO);
    const console::WindowSize size = console::windowSize();
    dup2(saved, STDOUT_FILENO);
    close(saved);
    return {size.cols, size.rows};
}

TEST(WindowSize, FallsBackTo80x24UnlessTheTerminalKnowsItsSize) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    EXPECT_EQ(sizeWithStdoutOn(pipeFds[1]), Size(80, 24));

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
    const int pty = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(pty, 0);
    // A terminal never told its size reports 0 x 0.
    for (const auto& [told, seen] : {std::pair{Size(0, 0), Size(80, 24)}, {{100, 30}, {100, 30}}}) {
        winsize ws{};
        ws.ws_col = static_cast<unsigned short>(told.first);
        ws.ws_row = static_cast<unsigned short>(told.second);
        ASSERT_EQ(ioctl(pty, TIOCSWINSZ, &ws), 0);
        EXPECT_EQ(sizeWithStdoutOn(pty), seen);
    }
    for (const int fd : {pipeFds[0], pipeFds[1], pty, master})
        close(fd);
}

}  // namespace
