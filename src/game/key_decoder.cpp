#include "game/key_decoder.h"

namespace {

constexpr uint8_t kNul = 0x00;     // console key-code prefix
constexpr uint8_t kE0 = 0xE0;      // console key-code prefix for extended keys
constexpr uint8_t kEscape = 0x1B;  // starts an ANSI cursor sequence

DecodedKey turn(Direction d) { return {KeyAction::Turn, d}; }

// The scan code after 0x00 or 0xE0.
DecodedKey fromScanCode(uint8_t key) {
    switch (key) {
        case 'H': return turn(Direction::Up);
        case 'P': return turn(Direction::Down);
        case 'K': return turn(Direction::Left);
        case 'M': return turn(Direction::Right);
        default: return {};
    }
}

// The final byte of ESC [ letter.
DecodedKey fromCursorSequence(uint8_t key) {
    switch (key) {
        case 'A': return turn(Direction::Up);
        case 'B': return turn(Direction::Down);
        case 'C': return turn(Direction::Right);
        case 'D': return turn(Direction::Left);
        default: return {};
    }
}

DecodedKey fromLetter(uint8_t key) {
    switch (key) {
        case 'W':
        case 'w': return turn(Direction::Up);
        case 'S':
        case 's': return turn(Direction::Down);
        case 'A':
        case 'a': return turn(Direction::Left);
        case 'D':
        case 'd': return turn(Direction::Right);
        default: return {};
    }
}

}  // namespace

DecodedKey decodeKey(int32_t& keyState, uint8_t key, bool gameOver) {
    using namespace key_state;
    // Quit and restart win in any state and leave the sequence state alone.
    if (key == 'Q' || key == 'q') return {KeyAction::Quit};
    if ((key == 'R' || key == 'r') && gameOver) return {KeyAction::Restart};

    // The byte after a prefix is always a scan code, even another prefix.
    if (keyState == kAfterNul || keyState == kAfterE0) {
        keyState = kIdle;
        return fromScanCode(key);
    }
    // A prefix abandons any unfinished escape sequence.
    if (key == kNul || key == kE0 || key == kEscape) {
        keyState = key == kNul ? kAfterNul : key == kE0 ? kAfterE0 : kAfterEscape;
        return {};
    }
    if (keyState == kAfterEscape) {
        keyState = key == '[' ? kAfterCsi : kIdle;
        return {};
    }
    if (keyState == kAfterCsi) {
        keyState = kIdle;
        return fromCursorSequence(key);
    }
    return fromLetter(key);
}

void queueTurn(SnakeGame& game, Direction d) {
    auto& queue = game.directionQueue;
    if (queue.size() >= kMaxQueuedTurns) return;
    const Direction reference = queue.empty() ? game.direction : queue.back();
    if (d == reference || d == opposite(reference)) return;
    queue.push_back(d);
}
