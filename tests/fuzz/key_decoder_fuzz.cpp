// libFuzzer entry point: `make fuzz` runs it (Clang only).
#include <cstdio>
#include <cstdlib>

#include "fuzz/key_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const char* broken = playKeyStream(data, size);
    if (*broken == '\0') return 0;
    std::fprintf(stderr, "%s\n", broken);
    std::abort();
}
