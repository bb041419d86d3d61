#include "term/terminal_mode.h"

#include "term/console.h"

namespace {

// Set-up, each written and flushed on its own.
constexpr const char* kAlternateScreenOn = "\x1b[?1049h";  // save the main screen
constexpr const char* kCursorHome = "\x1b[1;1H";           // row 1, column 1
constexpr const char* kAutoWrapOff = "\x1b[?7l";
constexpr const char* kCursorHide = "\x1b[?25l";

// Restore.
constexpr const char* kAttributesReset = "\x1b[0m";
constexpr const char* kAutoWrapOn = "\x1b[?7h";
constexpr const char* kAlternateScreenOff = "\x1b[?1049l";  // main screen back
constexpr const char* kCursorShow = "\x1b[?25h";
// Every mouse-reporting mode off: 1015 and 1006 encodings, any-event,
// button-event and press/release tracking. Sent even though the game never
// turns one on, so a terminal left in such a mode by another program recovers.
constexpr const char* kMouseReportingOff =
    "\x1b[?1015l\x1b[?1006l\x1b[?1003l\x1b[?1002l\x1b[?1000l";

void writeAndFlush(const char* sequence) {
    console::writeOut(sequence);
    console::flushOut();
}

}  // namespace

namespace TerminalMode {

void enter() {
    console::enableVirtualTerminalOutput();
    console::useUtf8();
    console::enterGameInput();
    writeAndFlush(kAlternateScreenOn);
    writeAndFlush(kCursorHome);
    writeAndFlush(kAutoWrapOff);
    writeAndFlush(kCursorHide);
}

void restore() {
    console::writeOut(kAttributesReset);  // carried by the next flush
    writeAndFlush(kAutoWrapOn);
    writeAndFlush(kAlternateScreenOff);
    writeAndFlush(kCursorShow);
    writeAndFlush(kMouseReportingOff);
    console::restoreInput();
}

}  // namespace TerminalMode
