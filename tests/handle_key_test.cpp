// The bytes real terminals send, through GameApp::handleKey: what each key
// does. Recorded from each terminal's own keys: xterm, st, mlterm, kitty,
// alacritty and the VTE terminals; konsole and qterminal; urxvt; the Linux
// console; and the Windows console's key codes. A key that must do nothing is
// also sent while the snake heads across the way it would wrongly turn, so a
// leaked byte shows as a turn.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/game_app.h"
#include "fake_console.h"
#include "fuzz/key_stream.h"
#include "game/key_decoder.h"

namespace {

using namespace std::literals;

// What BYTES did to a 20 x 11 game heading HEADING: the turns queued (U D L
// R), "quit", "restart".
std::string play(std::string_view bytes, Direction heading, bool gameOver = false) {
    GameApp app;
    app.game.reset(20, 11);
    app.game.direction = heading;
    app.game.gameOver = gameOver;
    for (const char c : bytes)
        app.handleKey(static_cast<uint8_t>(c));
    std::string did;
    for (const Direction d : app.game.directionQueue)
        did += "UDLR"[static_cast<int>(d)];
    if (app.quitRequested) did += "quit";
    if (gameOver && !app.game.gameOver) did += "restart";
    EXPECT_EQ(app.keyState, key_state::kIdle) << "a sequence left unfinished";
    return did;
}

// Each row: an action, what it shows heading up, heading left, and heading
// right once the game is over (a turn the way the snake heads, or back, is
// dropped), and the bytes of the keys that must do it.
struct KeyRow {
    const char* does;
    std::array<const char*, 3> shows;
    std::vector<std::string_view> bytes;
};

const KeyRow kKeys[] = {
    // Every terminal's arrows (the keypad's too), also in application cursor
    // mode; urxvt's Alt+Up, an Escape before the key, steers; the Windows
    // console's key codes after either prefix; letters in either case; a
    // bracketed paste of d. A turn repeated, or turned back, is dropped.
    {"up",
     {"", "U", "U"},
     {"\033[A", "\033OA", "\033\033[A", "\0H"sv, "\xE0H", "W", "w", "ww", "ws"}},
    {"down", {"", "D", "D"}, {"\033[B", "\033OB", "\0P"sv, "\xE0P", "S", "s"}},
    {"right",
     {"R", "", ""},
     {"\033[C", "\033OC", "\0M"sv, "\xE0M", "D", "d", "\033[200~d\033[201~"}},
    {"left", {"L", "", ""}, {"\033[D", "\033OD", "\0K"sv, "\xE0K", "A", "a"}},
    // Of four turns three wait.
    {"up, left, up, right", {"LUR", "ULU", "ULU"}, {"wawd"}},
    // Esc then Q or R.
    {"quit", {"quit", "quit", "quit"}, {"Q", "q", "\033q"}},
    {"restart", {"", "", "restart"}, {"R", "r", "\033R"}},
    {"nothing",
     {"", "", ""},
     {// xterm, st, mlterm, kitty, alacritty, VTE, konsole, qterminal: Shift+,
      // Ctrl+ and Alt+Up, Home, End, F1, F2; st's End, the Linux console's too.
      "\033[1;2A", "\033[1;5A", "\033[1;3A", "\033[H", "\033[F", "\033OP", "\033OQ", "\033[4~",
      // urxvt: Shift+ and Ctrl+Up, Home, End, F1.
      "\033[a", "\033Oa", "\033[7~", "\033[8~", "\033[11~",
      // The Linux console: Home, F1, F5 (Shift+, Ctrl+ and Alt+Up send the
      // plain arrow).
      "\033[1~", "\033[[A", "\033[15~",
      // The Windows console: Page Down, Insert, a scan code q.
      "\xE0Q", "\xE0R", "\0q"sv,
      // Esc then another key; reports a terminal of xterm's kin may send
      // unasked: its attributes, an SGR mouse click, the cursor.
      "\033w", "\033[?64;1;2c", "\033[<0;3;5M", "\033[12;40R"}},
};

TEST(HandleKey, EachTerminalsKeysDoWhatTheirRowSays) {
    for (const KeyRow& row : kKeys) {
        for (const std::string_view bytes : row.bytes) {
            const std::string where = std::string(row.does) + ": " + std::string(bytes);
            EXPECT_EQ(play(bytes, Direction::Up), row.shows[0]) << where;
            EXPECT_EQ(play(bytes, Direction::Left), row.shows[1]) << where;
            EXPECT_EQ(play(bytes, Direction::Right, true), row.shows[2]) << where;
        }
    }
}

// Key streams the fuzzer found (`make fuzz` starts from them): every rule it
// checks holds after each.
TEST(HandleKey, TheFuzzersSeedStreamsKeepEveryRule) {
    const auto streams = readFiles(ZINTARAPOLKE_CORPUS_DIR, "");
    for (const auto& [name, bytes] : streams) {
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        EXPECT_STREQ(playKeyStream(data, bytes.size()), "") << name;
    }
    EXPECT_GT(streams.size(), 50u);
}

}  // namespace
