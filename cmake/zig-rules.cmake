# Read after the platform's own rules (see zig.cmake). CMake learns the
# pointer size and the implicit include directories from a verbose compile;
# Apple's rules ask the linker to be verbose too (-Wl,-v), which Zig's linker
# rejects, and then CMake learns nothing.
set(CMAKE_CXX_VERBOSE_FLAG -v)
