// The console layer on Linux and macOS: the controlling terminal through
// termios, the window-size ioctl and poll/read.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "term/console.h"
#include "term/termios_modes.h"
#include "term/vt.h"

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

// The terminal's modes when the game mode was last entered; the restore puts
// back the flags the game turned off for its own sake.
termios foundModes = termios_modes::usualFound();

bool readModes(termios& t) {
    const int fd = ttyFd();
    return fd >= 0 && tcgetattr(fd, &t) == 0;
}

void writeModes(const termios& t) { tcsetattr(ttyFd(), TCSANOW, &t); }

// ===================== Process events ====================================

// Written by the handlers, read by the main loop. Handlers do nothing else
// (the crash handler aside), so nothing is drawn or allocated in them.
volatile sig_atomic_t quitSignal = 0;     // SIGINT, SIGTERM or SIGHUP, once seen
volatile sig_atomic_t stopRequested = 0;  // SIGTSTP
volatile sig_atomic_t crashTtyFd = -1;    // the terminal, opened before any handler
bool outputBroken = false;                // standard output's reader has gone

constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP};
// SIGQUIT (Ctrl+\ while signal keys are on) dumps core like the faults do.
constexpr int kCrashSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGQUIT};

// The terminal restore joined into one buffer before any handler can run, so
// the crash handler sends it with one write and builds nothing itself.
char crashRestore[128];
std::size_t crashRestoreLength = 0;

void joinCrashRestore() {
    crashRestoreLength = 0;
    const auto append = [](std::string_view piece) {
        crashRestoreLength +=
            piece.copy(crashRestore + crashRestoreLength, sizeof crashRestore - crashRestoreLength);
    };
    append(vt::kAttributesReset);
    for (const std::string_view sequence : vt::kRestore)
        append(sequence);
}

void onQuitSignal(int sig) { quitSignal = sig; }

void onStopSignal(int) { stopRequested = 1; }

// Runs once (SA_RESETHAND): only async-signal-safe calls, then the default
// action of the same signal (core dump or termination) takes over.
void onCrashSignal(int sig) {
    const int savedErrno = errno;
    if (write(STDOUT_FILENO, crashRestore, crashRestoreLength) < 0) {
        // Nothing more can be done about a broken output.
    }
    termios t;
    const int fd = crashTtyFd;
    if (fd >= 0 && tcgetattr(fd, &t) == 0) {
        const termios restored = termios_modes::restoredMode(t, foundModes);
        tcsetattr(fd, TCSANOW, &restored);
    }
    errno = savedErrno;
    raise(sig);
}

bool ignoredAtStart(int sig) {
    struct sigaction current {};
    return sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void setAction(int sig, void (*handler)(int), int flags = SA_RESTART) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
}

void unblock(int sig) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

// A write or flush that failed because the reader of a pipe is gone ends the
// game like a quit key (SIGPIPE is ignored, so the error arrives as EPIPE).
void noteOutputError() {
    if (errno == EPIPE) outputBroken = true;
}

}  // namespace

namespace console {

WindowSize windowSize() {
    winsize ws{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) != 0) return kFallbackSize;
    // A terminal that was never told its size (a serial line, a bare pty)
    // reports 0 x 0; that is as unknown as a failed query.
    if (ws.ws_col == 0 || ws.ws_row == 0) return kFallbackSize;
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

// Terminals here take escape sequences as they are. What they do need is a
// frame in one piece: a standard output buffer that holds a whole frame lets
// each flush hand it over in one write, so the terminal never shows half a
// frame. Set once, before anything is written (a resume calls this again).
int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void waitForEvent(int64_t) { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

void enableVirtualTerminalOutput() {
    static char frameSized[1 << 16];
    static const bool buffered = std::setvbuf(stdout, frameSized, _IOFBF, sizeof frameSized) == 0;
    (void)buffered;
}

// The program writes only ASCII; there is no code page to switch.
void useUtf8() {}

void enterGameInput() {
    termios t;
    if (!readModes(t)) return;
    foundModes = t;
    writeModes(termios_modes::gameMode(t));
}

void restoreInput() {
    termios t;
    if (!readModes(t)) return;
    writeModes(termios_modes::restoredMode(t, foundModes));
}

void writeOut(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) noteOutputError();
}

void flushOut() {
    if (std::fflush(stdout) != 0) noteOutputError();
}

void watchProcessEvents() {
    crashTtyFd = ttyFd();  // opened here, never inside a handler
    joinCrashRestore();
    // A signal ignored at start (nohup, a background job without job control)
    // stays ignored, as the one who started the program asked.
    for (const int sig : kQuitSignals) {
        if (!ignoredAtStart(sig)) setAction(sig, onQuitSignal);
    }
    if (!ignoredAtStart(SIGTSTP)) setAction(SIGTSTP, onStopSignal);
    // SA_NODEFER: the handler's own raise() takes the default action at once.
    for (const int sig : kCrashSignals) {
        if (!ignoredAtStart(sig)) setAction(sig, onCrashSignal, SA_RESETHAND | SA_NODEFER);
    }
    setAction(SIGPIPE, SIG_IGN);
}

bool quitEventSeen() { return quitSignal != 0 || outputBroken; }

bool takeStopRequest() {
    if (stopRequested == 0) return false;
    stopRequested = 0;
    return true;
}

void stopUntilContinued() {
    setAction(SIGTSTP, SIG_DFL);
    unblock(SIGTSTP);
    raise(SIGTSTP);  // the process stops here until SIGCONT (fg or bg)
    setAction(SIGTSTP, onStopSignal);
}

void finishQuitEvent() {
    const int sig = quitSignal;
    if (sig == 0) return;  // no signal, or only a broken output: status 0
    setAction(sig, SIG_DFL);
    unblock(sig);
    raise(sig);
}

}  // namespace console
