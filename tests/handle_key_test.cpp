// The bytes real terminals send, through GameApp::handleKey: what each key
// does. Recorded from each terminal's own keys: xterm, st, mlterm, kitty,
// alacritty and the VTE terminals; konsole and qterminal; urxvt; the Linux
// console; and the Windows console's key codes. A key that must do nothing is
// also sent while the snake heads across the way it would wrongly turn, so a
// leaked byte shows as a turn.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/game_app.h"
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

// Each row: the terminals, what their keys must do, and the keys' bytes.
struct KeyRow {
    const char* terminals;
    const char* does;
    std::vector<std::string_view> bytes;
};

const KeyRow kKeys[] = {
    // Up, Down, Right, Left (the keypad's too), also in application cursor mode.
    {"every terminal", "up", {"\033[A", "\033OA"}},
    {"every terminal", "down", {"\033[B", "\033OB"}},
    {"every terminal", "right", {"\033[C", "\033OC"}},
    {"every terminal", "left", {"\033[D", "\033OD"}},
    // Shift+, Ctrl+ and Alt+Up, Home, End, F1, F2; st's End.
    {"xterm, st, mlterm, kitty, alacritty, VTE, konsole, qterminal",
     "nothing",
     {"\033[1;2A", "\033[1;5A", "\033[1;3A", "\033[H", "\033[F", "\033OP", "\033OQ", "\033[4~"}},
    // Shift+ and Ctrl+Up, Home, End, F1; Alt+Up, sent as an Escape before the key, steers.
    {"urxvt", "nothing", {"\033[a", "\033Oa", "\033[7~", "\033[8~", "\033[11~"}},
    {"urxvt", "up", {"\033\033[A"}},
    // Home, End, F1, F5; Shift+, Ctrl+ and Alt+Up send the plain arrow (above).
    {"Linux console", "nothing", {"\033[1~", "\033[4~", "\033[[A", "\033[15~"}},
    // The arrows' key codes after either prefix; Page Down, Insert, a scan code q.
    {"Windows console", "up", {"\0H"sv, "\xE0H"}},
    {"Windows console", "down", {"\0P"sv, "\xE0P"}},
    {"Windows console", "right", {"\0M"sv, "\xE0M"}},
    {"Windows console", "left", {"\0K"sv, "\xE0K"}},
    {"Windows console", "nothing", {"\xE0Q", "\xE0R", "\0q"sv}},
    // Letters in either case; a bracketed paste of d; Esc then Q, R or another key.
    {"any", "up", {"W", "w"}},
    {"any", "down", {"S", "s"}},
    {"any", "right", {"D", "d", "\033[200~d\033[201~"}},
    {"any", "left", {"A", "a"}},
    {"any", "quit", {"Q", "q", "\033q"}},
    {"any", "restart", {"R", "r", "\033R"}},
    {"any", "nothing", {"\033w"}},
    // Reports a terminal may send unasked: its attributes, an SGR mouse click, the cursor.
    {"xterm and its kin", "nothing", {"\033[?64;1;2c", "\033[<0;3;5M", "\033[12;40R"}},
    // A turn repeated, or turned back, is dropped; of four turns three wait.
    {"any", "up", {"ww", "ws"}},
    {"any", "up, left, up, right", {"wawd"}},
};

// What each action shows heading up, heading left, and heading right once the
// game is over: a turn the way the snake heads, or back, is dropped.
const std::map<std::string_view, std::array<const char*, 3>> kShows = {
    {"up", {"", "U", "U"}},           {"down", {"", "D", "D"}},
    {"right", {"R", "", ""}},         {"left", {"L", "", ""}},
    {"nothing", {"", "", ""}},        {"quit", {"quit", "quit", "quit"}},
    {"restart", {"", "", "restart"}}, {"up, left, up, right", {"LUR", "ULU", "ULU"}}};

TEST(HandleKey, EachTerminalsKeysDoWhatTheirRowSays) {
    for (const KeyRow& row : kKeys) {
        const auto& shows = kShows.at(row.does);
        for (const std::string_view bytes : row.bytes) {
            const std::string where = std::string(row.terminals) + ": " + std::string(bytes);
            EXPECT_EQ(play(bytes, Direction::Up), shows[0]) << where;
            EXPECT_EQ(play(bytes, Direction::Left), shows[1]) << where;
            EXPECT_EQ(play(bytes, Direction::Right, true), shows[2]) << where;
        }
    }
}

// Key streams the fuzzer found (`make fuzz` starts from them): every rule it
// checks holds after each.
TEST(HandleKey, TheFuzzersSeedStreamsKeepEveryRule) {
    int streams = 0;
    for (const auto& file : std::filesystem::directory_iterator(ZINTARAPOLKE_CORPUS_DIR)) {
        std::ifstream in(file.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        EXPECT_STREQ(playKeyStream(data, bytes.size()), "") << file.path();
        ++streams;
    }
    EXPECT_GT(streams, 50);
}

}  // namespace
