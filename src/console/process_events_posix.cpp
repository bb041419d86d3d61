// The console layer on Linux and macOS, its process half: the signals that
// end, stop, continue and resize the game, turned into flags for the main
// loop, and the stops the game takes itself. The terminal is the other half
// (console_posix.cpp).
//
// A stop, from the suspend key or from outside, always stops the game's
// whole process group, as the terminal's own suspend would: a parent in the
// same group (make, a script, `sh -c`) stops with it, so the shell sees the
// job stop, and its fg continues all of it. The order of events this guards
// against is told where each step is taken.
#include <fcntl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "console/console.h"
#include "console/posix_console.h"
#include "console/steady_clock.h"
#include "console/vt.h"

namespace {

// ===================== Flags ==============================================

// Written by the handlers, read by the main loop. Handlers do nothing else,
// but for the quit handler's unblocking of a write under way and the crash
// handler's restore, so nothing is drawn or allocated in them.
volatile sig_atomic_t quitSignal = 0;   // a signal that ends the program, once seen
volatile sig_atomic_t stopRequest = 0;  // SIGTSTP from outside, or the suspend key
volatile sig_atomic_t continued = 0;    // SIGCONT
volatile sig_atomic_t resized = 1;      // SIGWINCH; at the start the size is not known
bool tstpIgnored = false;               // by whoever started the game: no stops
bool ttouIgnored = false;

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

// ===================== Signals ============================================

// Every signal whose default action ends the program without a core dump:
// the game restores the terminal the orderly way, as for Q, then takes that
// action. (Linux's own signals join them there, and the real-time signals
// wherever the system has them.)
constexpr int kQuitSignals[] = {
    SIGINT, SIGTERM, SIGHUP,    SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF,
#if defined(ZINTARAPOLKE_LINUX)
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

// The first signal decides how the program ends; a later one only hurries it.
void onQuitSignal(int sig) {
    if (quitSignal == 0) quitSignal = sig;
    posix_console::unblockPendingWrite();
    wake();
}

// The latest of a stop and a continue wins: a continue that arrives before
// the game has stopped itself ends that stop.
void onStopSignal(int) {
    stopRequest = 1;
    continued = 0;
    wake();
}

void onContinueSignal(int) {
    continued = 1;
    stopRequest = 0;
    resized = 1;  // while the game was stopped, SIGWINCH went to the shell
    wake();
}

void onResize(int) {
    resized = 1;
    wake();
}

// Runs once (SA_RESETHAND), with SIGTTOU held off so that a crash behind the
// shell still restores: only async-signal-safe calls, then the default
// action of the same signal (core dump or termination) takes over, within a
// second whatever the output does. It gives back only what the game still
// holds: after Ctrl+Z the terminal is the shell's, and nothing is written to
// it. The modes go first: a write to an output past its file-size limit
// (SIGXFSZ) ends the program at once.
void onCrashSignal(int sig) {
    const int savedErrno = errno;
    const bool held = posix_console::restoreFoundModes();
    posix_console::writeCrashRestore(held ? std::string_view{crashRestore, crashRestoreLength}
                                          : std::string_view{});
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
    if (handler == onCrashSignal) {
        sigaddset(&action.sa_mask, SIGTTOU);
    } else {
        // One recording handler never interrupts another halfway: a stop
        // that cut into a continue's handler would leave neither recorded.
        // (No effect with SIG_DFL or SIG_IGN.)
        for (const int held : {SIGTSTP, SIGCONT, SIGWINCH})
            sigaddset(&action.sa_mask, held);
    }
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

// ===================== Stops ==============================================

// Whoever started the game can stop it: SIGTSTP is not ignored, and the
// game's process group is not its session leader's. That group (xterm -e,
// ssh -t, tmux new, a desktop launcher) is orphaned: the kernel discards a
// stop sent to it, and no shell could continue it. There the suspend key
// does nothing, and the game plays on in game mode.
bool canStop() { return !tstpIgnored && getpgrp() != getsid(0); }

// Stops the whole process group with sig's default action and returns once
// continued, or at once where a continue came first or where the kernel
// discards the stop (another orphaned group): the caller then goes on as if
// continued. The signal is held off from before its default action is set
// until the whole group has been sent it: a stop from outside that comes
// meanwhile is the same stop, not one that stops the game alone before its
// kill, which the next continue would then run straight into.
//
// While the signal is held off, a continue from outside discards it (the
// kernel drops a pending stop when SIGCONT is sent). One that came after the
// test of continued but before the kill did not: it is seen after the kill,
// and the held stop is dropped by hand, and the rest of the group, which the
// kill stopped, is continued. Without that, such a continue (the shell's fg
// landing just then) would be lost, and the job would stop again at once.
void stopGroup(int sig) {
    if (sig == SIGTTOU ? ttouIgnored : tstpIgnored) return;
    sigset_t held, before;
    sigemptyset(&held);
    sigaddset(&held, sig);
    sigprocmask(SIG_BLOCK, &held, &before);
    if (continued == 0) {
        setAction(sig, SIG_DFL);
        kill(0, sig);
        if (continued != 0) {
            setAction(sig, SIG_IGN);  // drops the held stop
            kill(0, SIGCONT);
        }
        sigprocmask(SIG_SETMASK, &before, nullptr);  // stopped here until continued
        sigprocmask(SIG_BLOCK, &held, nullptr);
        setAction(sig, sig == SIGTSTP ? onStopSignal : SIG_DFL);
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
}

// A continue may come before the shell has taken the terminal after the
// stop it ends: the shell noticed the stop (SIGSTOP from outside) and takes
// the terminal a moment later, while the game, continued, already found
// itself in the foreground. For a while after each continue, every pass looks
// again (one call more), and a game found behind the shell stops as if
// continued there.
constexpr int64_t kWatchAfterContinueNs = 2'000'000'000;
int64_t watchForegroundUntilNs = 0;

}  // namespace

// ===================== Shared with the terminal ===========================

namespace posix_console {

bool quitSignalSeen() { return quitSignal != 0; }

int wakeFd() { return wakeRead; }

void drainWakeups() {
    char drained[64];
    while (read(wakeRead, drained, sizeof drained) == sizeof drained) {
    }
}

bool takeResize() {
    if (resized == 0) return false;
    resized = 0;  // before the size is asked: a resize during the ask is seen next pass
    return true;
}

void requestStop() {
    stopRequest = 1;
    continued = 0;
}

bool stopRequested() { return stopRequest != 0; }

// Continued behind the shell (bg, or kill -CONT while the shell has the
// terminal), the game stops its group again, as the terminal would stop it
// for touching its modes, rather than draw over the shell's prompt. Where
// that stop is discarded (an orphaned group), it waits for the terminal,
// looking again every 100 ms or at any signal.
//
// A continue is forgotten only before the test for the foreground, never
// after it: the shell's fg gives the terminal before it continues, so one
// that comes after the test is seen by the stop, which then does not stop.
void stopWhileInBackground() {
    while (quitSignal == 0) {
        continued = 0;
        if (!inBackground()) return;
        stopGroup(SIGTTOU);
        if (continued != 0) continue;
        const timespec pause{0, 100'000'000};
        nanosleep(&pause, nullptr);
    }
}

}  // namespace posix_console

// ===================== The console operations =============================

namespace console {

void watchProcessEvents() {
    posix_console::ttyFd();  // opened here, never inside a handler
    joinCrashRestore();
    openSelfPipe();
    setAction(SIGWINCH, onResize);
    // Without SA_RESTART: a write that the output does not take is
    // interrupted, so the game can end even then.
    for (const int sig : kQuitSignals)
        watch(sig, onQuitSignal, 0);
#if defined(SIGRTMIN)  // the real-time signals, where the system has them
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        watch(sig, onQuitSignal, 0);
#endif
    tstpIgnored = ignoredAtStart(SIGTSTP);
    ttouIgnored = ignoredAtStart(SIGTTOU);
    watch(SIGTSTP, onStopSignal);
    watch(SIGCONT, onContinueSignal);
    // SA_NODEFER: the handler's own raise() takes the default action at once.
    for (const int sig : kCrashSignals)
        watch(sig, onCrashSignal, SA_RESETHAND | SA_NODEFER);
}

bool takeStopRequest() {
    if (stopRequest == 0) return false;
    stopRequest = 0;
    return canStop();
}

// Called with the terminal restored. The stop may race with the rest of the
// job: a SIGTSTP from outside (kill -TSTP %1) stops a parent at once, and the
// shell may take the terminal before the game has restored it; the restore
// holds off SIGTTOU, so it is never left half done. A continue (fg) may come
// before this stop: it ends the stop, and the game goes on (stopGroup tells
// how one that lands during the stop is not lost either).
void stopUntilContinued() { stopGroup(SIGTSTP); }

bool takeContinue() {
    if (continued == 0) {
        if (steadyClockNs() >= watchForegroundUntilNs || !posix_console::inBackground())
            return false;
    }
    // Forgets this continue, and the one that brings it to the foreground.
    posix_console::stopWhileInBackground();
    watchForegroundUntilNs = steadyClockNs() + kWatchAfterContinueNs;
    return true;
}

void finishQuitEvent() {
    const int sig = quitSignal;
    if (sig == 0) return;  // no signal, or only a broken output: status 0
    raiseDefault(sig);
}

}  // namespace console
