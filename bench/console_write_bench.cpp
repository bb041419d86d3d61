// Frames through the real POSIX console layer into a pseudo-terminal, read on
// its far side by a thread as a terminal emulator would read them. The binary
// is linked with --wrap=write: every write() the program's own objects make
// (the console layer's among them; not the C library's or Google Benchmark's)
// passes through __wrap_write below and is counted. So "writes" is how many
// write() calls one frame took on its way to a real terminal, up to a full
// redraw of a 400 x 120 console under a snake that fills the board. The times
// include the kernel's copying into the pseudo-terminal. Numbers only.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "app/game_app.h"
#include "bench_setup.h"
#include "board_cycle.h"
#include "console/console.h"

extern "C" ssize_t __real_write(int fd, const void* data, size_t size);

namespace {

uint64_t writesToStdout = 0;
uint64_t bytesToStdout = 0;

}  // namespace

extern "C" ssize_t __wrap_write(int fd, const void* data, size_t size) {
    const ssize_t n = __real_write(fd, data, size);
    if (fd == STDOUT_FILENO) {
        ++writesToStdout;
        if (n > 0) bytesToStdout += static_cast<uint64_t>(n);
    }
    return n;
}

namespace {

// A pseudo-terminal of the given size in place of standard output while it
// lives. The benchmark's own report goes out after, through the real output.
struct PtyOutput {
    int master = -1;
    int slave = -1;
    int savedStdout = -1;
    std::thread reader;

    PtyOutput(int32_t cols, int32_t rows) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        slave = open(ptsname(master), O_RDWR | O_NOCTTY);
        if (slave < 0) return;
        winsize size{};
        size.ws_col = static_cast<unsigned short>(cols);
        size.ws_row = static_cast<unsigned short>(rows);
        ioctl(slave, TIOCSWINSZ, &size);
        // Reads until the last descriptor of the slave side is closed (EIO).
        reader = std::thread([fd = master] {
            static char sink[1 << 16];
            while (read(fd, sink, sizeof sink) > 0) {
            }
        });
        std::cout.flush();
        std::fflush(stdout);
        savedStdout = dup(STDOUT_FILENO);
        dup2(slave, STDOUT_FILENO);
    }

    ~PtyOutput() {
        if (savedStdout >= 0) {
            dup2(savedStdout, STDOUT_FILENO);
            close(savedStdout);
        }
        if (slave >= 0) close(slave);
        if (reader.joinable()) reader.join();
        if (master >= 0) close(master);
    }

    bool ready() const { return savedStdout >= 0; }
};

// Runs frame() as the timed loop with standard output on a pseudo-terminal of
// the setup's size, the snake laid along the board's cycle, and reports the
// write() calls and bytes per frame.
template <typename Frame>
void timeFrames(benchmark::State& state, Frame frame) {
    const Setup setup = setupOf(state);
    const PtyOutput pty(setup.cols, setup.rows);
    if (!pty.ready()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const BoardCycle cycle(setup.cols / 2, setup.rows - 1);
    GameApp app;
    app.pollTerminalSize();  // the pseudo-terminal's size, through the real console
    layAlong(app.game, cycle, setup.segments);
    app.fullRedraw = true;
    app.render();
    if (writesToStdout == 0) {
        state.SkipWithError("write() is not wrapped: nothing counted");
        return;
    }
    const uint64_t writes = writesToStdout;
    const uint64_t bytes = bytesToStdout;
    for (auto _ : state)
        frame(app, cycle);
    perIteration(state, "writes", static_cast<double>(writesToStdout - writes));
    perIteration(state, "bytes", static_cast<double>(bytesToStdout - bytes));
}

void BM_RealConsoleFullFrame(benchmark::State& state) {
    timeFrames(state, [](GameApp& app, const BoardCycle&) {
        app.fullRedraw = true;
        app.render();
    });
}

// A whole pass with one tick due, on the real clock: the schedule is started
// now with a full tick already counted, so the pass ticks exactly once.
void BM_RealConsolePass(benchmark::State& state) {
    TickSchedule schedule;
    timeFrames(state, [&schedule](GameApp& app, const BoardCycle& cycle) {
        schedule.start(console::nowNs());
        schedule.tickAccumulatorMs = kTickMs;
        app.game.direction = cycle.wayFrom(app.game.body.front());
        app.runPass(schedule);
    });
}

BENCHMARK(BM_RealConsolePass)->Apply(growingSnakes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealConsoleFullFrame)->Apply(fullFrames);

}  // namespace
