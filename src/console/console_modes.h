// The Windows console-mode arithmetic and the window-size computation, kept
// pure so the unit tests check them on every platform. Each mode change reads
// the handle's current mode and sets or clears fixed bits; every other bit
// (insert mode, quick edit, auto position; the other output bits) passes
// through, so the restore brings back a fixed usual state.
#pragma once

#include <cstdint>

#include "console/console.h"

namespace console_modes {

// Input-handle flags, with the Windows console API's values.
inline constexpr uint32_t kProcessedInput = 0x0001;
inline constexpr uint32_t kLineInput = 0x0002;
inline constexpr uint32_t kEchoInput = 0x0004;
inline constexpr uint32_t kWindowInput = 0x0008;
inline constexpr uint32_t kMouseInput = 0x0010;
inline constexpr uint32_t kExtendedFlags = 0x0080;
inline constexpr uint32_t kVirtualTerminalInput = 0x0200;
// Output-handle flag: the console interprets escape sequences.
inline constexpr uint32_t kVirtualTerminalProcessing = 0x0004;

// Keys byte by byte without echo; window, mouse and escape-sequence input on.
// Processed input stays as found, so Ctrl+C still reaches the control handler.
constexpr uint32_t gameInputMode(uint32_t mode) {
    return (mode & ~(kLineInput | kEchoInput)) | kWindowInput | kMouseInput | kExtendedFlags |
           kVirtualTerminalInput;
}

// Line editing and echo back; what the game turned on is turned off again,
// except the extended flags, which a shell expects set anyway.
constexpr uint32_t restoredInputMode(uint32_t mode) {
    return (mode & ~(kWindowInput | kMouseInput | kVirtualTerminalInput)) | kProcessedInput |
           kLineInput | kEchoInput;
}

constexpr uint32_t virtualTerminalOutputMode(uint32_t mode) {
    return mode | kVirtualTerminalProcessing;
}

// The visible window from its inclusive 16-bit corners, widened before the
// subtraction so no corner can overflow it.
constexpr console::WindowSize windowFromRect(int16_t left, int16_t top, int16_t right,
                                             int16_t bottom) {
    return {int32_t{right} - int32_t{left} + 1, int32_t{bottom} - int32_t{top} + 1};
}

}  // namespace console_modes
