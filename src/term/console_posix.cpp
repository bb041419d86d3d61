// The console layer on Linux and macOS: the controlling terminal through
// termios, the window-size ioctl and poll/read.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "term/console.h"
#include "term/steady_clock.h"
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

// The terminal's modes as the game found them; the restore puts back the
// flags the game turned off for its own sake.
termios foundModes = termios_modes::usualFound();

bool readModes(termios& t) {
    const int fd = ttyFd();
    return fd >= 0 && tcgetattr(fd, &t) == 0;
}

void writeModes(const termios& t) { tcsetattr(ttyFd(), TCSANOW, &t); }

// Another process group has the terminal: a shell the game was put behind.
bool inBackground() {
    const int fd = ttyFd();
    const pid_t foreground = fd >= 0 ? tcgetpgrp(fd) : -1;
    return foreground != -1 && foreground != getpgrp();
}

// ===================== Process events ====================================

// Written by the handlers, read by the main loop. Handlers do nothing else
// (the crash handler aside), so nothing is drawn or allocated in them.
volatile sig_atomic_t quitSignal = 0;     // a signal that ends the program, once seen
volatile sig_atomic_t stopRequested = 0;  // SIGTSTP
volatile sig_atomic_t continued = 0;      // SIGCONT
volatile sig_atomic_t crashTtyFd = -1;    // the terminal, opened before any handler
bool outputBroken = false;                // standard output's reader has gone
bool inputGone = false;                   // the terminal hung up or reached its end

// The self-pipe: every handler but the crash handler writes a byte to it, so
// the main loop's wait returns at once for the signal, even one that came
// just before the wait began.
int wakeRead = -1;
int wakeWrite = -1;

void wake() {
    const int savedErrno = errno;
    const char byte = 0;
    if (write(wakeWrite, &byte, 1) < 0) {
        // Full (a wake-up is pending anyway) or not open: nothing to do.
    }
    errno = savedErrno;
}

// Every signal whose default action ends the program without a core dump:
// the game restores the terminal the orderly way, as for Q, then takes that
// action. (The real-time signals join them where the system has them.)
constexpr int kQuitSignals[] = {
    SIGINT, SIGTERM, SIGHUP,    SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF,
#if defined(__linux__)
    SIGIO,  SIGPWR,  SIGSTKFLT,
#endif
};
// Those that dump core, SIGQUIT (Ctrl+\ while signal keys are on) among them:
// the program may be in any state, so the terminal is restored from inside
// the handler, then the default action takes over.
constexpr int kCrashSignals[] = {
    SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGQUIT, SIGTRAP, SIGSYS, SIGXCPU, SIGXFSZ,
#if defined(SIGEMT)
    SIGEMT,
#endif
};

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

void onQuitSignal(int sig) {
    quitSignal = sig;
    wake();
}

void onStopSignal(int) {
    stopRequested = 1;
    wake();
}

void onContinueSignal(int) {
    continued = 1;
    wake();
}

// The window changed size: the next pass's size poll finds out how.
void onResize(int) { wake(); }

void openSelfPipe() {
    int fds[2];
    if (pipe(fds) != 0) return;
    for (const int fd : fds) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    wakeRead = fds[0];
    wakeWrite = fds[1];
}

// Runs once (SA_RESETHAND): only async-signal-safe calls, then the default
// action of the same signal (core dump or termination) takes over. The modes
// go first: a write to an output past its file-size limit (SIGXFSZ) ends the
// program at once.
void onCrashSignal(int sig) {
    const int savedErrno = errno;
    termios t;
    const int fd = crashTtyFd;
    if (fd >= 0 && tcgetattr(fd, &t) == 0) {
        const termios restored = termios_modes::restoredMode(t, foundModes);
        tcsetattr(fd, TCSANOW, &restored);
    }
    if (write(STDOUT_FILENO, crashRestore, crashRestoreLength) < 0) {
        // Nothing more can be done about a broken output.
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

// A signal ignored at start (nohup, a background job without job control)
// stays ignored, as the one who started the program asked.
void watch(int sig, void (*handler)(int), int flags = SA_RESTART) {
    if (!ignoredAtStart(sig)) setAction(sig, handler, flags);
}

// The signal's default action, now, also where the game had blocked it.
void raiseDefault(int sig) {
    setAction(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
}

// A write that failed because the reader of a pipe is gone ends the game like
// a quit key (when SIGPIPE is ignored, the error arrives as EPIPE).
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

bool hasKeyboard() { return ttyFd() >= 0; }

bool keyPending() {
    pollfd p{ttyFd(), POLLIN, 0};
    // A hang-up or error counts too: the read that follows finds it out.
    return p.fd >= 0 && poll(&p, 1, 0) > 0 && p.revents != 0;
}

int readKey() {
    unsigned char byte = 0;
    ssize_t n;
    do {
        n = read(ttyFd(), &byte, 1);
    } while (n < 0 && errno == EINTR);
    if (n == 1) return byte;
    // End of input or a hung-up terminal (EIO): nothing can steer or quit the
    // game any more, so it ends as if Q had been pressed.
    if (n == 0 || errno != EAGAIN) inputGone = true;
    return -1;
}

int64_t nowNs() { return steadyClockNs(); }

// Sleeps until a key byte, a signal or the next tick: between ticks an idle
// game makes no system calls at all. Linux's ppoll takes the timeout to the
// nanosecond; elsewhere poll's is rounded up to whole milliseconds.
void waitForEvent(int64_t timeoutNs) {
    pollfd fds[2] = {{ttyFd(), POLLIN, 0}, {wakeRead, POLLIN, 0}};
    if (timeoutNs < 0) timeoutNs = 0;
#if defined(__linux__)
    const timespec timeout{static_cast<time_t>(timeoutNs / 1'000'000'000),
                           static_cast<long>(timeoutNs % 1'000'000'000)};
    const int ready = ppoll(fds, 2, &timeout, nullptr);
#else
    const int ready = poll(fds, 2, static_cast<int>((timeoutNs + 999'999) / 1'000'000));
#endif
    if (ready <= 0 || fds[1].revents == 0) return;
    char drained[64];
    while (read(wakeRead, drained, sizeof drained) > 0) {
    }
}

// Frames are not written through the C runtime's buffer: each frame reaches
// the terminal in one write however large it is, so the terminal never shows
// half a frame. Nothing to switch on here.
void enableVirtualTerminalOutput() {}

// The program writes only ASCII; there is no code page to switch.
void useUtf8() {}

void enterGameInput() {
    termios t;
    if (!readModes(t)) return;
    // After a stop from outside (kill -STOP) the modes may still be the
    // game's own; only modes with line input are a shell's to put back.
    if ((t.c_lflag & ICANON) != 0) foundModes = t;
    writeModes(termios_modes::gameMode(t));
}

void restoreInput() {
    termios t;
    if (!readModes(t)) return;
    writeModes(termios_modes::restoredMode(t, foundModes));
}

// The whole of bytes in one write where the terminal takes it, else as many
// as it needs: partial writes and interruptions go on where they stopped.
void writeOut(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd out{STDOUT_FILENO, POLLOUT, 0};  // a non-blocking output, full for now
            poll(&out, 1, -1);
        } else if (n == 0 || errno != EINTR) {
            noteOutputError();
            return;
        }
    }
}

void flushOut() {}

void watchProcessEvents() {
    crashTtyFd = ttyFd();  // opened here, never inside a handler
    joinCrashRestore();
    openSelfPipe();
    setAction(SIGWINCH, onResize);
    for (const int sig : kQuitSignals)
        watch(sig, onQuitSignal);
#if defined(SIGRTMIN)
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        watch(sig, onQuitSignal);
#endif
    watch(SIGTSTP, onStopSignal);
    watch(SIGCONT, onContinueSignal);
    // SA_NODEFER: the handler's own raise() takes the default action at once.
    for (const int sig : kCrashSignals)
        watch(sig, onCrashSignal, SA_RESETHAND | SA_NODEFER);
}

bool quitEventSeen() { return quitSignal != 0 || outputBroken || inputGone; }

bool takeStopRequest() {
    if (stopRequested == 0) return false;
    stopRequested = 0;
    return true;
}

void stopUntilContinued() {
    raiseDefault(SIGTSTP);  // the process stops here until SIGCONT (fg or bg)
    setAction(SIGTSTP, onStopSignal);
}

bool takeContinue() {
    if (continued == 0) return false;
    // Continued behind the shell (bg, or kill -CONT while the shell has the
    // terminal): stop again, as the terminal would stop the game for touching
    // its modes, rather than draw over the shell's prompt. In an orphaned
    // process group the stop is not taken; wait there for the terminal.
    while (inBackground() && quitSignal == 0) {
        raise(SIGTTOU);
        if (inBackground()) poll(nullptr, 0, 100);
    }
    continued = 0;
    return true;
}

void finishQuitEvent() {
    const int sig = quitSignal;
    if (sig == 0) return;  // no signal, or only a broken output: status 0
    raiseDefault(sig);
}

}  // namespace console
