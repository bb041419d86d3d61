// The program's two format strings, "{:02X}" and "SCORE: 0x{:04X}", go through
// std::format where the standard library has it. Where it does not (GCC 12),
// this header supplies the same two, and nothing else in the code knows which.
#pragma once

#include <string>

#if __has_include(<format>)
#include <format>
#endif

#if defined(__cpp_lib_format)

namespace text {
using std::format;
}

#else

#include <cstdint>
#include <string_view>

namespace text {

// Supports exactly the replacement fields the program uses: "{:0NX}" with one
// unsigned argument, zero-padded upper-case hexadecimal of at least N digits.
inline std::string format(std::string_view fmt, unsigned value) {
    std::string out;
    const auto open = fmt.find("{:0");
    const auto close = fmt.find("X}", open);
    if (open == std::string_view::npos || close == std::string_view::npos) return std::string(fmt);
    const int width = fmt[open + 3] - '0';
    char digits[16];
    int n = 0;
    do {
        digits[n++] = "0123456789ABCDEF"[value & 0xFu];
        value >>= 4;
    } while (value != 0);
    out.append(fmt.substr(0, open));
    for (int i = n; i < width; ++i)
        out.push_back('0');
    while (n > 0)
        out.push_back(digits[--n]);
    out.append(fmt.substr(close + 2));
    return out;
}

}  // namespace text

#endif
