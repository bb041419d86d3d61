#include "term/terminal_mode.h"

#include "term/console.h"
#include "term/vt.h"

namespace {

void writeAndFlush(std::string_view sequence) {
    console::writeOut(sequence);
    console::flushOut();
}

}  // namespace

namespace TerminalMode {

void enter() {
    console::enableVirtualTerminalOutput();
    console::useUtf8();
    console::enterGameInput();
    for (const std::string_view sequence : vt::kSetUp)
        writeAndFlush(sequence);
}

void restore() {
    console::writeOut(vt::kAttributesReset);  // no flush of its own: the next one carries it
    for (const std::string_view sequence : vt::kRestore)
        writeAndFlush(sequence);
    console::restoreInput();
}

}  // namespace TerminalMode
