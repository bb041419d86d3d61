# Installing and packaging: `cmake --install` puts the game, its manual page,
# its menu entry and its icon where the system keeps them; `cpack` makes a
# Debian package (-G DEB) or, in the Windows cross build, a zip for players
# (-G ZIP). The version is the project's own, from project() at the top.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME zintarapolke)
set(CPACK_PACKAGE_VENDOR "The Zintarapolke developers")
set(CPACK_PACKAGE_CONTACT
    "Seed 47bc3b53 maintainers <maintainers@users.noreply.c-seed-47bc3b53.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "snake game for the text console")
set(CPACK_PACKAGE_DESCRIPTION
    "The board fills the terminal window. The snake wraps around the edges and
dies only by running into itself. Each food shows its value as two
hexadecimal digits and adds it to a 16-bit score. Steer with W A S D or the
arrow keys; the game pauses while the window is too small.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Directories in the archives as files are, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

# Reproducible packages: every date in them (the changelog's, the manual
# page's, the files' times in the archives) is SOURCE_DATE_EPOCH, taken from
# the environment when it is set there and otherwise the time of the last
# commit, so that two builds of one commit give the same packages. CMake is
# run again when HEAD moves, to follow a new commit.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(source_date_epoch $ENV{SOURCE_DATE_EPOCH})
else()
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE source_date_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path logs/HEAD
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(head_log)
      get_filename_component(head_log ${head_log} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
      if(EXISTS ${head_log})
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${head_log})
      endif()
    endif()
  endif()
endif()
if(source_date_epoch MATCHES "^[0-9]+$")
  # string(TIMESTAMP) reads it from the environment; CPack does when it writes
  # the archives, so its configuration sets it for cpack run on its own too.
  set(ENV{SOURCE_DATE_EPOCH} ${source_date_epoch})
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/CPackSourceDate.cmake
    "if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})\n"
    "  set(ENV{SOURCE_DATE_EPOCH} ${source_date_epoch})\n"
    "endif()\n")
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/CPackSourceDate.cmake)
else()
  message(STATUS "No SOURCE_DATE_EPOCH and no git history: packages carry the build's dates")
endif()
string(TIMESTAMP ZINTARAPOLKE_DATE "%Y-%m-%d" UTC)

# The README for players: doc/README.txt around the part for their system,
# doc/README-PART.txt, which names the licence's file LICENSE_FILE; with
# CRLF, as a Windows text file. (configure_file would leave the part's own
# line ends as they are.)
function(configure_players_readme part license_file)
  set(template ${PROJECT_SOURCE_DIR}/doc/README.txt)
  set(platform ${PROJECT_SOURCE_DIR}/doc/README-${part}.txt)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${template} ${platform})
  file(READ ${platform} ZINTARAPOLKE_README_PLATFORM)
  string(CONFIGURE "${ZINTARAPOLKE_README_PLATFORM}" ZINTARAPOLKE_README_PLATFORM @ONLY)
  set(ZINTARAPOLKE_LICENSE_FILE ${license_file})
  file(READ ${template} readme)
  string(CONFIGURE "${readme}" readme @ONLY)
  if(ARGV2 STREQUAL "CRLF")
    string(REPLACE "\n" "\r\n" readme "${readme}")
  endif()
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/README.txt "${readme}")
endfunction()

if(WIN32)
  # One folder to unpack anywhere: the .exe, a README for players and the
  # licence, both as Windows text files, and the picture of the game.
  install(TARGETS zintarapolke RUNTIME DESTINATION .)
  configure_players_readme(windows LICENSE.txt CRLF)
  configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt
    doc/zintarapolke.png DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/reproducible-archive.cmake)
  include(CPack)
  return()
endif()

# A release tarball in place of the Debian package: unpacked into any prefix
# (~/.local, /usr/local), it puts the game in bin/, its manual page, menu
# entry and icons under share/, with the README for players and the licence.
option(ZINTARAPOLKE_TARBALL "Package a tarball to unpack into any prefix, not a Debian package" OFF)

# Debian keeps games apart from other programs (/usr/games, /usr/local/games).
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT ZINTARAPOLKE_TARBALL)
  set(games_dir games)
else()
  set(games_dir ${CMAKE_INSTALL_BINDIR})
endif()
set(ZINTARAPOLKE_INSTALL_GAMESDIR ${games_dir} CACHE STRING "Where the game goes, under the prefix")
install(TARGETS zintarapolke RUNTIME DESTINATION ${ZINTARAPOLKE_INSTALL_GAMESDIR})

# macOS: one executable for both kinds of Mac. As it is installed, lipo joins
# this build's with the other processor's, ZINTARAPOLKE_LIPO_WITH.
set(ZINTARAPOLKE_LIPO_WITH "" CACHE FILEPATH "macOS: the game built for the other processor")
if(APPLE AND ZINTARAPOLKE_LIPO_WITH)
  find_program(LIPO_PROGRAM NAMES llvm-lipo llvm-lipo-16 lipo REQUIRED)
  install(CODE "set(game \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ZINTARAPOLKE_INSTALL_GAMESDIR}/zintarapolke\")
execute_process(COMMAND [[${LIPO_PROGRAM}]] -create \"\${game}\" [[${ZINTARAPOLKE_LIPO_WITH}]]
  -output \"\${game}.universal\" COMMAND_ERROR_IS_FATAL ANY)
file(RENAME \"\${game}.universal\" \"\${game}\")")
endif()

# Compressed with gzip as man-db and Debian expect, where gzip is at hand;
# -n keeps the file's name and time out of it.
find_program(GZIP_PROGRAM gzip)
function(install_gzipped name destination)
  if(NOT GZIP_PROGRAM)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name} DESTINATION ${destination})
    return()
  endif()
  add_custom_command(OUTPUT ${name}.gz
    COMMAND ${GZIP_PROGRAM} -9nkf ${name}
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  string(MAKE_C_IDENTIFIER "gzip_${name}" target)
  add_custom_target(${target} ALL DEPENDS ${name}.gz)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz DESTINATION ${destination})
endfunction()

configure_file(doc/zintarapolke.6.in zintarapolke.6 @ONLY)
install_gzipped(zintarapolke.6 ${CMAKE_INSTALL_MANDIR}/man6)

# The desktop menu entry (a terminal application) and its icon, where the
# freedesktop specifications look for them. The entry starts the game by its
# full installed path, known only when installing (cpack installs under /usr,
# cmake --install under its --prefix): a games directory is not on every
# desktop's PATH, and a prefix such as ~/.local seldom has its own there.
if(UNIX AND NOT APPLE)
  foreach(size 16 32 48 64 128 256)
    install(FILES doc/icons/zintarapolke-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
      RENAME zintarapolke.png)
  endforeach()
  install(CODE "set(ZINTARAPOLKE_GAMESDIR [[${ZINTARAPOLKE_INSTALL_GAMESDIR}]])
set(ZINTARAPOLKE_EXEC_BY_NAME ${ZINTARAPOLKE_TARBALL})
set(ZINTARAPOLKE_DESKTOP_IN [[${PROJECT_SOURCE_DIR}/doc/zintarapolke.desktop.in]])
set(ZINTARAPOLKE_DESKTOP [[${CMAKE_CURRENT_BINARY_DIR}/zintarapolke.desktop]])")
  install(SCRIPT cmake/desktop-entry.cmake)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zintarapolke.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

if(ZINTARAPOLKE_TARBALL)
  if(APPLE)
    set(system macos)
  else()
    string(TOLOWER ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR} system)
  endif()
  set(ZINTARAPOLKE_ARCHIVE ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${system})
  string(REGEX REPLACE "-.*" "" part ${system})
  configure_players_readme(${part} LICENSE)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt LICENSE doc/zintarapolke.png
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME ${ZINTARAPOLKE_ARCHIVE})
  # Linked without symbols where the linker can; see zig.cmake.
  set(CPACK_STRIP_FILES OFF)
  set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/reproducible-archive.cmake)
  include(CPack)
  return()
endif()

# The licence under the name Debian gives it, in Debian's machine-readable
# form (each line of the text indented, empty ones as " .").
file(STRINGS LICENSE copyright_line REGEX "^Copyright")
string(REGEX REPLACE "^Copyright \\([cC]\\) " "" copyright_line "${copyright_line}")
file(READ LICENSE license_text)
string(REGEX REPLACE "\n+$" "" license_text "${license_text}")
string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
string(REPLACE "\n" "\n " license_text "${license_text}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: zintarapolke\n\n"
  "Files: *\n"
  "Copyright: ${copyright_line}\n"
  "License: Expat\n ${license_text}\n")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian asks every package for a changelog in its format. The project's
# history is its git log; this names the version and says where to look.
# Its date is SOURCE_DATE_EPOCH's, above.
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/changelog
  "zintarapolke (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
  "  * Built and packaged from the project's own tree; its history is the\n"
  "    project's git log.\n\n"
  " -- ${CPACK_PACKAGE_CONTACT}  ${changelog_date}\n")
install_gzipped(changelog ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # dpkg-shlibdeps reads them off the binary
include(CPack)
