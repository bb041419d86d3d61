#include "fake_console.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "app/game_app.h"

namespace {

int64_t msToNs(const std::string& ms) { return std::llround(std::stod(ms) * 1e6); }

// One transcript line: the time in milliseconds, right-aligned, then the
// call, then its bytes with ESC as \e, a backslash as \\ and every other byte
// outside printable ASCII as \xNN.
void log(std::string_view what, std::string_view bytes = {}) {
    std::string& out = fakeConsole().transcript;
    char text[32];
    std::snprintf(text, sizeof text, "%8g ", static_cast<double>(fakeConsole().nowNs) / 1e6);
    out.append(text).append(what).append(bytes.empty() ? "" : " ");
    for (const unsigned char c : bytes) {
        std::snprintf(text, sizeof text, c == 0x1b ? "\\e" : c == '\\' ? "\\\\" : "\\x%02X", c);
        out += c >= 0x20 && c < 0x7F && c != '\\' ? std::string(1, static_cast<char>(c)) : text;
    }
    out += '\n';
}

void applyEvent(const std::string& event) {
    FakeConsole& f = fakeConsole();
    log(std::string("< ").append(event));
    const std::string kind = event.substr(0, event.find(' '));
    const std::string arg = event.substr(std::min(event.size(), kind.size() + 1));
    if (kind == "seed") {
        f.seed = static_cast<uint32_t>(std::stoul(arg));
    } else if (kind == "pass") {
        f.passNs = msToNs(arg);
    } else if (kind == "keys" && arg.find('\\') == arg.npos) {  // no escapes: letters
        f.keys.insert(f.keys.end(), arg.begin(), arg.end());
    } else if (kind == "size") {
        f.size.reset();
        if (arg != "none") f.size = {std::stoi(arg), std::stoi(arg.substr(arg.find('x') + 1))};
    } else if (kind == "stall") {
        f.nowNs += msToNs(arg);
    } else if (kind == "read") {
        f.readCostNs = msToNs(arg);
    } else if (kind == "stop" || kind == "continue" || kind == "signal") {
        (kind == "stop" ? f.stopRequest : kind == "continue" ? f.continued : f.quitEvent) = true;
    } else {
        throw std::invalid_argument(std::string("unknown event: ").append(event));
    }
}

}  // namespace

FakeConsole& fakeConsole() {
    static FakeConsole fake;
    return fake;
}

std::string playSession(const std::string& script) {
    fakeConsole() = {};
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        if (!std::isdigit(static_cast<unsigned char>(line[0])))
            applyEvent(line);
        else
            fakeConsole().events.emplace(msToNs(line), line.substr(line.find(' ') + 1));
    }
    GameApp app;
    app.game.rng.seed(fakeConsole().seed);
    app.run();
    return fakeConsole().transcript;
}

namespace console {

WindowSize windowSize() {
    if (fakeConsole().throwOnWindowSize) throw std::runtime_error("window size");
    return fakeConsole().size.value_or(kFallbackSize);
}

bool hasKeyboard() { return !fakeConsole().noKeyboard; }
bool keyPending() { return !fakeConsole().keys.empty(); }

int readKey() {
    fakeConsole().nowNs += fakeConsole().readCostNs;
    const int key = fakeConsole().keys.front();
    fakeConsole().keys.pop_front();
    return key;
}

int64_t nowNs() { return fakeConsole().nowNs; }

// Wakes at the timeout or at the next scripted event, whichever is first
// (with passNs, after exactly passNs), then applies the events now due. A
// run that outlasts its events by a minute would never end: it is stopped.
void waitForEvent(int64_t timeoutNs) {
    FakeConsole& f = fakeConsole();
    int64_t until = f.nowNs + (f.passNs > 0 ? f.passNs : timeoutNs);
    if (f.events.empty() && until > 60'000'000'000) throw std::runtime_error("no end");
    if (f.passNs == 0 && !f.events.empty()) until = std::min(until, f.events.begin()->first);
    f.nowNs = std::max(f.nowNs, until);
    while (!f.events.empty() && f.events.begin()->first <= f.nowNs)
        applyEvent(f.events.extract(f.events.begin()).mapped());
}

void enableVirtualTerminalOutput() { log("vt-output"); }
void useUtf8() { log("utf8"); }
bool enterGameInput() {
    log("game-input");
    return !fakeConsole().quitEvent;
}
void restoreInput() { log("restore-input"); }
void beginRestore() {}
void endRestore() {}
void writeOut(std::string_view bytes) { log("write", bytes); }
void flushOut() { log("flush"); }
void watchProcessEvents() { log("watch-events"); }
bool quitEventSeen() { return fakeConsole().quitEvent; }
bool takeStopRequest() { return std::exchange(fakeConsole().stopRequest, false); }
void stopUntilContinued() {
    log("stopped");
    fakeConsole().continued = true;  // as SIGCONT would, once the player continues
}
bool takeContinue() { return std::exchange(fakeConsole().continued, false); }
void finishQuitEvent() {}

}  // namespace console
