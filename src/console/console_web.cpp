// The console layer in a web page: a terminal emulator on the page (xterm.js)
// through the object the page hands each game as Module.page (web/page.js).
// It holds the key bytes the terminal sent, writes to the terminal, and ends
// the waits: early for a key, a resize or the tab being hidden or shown.
//
// The game runs as one WebAssembly instance per game, so nothing here
// outlives a game. Its waits yield to the browser through Asyncify: the
// game's stack is put aside and taken up again when the wait's promise
// resolves, and in between the page runs as if no game were there.
#include <emscripten.h>

#include <string>

#include "console/console.h"
#include "console/steady_clock.h"

namespace {

// Writes wait here for the flush, as they would in a buffered stream, so
// that a frame reaches the terminal in one piece.
std::string pendingOut;

EM_JS(int, pageCols, (), { return Module.page.term.cols; });
EM_JS(int, pageRows, (), { return Module.page.term.rows; });
EM_JS(int, pageKeyPending, (), { return Module.page.keyPending(); });
EM_JS(int, pageReadKey, (), { return Module.page.readKey(); });
// The terminal may parse the bytes later: it gets a copy, not a view of the
// game's memory.
EM_JS(void, pageWrite, (const char* data, size_t size),
      { Module.page.write(HEAPU8.slice(data, data + size)); });
EM_ASYNC_JS(void, pageWait, (double timeoutMs), { await Module.page.wait(timeoutMs); });
EM_JS(int, pageTakeStop, (), { return Module.page.takeStop(); });
EM_ASYNC_JS(void, pageUntilVisible, (), { await Module.page.untilVisible(); });
EM_JS(int, pageTakeContinue, (), { return Module.page.takeContinue(); });

}  // namespace

namespace console {

WindowSize windowSize() { return {pageCols(), pageRows()}; }

// The page's terminal takes keys whenever it has the focus.
bool hasKeyboard() { return true; }

bool keyPending() { return pageKeyPending() != 0; }

int readKey() { return pageReadKey(); }

int64_t nowNs() { return steadyClockNs(); }

void waitForEvent(int64_t timeoutNs) { pageWait(static_cast<double>(timeoutNs) / 1e6); }

// The terminal emulator understands escape sequences and UTF-8 from the
// start, and sends every key as it is typed, without echo: nothing to set,
// and the page's terminal is the game's from the start.
void enableVirtualTerminalOutput() {}
void useUtf8() {}
bool enterGameInput() { return true; }
void restoreInput() {}
// Nothing can interrupt the restore: the page runs only while the game waits.
void beginRestore() {}
void endRestore() {}

void writeOut(std::string_view bytes) { pendingOut.append(bytes); }

void flushOut() {
    if (pendingOut.empty()) return;
    pageWrite(pendingOut.data(), pendingOut.size());
    pendingOut.clear();
}

// Closing the tab ends the page with the game in it: no event to watch. A
// hidden tab stops the game as Ctrl+Z does in a terminal.
void watchProcessEvents() {}
bool quitEventSeen() { return false; }
bool takeStopRequest() { return pageTakeStop() != 0; }
void stopUntilContinued() { pageUntilVisible(); }
bool takeContinue() { return pageTakeContinue() != 0; }
void finishQuitEvent() {}

}  // namespace console
