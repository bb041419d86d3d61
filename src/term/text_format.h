// The program's two format strings, "{:02X}" and "SCORE: 0x{:04X}", go through
// std::format_to_n where the standard library has <format>, straight into a
// caller's fixed buffer so a frame formats without touching the heap. Where it
// has not (GCC 12, Emscripten 3.1), this header supplies the same call for
// those two strings, and nothing else in the code knows which is used.
#pragma once

#include <version>  // the library's feature macros, and libc++'s configuration

// libc++ 16 has <format> but does not announce it: only its own macro says
// whether the incomplete parts were switched on (-fexperimental-library).
// Older ones (13, in Emscripten 3.1) have an empty <format>.
#if defined(__cpp_lib_format) || (defined(_LIBCPP_VERSION) && _LIBCPP_VERSION >= 160000 && \
                                  !defined(_LIBCPP_HAS_NO_INCOMPLETE_FORMAT))
#define ZINTARAPOLKE_STD_FORMAT 1
#include <format>
#endif

#if defined(ZINTARAPOLKE_STD_FORMAT)

namespace text {
using std::format_to_n;
}

#else

#include <cstddef>
#include <string_view>

namespace text {

struct FormatToNResult {
    char* out;            // one past the last byte written
    std::ptrdiff_t size;  // the whole text's length, written or not
};

// Supports exactly the replacement fields the program uses: "{:0NX}" with one
// unsigned argument, zero-padded upper-case hexadecimal of at least N digits.
// Writes at most n bytes, as std::format_to_n does.
inline FormatToNResult format_to_n(char* out, std::ptrdiff_t n, std::string_view fmt,
                                   unsigned value) {
    std::ptrdiff_t size = 0;
    const auto put = [&](char c) {
        if (size < n) out[size] = c;
        ++size;
    };
    // Every format string of the program holds one such field.
    const auto open = fmt.find("{:0");
    const auto close = fmt.find("X}", open);
    char digits[8];
    int count = 0;
    do {
        digits[count++] = "0123456789ABCDEF"[value & 0xFu];
        value >>= 4;
    } while (value != 0);
    for (const char c : fmt.substr(0, open))
        put(c);
    for (int i = count; i < fmt[open + 3] - '0'; ++i)
        put('0');
    while (count > 0)
        put(digits[--count]);
    for (const char c : fmt.substr(close + 2))
        put(c);
    return {out + (size < n ? size : n), size};
}

}  // namespace text

#endif
