# Cross-build for macOS with Zig's C++ compiler, which brings the macOS
# headers and a libc++ of its own and links Mach-O: compiled and linked here,
# never run. ZINTARAPOLKE_ZIG names the zig executable (cmake/fetch-zig.sh
# puts one in place), ZINTARAPOLKE_MACOS_ARCH is aarch64 or x86_64.
set(ZINTARAPOLKE_ZIG "" CACHE FILEPATH "The zig executable")
set(ZINTARAPOLKE_MACOS_ARCH aarch64 CACHE STRING "aarch64 or x86_64")
# The programs CMake builds while it configures read this file too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZINTARAPOLKE_ZIG ZINTARAPOLKE_MACOS_ARCH)
if(NOT EXISTS "${ZINTARAPOLKE_ZIG}")
  message(FATAL_ERROR "ZINTARAPOLKE_ZIG must name a zig executable (`make macos` fetches one)")
endif()

set(CMAKE_SYSTEM_NAME Darwin)
if(ZINTARAPOLKE_MACOS_ARCH STREQUAL "aarch64")
  set(CMAKE_SYSTEM_PROCESSOR arm64)
elseif(ZINTARAPOLKE_MACOS_ARCH STREQUAL "x86_64")
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
else()
  message(FATAL_ERROR "ZINTARAPOLKE_MACOS_ARCH is aarch64 or x86_64, not ${ZINTARAPOLKE_MACOS_ARCH}")
endif()

# A compiler given as a list runs with the rest as its first arguments, so
# `zig c++` needs no wrapper script. The archiver must be a single program,
# hence zig's ar and ranlib written into the archive rules.
set(CMAKE_CXX_COMPILER "${ZINTARAPOLKE_ZIG}" c++ -target ${ZINTARAPOLKE_MACOS_ARCH}-macos)
set(CMAKE_CXX_ARCHIVE_CREATE "\"${ZINTARAPOLKE_ZIG}\" ar qc <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_APPEND "\"${ZINTARAPOLKE_ZIG}\" ar q <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_FINISH "\"${ZINTARAPOLKE_ZIG}\" ranlib <TARGET>")
# One flag of Apple's rules that Zig rejects, set again after them.
set(CMAKE_USER_MAKE_RULES_OVERRIDE_CXX ${CMAKE_CURRENT_LIST_DIR}/zig-macos-rules.cmake)

# Zig builds its libc++ for the target at the first link, once for each kind
# of optimisation (a minute or two here), and CMake's own first link, which
# identifies the compiler, has no -O flag of the build type: with -O2 it
# builds the same libc++ as the release build links.
set(CMAKE_CXX_FLAGS_INIT -O2)
