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

constexpr tcflag_t kGameOffL = ICANON | ECHO | IEXTEN;

TEST(TermiosModes, GameModeClearsLineInputEchoAndFlowControlAndRestoreSetsThem) {
    for (const tcflag_t isig : {tcflag_t{0}, tcflag_t{ISIG}}) {
        termios found{};
        found.c_lflag = kGameOffL | ECHOE | isig;
        found.c_iflag = IXON | ICRNL;
        found.c_oflag = OPOST | ONLCR;
        found.c_cc[VMIN] = 1;
        const termios game = termios_modes::gameMode(found);
        EXPECT_EQ(game.c_lflag, ECHOE | isig);  // signal keys as found
        EXPECT_EQ(game.c_iflag, tcflag_t{ICRNL});
        EXPECT_EQ(game.c_oflag, found.c_oflag);
        EXPECT_EQ(game.c_cc[VMIN], 1);
        const termios back = termios_modes::restoredMode(game);
        EXPECT_EQ(back.c_lflag, kGameOffL | ECHOE | ISIG);
        EXPECT_EQ(back.c_iflag, IXON | ICRNL);
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
