// Decoding of console key bytes into the game's actions. Arrow keys arrive as
// a console key code (0x00 or 0xE0, then a scan code) or as an ANSI cursor
// sequence (ESC [ letter, or ESC O letter in the terminal's application cursor
// mode); the decoder follows both across calls in keyState. Other sequences
// that start ESC [ or ESC O (function keys, arrows with Shift or Ctrl) are
// read to their end and dropped, so none of their bytes is taken for a
// letter. After ESC and any other byte, that byte acts only if it is Q or R.
#pragma once

#include <cstdint>

#include "game/cell.h"
#include "game/snake_game.h"

enum class KeyAction { None, Quit, Restart, Turn };

struct DecodedKey {
    KeyAction action = KeyAction::None;
    Direction turn = Direction::Up;  // meaningful only for KeyAction::Turn
};

// Progress through a multi-byte sequence, kept in keyState between calls.
namespace key_state {
inline constexpr int32_t kIdle = 0;
inline constexpr int32_t kAfterNul = 1;     // 0x00 read, a scan code follows
inline constexpr int32_t kAfterE0 = 2;      // 0xE0 read, a scan code follows
inline constexpr int32_t kAfterEscape = 3;  // ESC read
inline constexpr int32_t kAfterCsi = 4;     // ESC [ read
inline constexpr int32_t kAfterSs3 = 5;     // ESC O read: one byte follows
inline constexpr int32_t kInCsi = 6;        // ESC [ and parameters: no arrow, up to a final byte
inline constexpr int32_t kAfterCsiCsi = 7;  // ESC [ [ read: a Linux console function key
}  // namespace key_state

// Decodes one byte, updating keyState. Q and R act wherever they are a key
// press (alone, or after a lone ESC); restart only while gameOver.
DecodedKey decodeKey(int32_t& keyState, uint8_t key, bool gameOver);

inline constexpr std::size_t kMaxQueuedTurns = 3;

// Appends a turn unless it reverses or repeats the last queued direction (or
// the current one when nothing is queued), or three turns are already queued.
void queueTurn(SnakeGame& game, Direction turn);
