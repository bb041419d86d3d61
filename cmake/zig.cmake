# Cross-build with Zig's C++ compiler, which brings the C library's headers
# and a libc++ of its own for every target it knows, and links for it:
# macOS (Mach-O, compiled and linked here, never run) and static Linux
# executables on musl, which need nothing of the system they run on.
# ZINTARAPOLKE_ZIG names the zig executable (cmake/fetch-zig.sh puts one in
# place), ZINTARAPOLKE_ZIG_TARGET is Zig's name of the target:
# aarch64-macos, x86_64-macos, x86_64-linux-musl or aarch64-linux-musl.
set(ZINTARAPOLKE_ZIG "" CACHE FILEPATH "The zig executable")
set(ZINTARAPOLKE_ZIG_TARGET x86_64-linux-musl CACHE STRING "Zig's name of the target")
# The programs CMake builds while it configures read this file too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZINTARAPOLKE_ZIG ZINTARAPOLKE_ZIG_TARGET)
if(NOT EXISTS "${ZINTARAPOLKE_ZIG}")
  message(FATAL_ERROR "ZINTARAPOLKE_ZIG must name a zig executable (`make macos` and `make static` fetch one)")
endif()

if(ZINTARAPOLKE_ZIG_TARGET MATCHES "^(aarch64|x86_64)-macos$")
  set(CMAKE_SYSTEM_NAME Darwin)
  string(REPLACE aarch64 arm64 CMAKE_SYSTEM_PROCESSOR ${CMAKE_MATCH_1})
elseif(ZINTARAPOLKE_ZIG_TARGET MATCHES "^(aarch64|x86_64)-linux-musl$")
  set(CMAKE_SYSTEM_NAME Linux)
  set(CMAKE_SYSTEM_PROCESSOR ${CMAKE_MATCH_1})
  # Another processor's tests run under Debian's qemu-user.
  if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL CMAKE_HOST_SYSTEM_PROCESSOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR})
  endif()
else()
  message(FATAL_ERROR "ZINTARAPOLKE_ZIG_TARGET is aarch64-macos, x86_64-macos, "
    "x86_64-linux-musl or aarch64-linux-musl, not ${ZINTARAPOLKE_ZIG_TARGET}")
endif()

# A compiler given as a list runs with the rest as its first arguments, so
# `zig c++` needs no wrapper script. The archiver must be a single program,
# hence zig's ar and ranlib written into the archive rules.
set(CMAKE_CXX_COMPILER "${ZINTARAPOLKE_ZIG}" c++ -target ${ZINTARAPOLKE_ZIG_TARGET})
# GoogleTest's project enables C as well: its checks then see this target's
# C library, not the system's.
set(CMAKE_C_COMPILER "${ZINTARAPOLKE_ZIG}" cc -target ${ZINTARAPOLKE_ZIG_TARGET})
set(CMAKE_CXX_ARCHIVE_CREATE "\"${ZINTARAPOLKE_ZIG}\" ar qc <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_APPEND "\"${ZINTARAPOLKE_ZIG}\" ar q <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_FINISH "\"${ZINTARAPOLKE_ZIG}\" ranlib <TARGET>")
# One flag of Apple's rules that Zig rejects, set again after them.
set(CMAKE_USER_MAKE_RULES_OVERRIDE_CXX ${CMAKE_CURRENT_LIST_DIR}/zig-rules.cmake)
# Zig builds its libc++ for the target at the first link, once for each kind
# of optimisation (minutes for each target here), and CMake's own first link,
# which identifies the compiler, has no -O flag of the build type: with -O2
# it builds the same libc++ as the release build links. The same holds for
# the C library that the C compiler's first link builds.
set(CMAKE_CXX_FLAGS_INIT -O2)
set(CMAKE_C_FLAGS_INIT -O2)
# No symbol table in the release executable on Linux: the linker leaves it
# out, as this system's strip reads no other processor's files. (Zig 0.11's
# Mach-O linker keeps it, and a strip after the link would break the ad-hoc
# signature that an arm64 Mac requires.)
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT -s)
