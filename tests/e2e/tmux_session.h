// A detached tmux session, a real terminal emulator, driven from the tests:
// an interactive shell in one pane, the game started from it, and what the
// pane and the shell's files show afterwards.
#pragma once

#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Polls every 20 ms until the condition holds or the time is up.
inline bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (; !done(); std::this_thread::sleep_for(20ms))
        if (std::chrono::steady_clock::now() >= deadline) return false;
    return true;
}

// The shell runs in a private directory, which also holds the tmux server's
// socket and `game`, a script that writes its pid to the file pid and then
// becomes the game.
struct TmuxSession {
    std::string dir = "/tmp/zintarapolke-e2e-XXXXXX";

    explicit TmuxSession(int cols = 80, int rows = 24) {
        if (mkdtemp(dir.data()) == nullptr) std::abort();  // nowhere for the socket and the files
        std::ofstream(dir + "/game") << "echo $$ >pid; exec '" ZINTARAPOLKE_BINARY "'\n";
        // dash has no line editing, so the modes seen between two commands
        // are the ones the last program left.
        tmux({"new", "-d", "-c", dir, "-x", std::to_string(cols), "-y", std::to_string(rows),
              "ENV= sh -i"});
        // A trapped interrupt lets the rest of a command line run after a
        // program that died of Ctrl+C. No core files from the crash cases.
        type("trap : INT; ulimit -c 0");
    }
    // A game that outlived its test ends here; kill-server only hangs up.
    ~TmuxSession() {
        if (const pid_t pid = gamePid(0ms)) kill(pid, SIGKILL);
        tmux({"kill-server"});
        fs::remove_all(dir);
    }

    // A file in the directory, or anywhere by its absolute path.
    std::string read(const std::string& file) const {
        return {std::istreambuf_iterator<char>(std::ifstream(fs::path(dir) / file).rdbuf()), {}};
    }
    // Its standard output without the last newline.
    std::string tmux(const std::vector<std::string>& args) const {
        std::string command = "tmux -f /dev/null -S " + dir + "/socket";
        for (const std::string& arg : args)  // each in single quotes for the shell
            command += " '" + std::regex_replace(arg, std::regex("'"), "'\\''") + "'";
        command.append(" 2>/dev/null | head -c -1 >" + dir + "/.tmux");
        return std::system(command.c_str()) == 0 ? read(".tmux") : "";
    }
    // Without -t, the commands go to the one pane there is.
    void send(const std::string& key) const { tmux({"send-keys", key}); }
    void type(const std::string& line) const { tmux({"send-keys", "-l", line + "\n"}); }
    std::string screen() const { return tmux({"capture-pane", "-p"}); }
    std::string query(const std::string& format) const { return tmux({"display", "-p", format}); }

    // The job runs in the shell between two records of `stty -g`, its exit
    // status written between them; tail may continue the pipeline.
    void start(const std::string& job = "sh game", const std::string& tail = "") const {
        fs::remove(dir + "/after");  // the last file the job line writes
        type("stty -g >before; { " + job + "; echo $? >rc; }" + tail + "; stty -g >after");
    }
    // The first frame has painted the head (bright green) on the screen, or
    // in the file the game's output goes to (out, unless told otherwise).
    bool playing(const std::string& frames = "out") const {
        const auto painted = [&] { return tmux({"capture-pane", "-p", "-e"}) + read(frames); };
        return waitUntil([&] { return painted().find("\x1b[102m") != std::string::npos; });
    }
    // The pid that `game` wrote, once that process runs the game, else 0: a
    // missing pid must never become kill(0, ...), the test's own process
    // group, nor a stale one somebody else's process.
    pid_t gamePid(std::chrono::milliseconds patience = 5s) const {
        const auto pid = [this] { return std::atoi(read("pid").c_str()); };
        const auto exe = [&] { return fs::path("/proc") / std::to_string(pid()) / "exe"; };
        std::error_code none;  // no such process; /proc/0 does not exist either
        const auto isGame = [&] { return equivalent(exe(), ZINTARAPOLKE_BINARY, none); };
        return waitUntil(isGame, patience) ? pid() : 0;
    }
    void signal(int sig) const {
        const pid_t pid = gamePid();
        EXPECT_TRUE(pid > 0 && kill(pid, sig) == 0) << "no game to signal";
    }

    // Once the job has ended: its status, the modes as the shell had them
    // before, the main screen back and the cursor shown.
    void expectRestored(const std::string& status) const {
        ASSERT_TRUE(waitUntil([&] { return read("after").ends_with('\n'); })) << screen();
        EXPECT_EQ(read("rc"), status + "\n");
        EXPECT_EQ(read("after"), read("before"));
        const std::string screenState = "alternate #{alternate_on} cursor #{cursor_flag}";
        waitUntil([&] { return query(screenState) == "alternate 0 cursor 1"; });
        EXPECT_EQ(query(screenState), "alternate 0 cursor 1");
    }
};
