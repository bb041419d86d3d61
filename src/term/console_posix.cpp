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

void onQuitSignal(int sig) { quitSignal = sig; }

void onStopSignal(int) { stopRequested = 1; }

void onContinueSignal(int) { continued = 1; }

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

// A write or flush that failed because the reader of a pipe is gone ends the
// game like a quit key (when SIGPIPE is ignored, the error arrives as EPIPE).
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

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void waitForEvent(int64_t) { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

// Terminals here take escape sequences as they are. What they do need is a
// frame in one piece: a standard output buffer that holds a whole frame lets
// each flush hand it over in one write, so the terminal never shows half a
// frame. Set once, before anything is written (a resume calls this again).
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

void writeOut(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) noteOutputError();
}

void flushOut() {
    if (std::fflush(stdout) != 0) noteOutputError();
}

void watchProcessEvents() {
    crashTtyFd = ttyFd();  // opened here, never inside a handler
    joinCrashRestore();
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
