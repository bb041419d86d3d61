#include "term/console_modes.h"

#include <gtest/gtest.h>

using namespace console_modes;

struct ModeCase {
    uint32_t found, game, restored;
};

// Found modes: nothing set (the extended flags stay set after the restore); a fresh console's input
// (processed, line, echo, mouse, insert, quick edit, extended, auto position); everything set.
TEST(ConsoleModes, InputModesChangeOnlyTheirOwnBits) {
    for (const ModeCase& c : {ModeCase{0x0000, 0x0298, 0x0087}, ModeCase{0x01F7, 0x03F9, 0x01E7},
                              ModeCase{0xFFFFFFFF, 0xFFFFFFF9, 0xFFFFFDE7}}) {
        SCOPED_TRACE(c.found);
        EXPECT_EQ(gameInputMode(c.found), c.game);
        EXPECT_EQ(restoredInputMode(c.game), c.restored);
    }
}

TEST(ConsoleModes, VirtualTerminalOutputKeepsTheOtherOutputBits) {
    EXPECT_EQ(virtualTerminalOutputMode(0x0003), 0x0007u);  // processed output, wrap at EOL
    EXPECT_EQ(virtualTerminalOutputMode(0x000C), 0x000Cu);  // VT and no auto return kept
}

TEST(ConsoleModes, WindowSizeIsTheVisibleRectangleInclusive) {
    struct Case {
        int16_t left, top, right, bottom;
        int32_t cols, rows;
    };
    for (const Case& c : {Case{0, 0, 79, 23, 80, 24}, Case{0, 275, 119, 304, 120, 30},
                          Case{-32768, -32768, 32767, 32767, 65536, 65536}}) {
        const console::WindowSize size = windowFromRect(c.left, c.top, c.right, c.bottom);
        EXPECT_EQ(size.cols, c.cols);
        EXPECT_EQ(size.rows, c.rows);
    }
}
