// The console layer on Linux and macOS: the controlling terminal through
// termios, the window-size ioctl and poll/read.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "term/console.h"
#include "term/termios_modes.h"

namespace {

// ===================== The controlling terminal ==========================

// Keys come from the controlling terminal, not standard input, so they are
// still read from the console when input or output is redirected (as the
// Windows console reads keys). Opened once and kept for the program's life.
int ttyFd() {
    static const int fd = [] {
        const int opened = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
        return opened >= 0 ? opened : -1;
    }();
    return fd;
}

void applyMode(termios (*change)(termios)) {
    const int fd = ttyFd();
    termios t;
    if (fd < 0 || tcgetattr(fd, &t) != 0) return;
    const termios changed = change(t);
    tcsetattr(fd, TCSANOW, &changed);
}

}  // namespace

namespace console {

WindowSize windowSize() {
    winsize ws{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) != 0) return kFallbackSize;
    return {ws.ws_col, ws.ws_row};
}

bool keyPending() {
    const int fd = ttyFd();
    if (fd < 0) return false;
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

int readKey() {
    const int fd = ttyFd();
    unsigned char byte = 0;
    if (fd < 0) return -1;
    ssize_t n;
    do {
        n = read(fd, &byte, 1);
    } while (n < 0 && errno == EINTR);
    return n == 1 ? byte : -1;
}

// Terminals here take escape sequences as they are.
void enableVirtualTerminalOutput() {}

// The program writes only ASCII; there is no code page to switch.
void useUtf8() {}

void enterGameInput() { applyMode(termios_modes::gameMode); }

void restoreInput() { applyMode(termios_modes::restoredMode); }

void writeOut(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

void flushOut() { std::fflush(stdout); }

void watchProcessEvents() {}
bool quitEventSeen() { return false; }
bool takeStopRequest() { return false; }
void stopUntilContinued() {}
void finishQuitEvent() {}

}  // namespace console
