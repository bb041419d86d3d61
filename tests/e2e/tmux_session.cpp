#include "tmux_session.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

// One argument for sh -c, in single quotes.
std::string quoted(const std::string& arg) {
    std::string out = "'";
    for (const char c : arg)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

// A line of the capture is its characters with SGR sequences between them.
std::optional<Pos> findSgr(const std::string& capture, const std::string& sgr) {
    std::istringstream lines(capture);
    int row = 0;
    for (std::string line; std::getline(lines, line); ++row) {
        const size_t at = line.find(sgr);
        if (at == std::string::npos) continue;
        int col = 0;
        for (size_t i = 0; i < at; ++i) {
            if (line[i] == '\x1b')
                i = line.find('m', i);
            else
                ++col;
        }
        return Pos(col, row);
    }
    return std::nullopt;
}

TmuxSession::TmuxSession(int cols, int rows) {
    char pattern[] = "/tmp/zintarapolke-e2e-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();  // no place for the socket
    dir = pattern;
    name = std::filesystem::path(dir).filename();
    // dash has no line editing, so the modes seen between two commands are
    // the ones the last program left.
    tmux({"new-session", "-d", "-s", name, "-x", std::to_string(cols), "-y", std::to_string(rows),
          "env PS1='$ ' ENV= sh -i"});
    // A trapped interrupt lets the rest of a command line run after a program
    // that died of Ctrl+C. No core files from the crash cases.
    typeLine("trap : INT; ulimit -c 0");
}

TmuxSession::~TmuxSession() {
    tmux({"kill-session", "-t", name});
    std::filesystem::remove_all(dir);
}

std::string TmuxSession::tmux(const std::vector<std::string>& args) const {
    std::string command = "tmux -f /dev/null -S " + quoted(dir + "/socket");
    for (const auto& arg : args)
        command += " " + quoted(arg);
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

std::string TmuxSession::query(const std::string& format) const {
    std::string out = tmux({"display-message", "-p", "-t", name, format});
    return out.substr(0, out.find('\n'));
}

std::optional<std::string> TmuxSession::waitForFile(const std::string& file) const {
    std::string text;
    const bool complete = waitUntil([&] {
        std::ifstream in(dir + "/" + file);
        text.assign(std::istreambuf_iterator<char>(in), {});
        return !text.empty() && text.back() == '\n';
    });
    return complete ? std::optional(text) : std::nullopt;
}

void TmuxSession::removeFiles(const std::vector<std::string>& files) const {
    for (const auto& file : files)
        std::filesystem::remove(dir + "/" + file);
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
