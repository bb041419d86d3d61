// A detached tmux session, a real terminal emulator, driven from the tests:
// an interactive shell in one pane whose screen, modes and files they inspect.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using Pos = std::pair<int, int>;  // column and row, 0-based

// Where an SGR sequence such as "\x1b[102m" first occurs in capture-pane -e
// output: the position of the character it paints.
std::optional<Pos> findSgr(const std::string& capture, const std::string& sgr);

struct TmuxSession {
    std::string dir;   // private temporary directory: the server's socket and the shell's files
    std::string name;  // the session, unique like dir

    // A POSIX shell without line editing, in a window of the given size on a
    // tmux server of its own.
    TmuxSession(int cols, int rows);
    ~TmuxSession();

    std::string tmux(const std::vector<std::string>& args) const;  // its standard output
    // send-keys: key names such as C-c or Left, or -H and bytes in hex, or -l and text.
    void send(std::vector<std::string> keys) const {
        keys.insert(keys.begin(), {"send-keys", "-t", name});
        tmux(keys);
    }
    void typeLine(const std::string& line) const {
        send({"-l", line});
        send({"Enter"});
    }
    void resize(int cols, int rows) const {
        tmux({"resize-window", "-t", name, "-x", std::to_string(cols), "-y", std::to_string(rows)});
    }
    // The visible screen, with -e its colours too.
    std::string screen(bool colours = false) const {
        std::vector<std::string> args{"capture-pane", "-p", "-t", name};
        if (colours) args.push_back("-e");
        return tmux(args);
    }
    std::string query(const std::string& format) const;  // display-message -p, one line

    // The text of a file in dir once it is complete (ends in a newline).
    std::optional<std::string> waitForFile(const std::string& file) const;
    void removeFiles(const std::vector<std::string>& files) const;
};

// Polls every 20 ms until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));
