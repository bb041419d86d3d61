#include "fake_console.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace {

// One transcript line: the time in milliseconds, right-aligned, then the call.
void log(std::string_view what, std::string_view bytes = {}) {
    FakeConsole& f = fakeConsole();
    char time[32];
    std::snprintf(time, sizeof time, "%8g ", static_cast<double>(f.nowNs) / 1e6);
    f.transcript.append(time).append(what);
    if (!bytes.empty()) f.transcript.append(" ").append(escape(bytes));
    f.transcript.append("\n");
}

}  // namespace

FakeConsole& fakeConsole() {
    static FakeConsole fake;
    return fake;
}

void resetFakeConsole() { fakeConsole() = FakeConsole{}; }

int64_t msToNs(const std::string& ms) { return std::llround(std::stod(ms) * 1e6); }

std::string escape(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
        out += c == '\x1b'             ? "\\e"
               : c == '\\'             ? "\\\\"
               : c >= 0x20 && c < 0x7F ? std::string(1, c)
                                       : hex;
    }
    return out;
}

std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
        } else if (text[++i] == 'x') {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i] == 'e' ? '\x1b' : text[i];
        }
    }
    return out;
}

void applyEvent(const std::string& event) {
    FakeConsole& f = fakeConsole();
    log(std::string("< ").append(event));
    const std::string kind = event.substr(0, event.find(' '));
    const std::string arg = event.substr(std::min(event.size(), kind.size() + 1));
    if (kind == "keys") {
        for (const char c : unescape(arg))
            f.keys.push_back(static_cast<unsigned char>(c));
    } else if (kind == "size") {
        f.size.reset();
        if (arg != "none") f.size = {std::stoi(arg), std::stoi(arg.substr(arg.find('x') + 1))};
    } else if (kind == "stall") {
        f.nowNs += msToNs(arg);
    } else if (kind == "stop") {
        f.stopRequest = true;
    } else if (kind == "continue") {
        f.continued = true;
    } else if (kind == "signal") {
        f.quitEvent = true;
    } else {
        throw std::invalid_argument(std::string("unknown event: ").append(event));
    }
}

namespace console {

WindowSize windowSize() {
    if (fakeConsole().throwOnWindowSize) throw std::runtime_error("window size");
    return fakeConsole().size.value_or(kFallbackSize);
}

bool hasKeyboard() { return !fakeConsole().noKeyboard; }

bool keyPending() { return !fakeConsole().keys.empty(); }

int readKey() {
    FakeConsole& f = fakeConsole();
    f.nowNs += f.readCostNs;
    const int key = f.keys.front();
    f.keys.pop_front();
    return key;
}

int64_t nowNs() { return fakeConsole().nowNs; }

// Wakes at the timeout or at the next scripted event, whichever is first
// (with passNs, after exactly passNs), then applies the events now due.
void waitForEvent(int64_t timeoutNs) {
    FakeConsole& f = fakeConsole();
    int64_t until = f.nowNs + (f.passNs > 0 ? f.passNs : timeoutNs);
    if (f.passNs == 0 && !f.events.empty()) until = std::min(until, f.events.begin()->first);
    if (until > f.endNs) throw std::runtime_error("the run did not end");
    f.nowNs = std::max(f.nowNs, until);
    while (!f.events.empty() && f.events.begin()->first <= f.nowNs) {
        const std::string event = f.events.begin()->second;
        f.events.erase(f.events.begin());
        applyEvent(event);
    }
}

void enableVirtualTerminalOutput() { log("vt-output"); }
void useUtf8() { log("utf8"); }
void enterGameInput() { log("game-input"); }
void restoreInput() { log("restore-input"); }
void writeOut(std::string_view bytes) { log("write", bytes); }
void flushOut() { log("flush"); }
void watchProcessEvents() { log("watch-events"); }
bool quitEventSeen() { return fakeConsole().quitEvent; }
bool takeStopRequest() { return std::exchange(fakeConsole().stopRequest, false); }
void stopUntilContinued() {
    log("stopped");
    fakeConsole().continued = true;
}
bool takeContinue() { return std::exchange(fakeConsole().continued, false); }
void finishQuitEvent() {}

}  // namespace console
