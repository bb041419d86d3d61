#include "term/terminal_mode.h"

#include "console/console.h"
#include "console/vt.h"

namespace {

// The restore undoes a set-up once: after Ctrl+Z has restored the terminal, a
// game ended while stopped leaves it alone.
bool inGameMode = false;

void writeAndFlush(std::string_view sequence) {
    console::writeOut(sequence);
    console::flushOut();
}

}  // namespace

namespace TerminalMode {

bool enter() {
    console::enableVirtualTerminalOutput();
    console::useUtf8();
    if (!console::enterGameInput()) return false;
    inGameMode = true;
    for (const std::string_view sequence : vt::kSetUp)
        writeAndFlush(sequence);
    return true;
}

void restore() {
    if (!inGameMode) return;
    inGameMode = false;
    console::beginRestore();
    console::writeOut(vt::kAttributesReset);  // no flush of its own: the next one carries it
    for (const std::string_view sequence : vt::kRestore)
        writeAndFlush(sequence);
    console::restoreInput();
    console::endRestore();
}

}  // namespace TerminalMode
