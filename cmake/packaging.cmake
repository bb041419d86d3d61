# Installing and packaging: `cmake --install` puts the game and its manual
# page where the system keeps them; `cpack` makes a Debian package (-G DEB)
# or, in the Windows cross build, a zip (-G ZIP). The version is the
# project's own, from project() at the top.
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

if(WIN32)
  # One folder to unpack anywhere: the .exe, the README and the licence.
  install(TARGETS zintarapolke RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  include(CPack)
  return()
endif()

# Debian keeps games apart from other programs (/usr/games, /usr/local/games).
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(games_dir games)
else()
  set(games_dir ${CMAKE_INSTALL_BINDIR})
endif()
set(ZINTARAPOLKE_INSTALL_GAMESDIR ${games_dir} CACHE STRING "Where the game goes, under the prefix")
install(TARGETS zintarapolke RUNTIME DESTINATION ${ZINTARAPOLKE_INSTALL_GAMESDIR})

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
# The date honours SOURCE_DATE_EPOCH, for a reproducible package.
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
