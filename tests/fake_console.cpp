#include "fake_console.h"

#include <stdexcept>
#include <utility>

FakeConsole& fakeConsole() {
    static FakeConsole fake;
    return fake;
}

void resetFakeConsole() { fakeConsole() = FakeConsole{}; }

namespace console {

WindowSize windowSize() {
    if (fakeConsole().throwOnWindowSize) throw std::runtime_error("window size");
    return fakeConsole().size.value_or(kFallbackSize);
}

bool keyPending() { return !fakeConsole().keys.empty(); }

int readKey() {
    auto& keys = fakeConsole().keys;
    if (keys.empty()) return -1;
    const int key = keys.front();
    keys.pop_front();
    return key;
}

int64_t nowNs() { return fakeConsole().nowNs; }
void waitForEvent(int64_t timeoutNs) { fakeConsole().nowNs += timeoutNs; }

void enableVirtualTerminalOutput() { fakeConsole().calls.push_back("vt-output"); }
void useUtf8() { fakeConsole().calls.push_back("utf8"); }
void enterGameInput() { fakeConsole().calls.push_back("game-input"); }
void restoreInput() { fakeConsole().calls.push_back("restore-input"); }

void writeOut(std::string_view bytes) {
    fakeConsole().output.append(bytes);
    fakeConsole().calls.push_back("write:" + std::string(bytes));
}

void flushOut() { fakeConsole().calls.push_back("flush"); }

void watchProcessEvents() { fakeConsole().calls.push_back("watch-events"); }
bool quitEventSeen() { return fakeConsole().quitEvent; }
bool takeStopRequest() { return std::exchange(fakeConsole().stopRequest, false); }
void stopUntilContinued() { fakeConsole().calls.push_back("stopped"); }
void finishQuitEvent() {}

}  // namespace console
