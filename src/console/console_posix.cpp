// The console layer on Linux and macOS, its terminal half: the controlling
// terminal's modes, keys and size, standard output, and the wait between
// passes. Signals and stops are the other half (process_events_posix.cpp).
//
// An idle pass costs two system calls: the wait, which also says whether a
// key is pending, and the frame's write. The size is asked only when
// SIGWINCH says it may have changed.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "console/console.h"
#include "console/posix_console.h"
#include "console/steady_clock.h"
#include "console/termios_modes.h"

namespace {

// ===================== Waiting on descriptors =============================

// Waits until fds[i] is ready to read (or, with forWrite, to write), for
// timeoutNs at most (not negative), and fills ready[i].
// Returns the number ready, 0 at the timeout, -1 when a signal interrupted
// the wait. Negative descriptors are left out.
int waitReady(const int (&fds)[2], bool (&ready)[2], bool forWrite, int64_t timeoutNs) {
    ready[0] = ready[1] = false;
#if defined(ZINTARAPOLKE_LINUX)
    // ppoll takes the timeout to the nanosecond: the wait ends at the tick.
    const short event = forWrite ? POLLOUT : POLLIN;
    pollfd p[2] = {{fds[0], event, 0}, {fds[1], event, 0}};
    const timespec timeout{static_cast<time_t>(timeoutNs / 1'000'000'000),
                           static_cast<long>(timeoutNs % 1'000'000'000)};
    const int n = ppoll(p, 2, &timeout, nullptr);
    // A hang-up or an error counts too: the call that follows finds it out.
    ready[0] = n > 0 && p[0].revents != 0;
    ready[1] = n > 0 && p[1].revents != 0;
    return n;
#else
    // macOS's poll() rejects terminals (POLLNVAL at once), select() takes
    // them, on the BSDs as well. A descriptor beyond FD_SETSIZE cannot go in
    // an fd_set: then a short sleep, and every descriptor counts as ready,
    // which the non-blocking calls that follow can afford.
    fd_set set;
    FD_ZERO(&set);
    int top = -1;
    for (const int fd : fds) {
        if (fd < 0) continue;
        if (fd >= FD_SETSIZE) {
            const timespec nap{0, static_cast<long>(std::min<int64_t>(timeoutNs, 10'000'000))};
            nanosleep(&nap, nullptr);
            ready[0] = fds[0] >= 0;
            ready[1] = fds[1] >= 0;
            return 1;
        }
        FD_SET(fd, &set);
        top = std::max(top, fd);
    }
    // Rounded up to whole microseconds: waking before the tick costs a pass.
    const int64_t us = (timeoutNs + 999) / 1000;
    timeval timeout{static_cast<time_t>(us / 1'000'000), static_cast<suseconds_t>(us % 1'000'000)};
    const int n =
        select(top + 1, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr, &timeout);
    ready[0] = n > 0 && fds[0] >= 0 && FD_ISSET(fds[0], &set);
    ready[1] = n > 0 && fds[1] >= 0 && FD_ISSET(fds[1], &set);
    return n;
#endif
}

// ===================== The controlling terminal ==========================

// Keys come from the controlling terminal, not standard input, so they are
// still read from the console when input or output is redirected (as the
// Windows console reads keys). This is the game's own open of it,
// non-blocking, so a wait that reports a key where there is none can never
// block the game in read; the shell's descriptors and their flags are not
// touched. Opened once and kept for the program's life.
int openTty() { return open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK); }

// The terminal's whole state as the game found it, taken at the first entry
// to game mode and put back exactly by every restore. It is never taken
// again: after a stop from outside the terminal still has the game's modes.
termios foundModes{};
volatile sig_atomic_t foundModesFd = -1;  // set once foundModes holds them
// The game's modes are on the terminal: from the entry to game mode to the
// restore. Only then has a restore anything to give back.
volatile sig_atomic_t gameModesOn = 0;
// The game's modes as the terminal took them, read back after each entry.
termios gameModes{};

// ===================== Keys ===============================================

// Key bytes read from the terminal and not yet handed out: one read takes a
// whole burst (an arrow's three bytes, a paste).
unsigned char keyBuffer[64];
std::size_t keyNext = 0;
std::size_t keyEnd = 0;
// The last wait found the terminal readable, or did not say: only then is a
// read tried, so a pass without a key makes no call for keys.
bool ttyMayBeReadable = true;
bool inputGone = false;  // the terminal hung up or reached its end

void readKeyBurst() {
    const ssize_t n = read(posix_console::ttyFd(), keyBuffer, sizeof keyBuffer);
    keyNext = 0;
    keyEnd = n > 0 ? static_cast<std::size_t>(n) : 0;
    ttyMayBeReadable = keyEnd == sizeof keyBuffer;  // a full buffer may have left more
    // End of input or a hung-up terminal (EIO): nothing can steer or quit the
    // game any more, so it ends as if Q had been pressed.
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        inputGone = true;
}

// ===================== Window size ========================================

// SIGWINCH goes to the controlling terminal's foreground: while standard
// output is that terminal, the size is asked only after one. Another terminal
// sends the game none, so its size is asked every pass, and the wait ends at
// least every kOtherTerminalWaitNs to see a resize about as soon. Output to a
// file or a pipe has no size.
enum class Output { ControllingTerminal, OtherTerminal, NoTerminal };
constexpr int64_t kOtherTerminalWaitNs = 20'000'000;

Output outputKind() {
    static const Output kind = !isatty(STDOUT_FILENO)                 ? Output::NoTerminal
                               : tcgetsid(STDOUT_FILENO) == getsid(0) ? Output::ControllingTerminal
                                                                      : Output::OtherTerminal;
    return kind;
}

console::WindowSize knownSize = console::kFallbackSize;

// ===================== Output =============================================

bool outputBroken = false;  // standard output's reader has gone

// The output takes nothing for now (a non-blocking one).
bool outputFull() { return errno == EAGAIN || errno == EWOULDBLOCK; }

// The restore may run behind the shell: after a stop from outside, or ended
// while stopped. Touching the terminal from there would stop the game halfway
// through (SIGTTOU); held off, the restore always runs to its end.
sigset_t maskBeforeRestore;

// Once a quit signal has arrived, standard output is made non-blocking, so
// that the game ends even when the output takes nothing (a pipe whose reader
// stopped reading, a frozen terminal). Its flags are shared with the shell,
// so they are put back as found before the program ends.
volatile sig_atomic_t writingOut = 0;         // from writeOut's test for a quit signal to its end
volatile sig_atomic_t outputFlagsFound = -1;  // set while the game has made the output non-blocking

void makeOutputNonBlocking() {
    if (outputFlagsFound >= 0) return;
    const int flags = fcntl(STDOUT_FILENO, F_GETFL);
    if (flags < 0 || (flags & O_NONBLOCK) != 0) return;
    if (fcntl(STDOUT_FILENO, F_SETFL, flags | O_NONBLOCK) == 0) outputFlagsFound = flags;
}

// What the output does not take within half a second of the quit signal, or
// of the start of the restore if that came later, is given up; once given
// up, later writes wait no more.
constexpr int64_t kLeavingWaitNs = 500'000'000;
constexpr int64_t kNotYet = -1;
int64_t quitSeenNs = kNotYet;  // when a write first saw the quit signal
int64_t restoreBeganNs = kNotYet;
bool outputGivenUp = false;

// Writes BYTES to the non-blocking output, waiting for room until DEADLINE;
// false when the output was still full then. An output that fails otherwise
// takes nothing more, and the rest is dropped.
bool writeUntil(std::string_view bytes, int64_t deadline) {
    bool ready[2];
    while (!bytes.empty()) {
        const ssize_t n = write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0 || (errno != EINTR && !outputFull())) return true;
        const int64_t left = deadline - steadyClockNs();
        if (left <= 0) return false;
        if (outputFull()) waitReady({STDOUT_FILENO, -1}, ready, true, left);
    }
    return true;
}

void writeBeforeLeaving(std::string_view bytes) {
    makeOutputNonBlocking();
    if (quitSeenNs == kNotYet) quitSeenNs = steadyClockNs();
    const int64_t deadline =
        outputGivenUp ? 0 : std::max(quitSeenNs, restoreBeganNs) + kLeavingWaitNs;
    if (!writeUntil(bytes, deadline)) outputGivenUp = true;
}

void giveBackOutputFlags() {
    if (outputFlagsFound < 0) return;
    fcntl(STDOUT_FILENO, F_SETFL, outputFlagsFound);
    outputFlagsFound = -1;
}

// A non-blocking output (made so by whoever started the game) that is full:
// the wait looks again for a quit signal now and then, since one that came
// just before it would not end it.
constexpr int64_t kFullOutputRecheckNs = 100'000'000;

}  // namespace

// ===================== Shared with the process events =====================

namespace posix_console {

int ttyFd() {
    static const int fd = openTty();
    return fd;
}

bool inBackground() {
    const pid_t foreground = tcgetpgrp(ttyFd());
    return foreground != -1 && foreground != getpgrp();
}

bool restoreFoundModes() {
    if (gameModesOn == 0) return false;
    gameModesOn = 0;
    // A second game started in the same terminal while this one played (the
    // other side of a pipe) found this one's modes and took them for the
    // terminal's own. Whichever ends first puts back the modes found before
    // both; the other then finds modes that are no longer its own, and
    // leaves them as they are.
    // Zeroed first: musl's tcgetattr leaves the control characters past the
    // kernel's 19 as they were, which here must match gameModes' zeros.
    termios now{};
    if (tcgetattr(foundModesFd, &now) != 0 || termios_modes::sameModes(now, gameModes))
        tcsetattr(foundModesFd, TCSANOW, &foundModes);
    return true;
}

void unblockPendingWrite() {
    if (writingOut != 0) makeOutputNonBlocking();
}

void writeCrashRestore(std::string_view bytes) {
    if (!bytes.empty()) makeOutputNonBlocking();
    writeUntil(bytes, steadyClockNs() + kLeavingWaitNs);
    giveBackOutputFlags();
}

}  // namespace posix_console

// ===================== The console operations =============================

namespace console {

WindowSize windowSize() {
    const Output kind = outputKind();
    if (kind == Output::NoTerminal) return kFallbackSize;
    if (kind == Output::ControllingTerminal && !posix_console::takeResize()) return knownSize;
    winsize ws{};
    // A terminal that was never told its size (a serial line, a bare pty)
    // reports 0 x 0; that is as unknown as a failed query.
    const bool known = ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0;
    knownSize = known ? WindowSize{ws.ws_col, ws.ws_row} : kFallbackSize;
    return knownSize;
}

bool hasKeyboard() { return posix_console::ttyFd() >= 0; }

bool keyPending() {
    if (keyNext == keyEnd && ttyMayBeReadable && !inputGone) readKeyBurst();
    return keyNext < keyEnd;
}

int readKey() {
    if (keyNext == keyEnd) return -1;
    const unsigned char key = keyBuffer[keyNext++];
    if (foundModesFd < 0 || !termios_modes::suspends(foundModes, key)) return key;
    // The suspend key: no game key, and what was typed after it goes, as the
    // terminal's own suspend would flush it.
    keyNext = keyEnd;
    posix_console::requestStop();
    return -1;
}

int64_t nowNs() { return steadyClockNs(); }

// Sleeps until a key byte, a signal or the timeout (the next tick): between
// ticks an idle game makes no system call.
void waitForEvent(int64_t timeoutNs) {
    if (posix_console::stopRequested()) return;  // the suspend key, read in this pass
    timeoutNs = std::max<int64_t>(timeoutNs, 0);
    if (outputKind() == Output::OtherTerminal)
        timeoutNs = std::min(timeoutNs, kOtherTerminalWaitNs);
    bool ready[2];
    const int n =
        waitReady({posix_console::ttyFd(), posix_console::wakeFd()}, ready, false, timeoutNs);
    // Interrupted by a signal, the wait says nothing of the terminal: look.
    ttyMayBeReadable = n < 0 || ready[0];
    if (n < 0 || ready[1]) posix_console::drainWakeups();
}

// Frames are not written through the C runtime's buffer: each frame reaches
// the terminal in one write however large it is, so the terminal never shows
// half a frame. Nothing to switch on here.
void enableVirtualTerminalOutput() {}

// The program writes only ASCII; there is no code page to switch.
void useUtf8() {}

bool enterGameInput() {
    const int fd = posix_console::ttyFd();
    if (foundModesFd < 0) {
        // Started behind the shell (`zintarapolke &`), the terminal may have
        // the shell's line-editing modes: the ones to keep are those it
        // gives the game in the foreground.
        posix_console::stopWhileInBackground();
        // Ended while it waited (kill %1, timeout): it never had the
        // terminal, so it reads, writes and changes nothing of it.
        if (posix_console::quitSignalSeen()) return false;
        if (tcgetattr(fd, &foundModes) != 0) return true;
        foundModesFd = fd;
    }
    // Ended while stopped, before it took the terminal back.
    if (posix_console::quitSignalSeen()) return false;
    // From behind the shell, the terminal stops the job here (SIGTTOU) until
    // it is in the foreground again.
    gameModes = termios_modes::gameMode(foundModes);
    gameModesOn = 1;
    tcsetattr(fd, TCSANOW, &gameModes);
    tcgetattr(fd, &gameModes);  // the terminal may keep some bits as they were
    return true;
}

void restoreInput() { posix_console::restoreFoundModes(); }

void beginRestore() {
    restoreBeganNs = steadyClockNs();
    sigset_t ttou;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigprocmask(SIG_BLOCK, &ttou, &maskBeforeRestore);
}

// The restore is the last thing written, whatever way the game ends (Q, a
// signal, an exception unwinding): standard output's flags go back here.
void endRestore() {
    giveBackOutputFlags();
    sigprocmask(SIG_SETMASK, &maskBeforeRestore, nullptr);
}

// The whole of bytes in one write where the output takes it, else as many as
// it needs: partial writes and interruptions go on where they stopped. A
// signal that ends the game interrupts a write the output does not take, and
// one that comes just before the write makes it return at once.
void writeOut(std::string_view bytes) {
    writingOut = 1;
    bool ready[2];
    while (!bytes.empty()) {
        if (posix_console::quitSignalSeen()) {
            writeBeforeLeaving(bytes);
            break;
        }
        const ssize_t n = write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && outputFull()) {
            waitReady({STDOUT_FILENO, -1}, ready, true, kFullOutputRecheckNs);
        } else if (n == 0 || errno != EINTR) {
            // The reader of a pipe has gone: the game ends as for Q (when
            // SIGPIPE is ignored, this error is all that comes). A write that
            // took nothing without an error set no errno to look at.
            if (n < 0 && errno == EPIPE) outputBroken = true;
            break;
        }
    }
    writingOut = 0;
}

void flushOut() {}

bool quitEventSeen() { return posix_console::quitSignalSeen() || outputBroken || inputGone; }

}  // namespace console
