#include "game/key_decoder.h"

namespace {

constexpr uint8_t kNul = 0x00;     // console key-code prefix
constexpr uint8_t kE0 = 0xE0;      // console key-code prefix for extended keys
constexpr uint8_t kEscape = 0x1B;  // starts an ANSI cursor sequence
// Inside ESC [: parameter (0x30-0x3F) and intermediate (0x20-0x2F) bytes; any
// other byte ends the sequence (a final byte is 0x40-0x7E).
constexpr uint8_t kCsiParameterFirst = 0x20;
constexpr uint8_t kCsiParameterLast = 0x3F;

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

// The final byte of ESC [ letter or ESC O letter.
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

// Q and R, the keys that act whatever is queued; any other byte does nothing.
DecodedKey fromCommandKey(uint8_t key, bool gameOver) {
    if (key == 'Q' || key == 'q') return {KeyAction::Quit};
    if ((key == 'R' || key == 'r') && gameOver) return {KeyAction::Restart};
    return {};
}

}  // namespace

DecodedKey decodeKey(int32_t& keyState, uint8_t key, bool gameOver) {
    using namespace key_state;
    // The byte after a console prefix is always a scan code: Page Down (E0 51)
    // is not a Q, nor Insert (E0 52) an R.
    if (keyState == kAfterNul || keyState == kAfterE0) {
        keyState = kIdle;
        return fromScanCode(key);
    }
    // A prefix abandons any unfinished escape sequence.
    if (key == kNul || key == kE0 || key == kEscape) {
        keyState = key == kNul ? kAfterNul : key == kE0 ? kAfterE0 : kAfterEscape;
        return {};
    }
    switch (keyState) {
        case kAfterEscape:
            keyState = key == '[' ? kAfterCsi : key == 'O' ? kAfterSs3 : kIdle;
            // A lone ESC then a key (Esc, or Alt with the key): Q and R still act.
            return keyState == kIdle ? fromCommandKey(key, gameOver) : DecodedKey{};
        case kAfterSs3:
            keyState = kIdle;
            return fromCursorSequence(key);  // F1 to F4 are ESC O P to S: ignored
        case kAfterCsiCsi: keyState = kIdle; return {};
        case kAfterCsi:
        case kInCsi: {
            if (keyState == kAfterCsi && key == '[') {
                keyState = kAfterCsiCsi;
                return {};
            }
            // Parameter and intermediate bytes run on to a final byte; only a
            // bare ESC [ A to D is an arrow (with parameters it has modifiers).
            const bool bare = keyState == kAfterCsi;
            keyState = key >= kCsiParameterFirst && key <= kCsiParameterLast ? kInCsi : kIdle;
            if (keyState == kIdle && bare) return fromCursorSequence(key);
            return {};
        }
        default: break;
    }
    const DecodedKey command = fromCommandKey(key, gameOver);
    return command.action != KeyAction::None ? command : fromLetter(key);
}

void queueTurn(SnakeGame& game, Direction d) {
    auto& queue = game.directionQueue;
    if (queue.size() >= kMaxQueuedTurns) return;
    const Direction reference = queue.empty() ? game.direction : queue.back();
    if (d == reference || d == opposite(reference)) return;
    queue.push_back(d);
}
