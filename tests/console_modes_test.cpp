// The Windows console's mode arithmetic, checked on every platform: each bit
// the game does not own passes through the set-up and the restore unchanged.
#include "console/console_modes.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace console_modes;

// Found input modes: nothing set (the extended flags stay set after the
// restore); a fresh console's (processed, line, echo, mouse, insert, quick
// edit, extended, auto position); everything set.
TEST(ConsoleModes, InputModesChangeOnlyTheirOwnBitsAndTheWindowIsInclusive) {
    for (const auto& [found, game, restored] : {std::tuple{0x0000u, 0x0298u, 0x0087u},
                                                {0x01F7u, 0x03F9u, 0x01E7u},
                                                {0xFFFFFFFFu, 0xFFFFFFF9u, 0xFFFFFDE7u}}) {
        EXPECT_EQ(gameInputMode(found), game);
        EXPECT_EQ(restoredInputMode(game), restored);
    }
    EXPECT_EQ(virtualTerminalOutputMode(0x0003), 0x0007u);  // other output bits kept
    EXPECT_EQ(windowFromRect(0, 275, 119, 304).cols, 120);
    EXPECT_EQ(windowFromRect(-32768, -32768, 32767, 32767).rows, 65536);  // no 16-bit overflow
}
