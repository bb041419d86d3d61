#include "bench_console.h"

BenchConsole& benchConsole() {
    static BenchConsole instance;
    return instance;
}

namespace console {

WindowSize windowSize() { return benchConsole().size; }
bool hasKeyboard() { return true; }
bool keyPending() { return false; }
int readKey() { return -1; }
int64_t nowNs() { return benchConsole().nowNs; }
// Nothing ever arrives, so every wait lasts its whole timeout.
void waitForEvent(int64_t timeoutNs) {
    if (timeoutNs > 0) benchConsole().nowNs += timeoutNs;
}
void enableVirtualTerminalOutput() {}
void useUtf8() {}
bool enterGameInput() { return true; }
void restoreInput() {}
void beginRestore() {}
void endRestore() {}
void writeOut(std::string_view bytes) {
    ++benchConsole().writes;
    benchConsole().bytes += bytes.size();
}
void flushOut() {}
void watchProcessEvents() {}
bool quitEventSeen() { return false; }
bool takeStopRequest() { return false; }
void stopUntilContinued() {}
bool takeContinue() { return false; }
void finishQuitEvent() {}

}  // namespace console
