# Run by `cmake --install` and cpack: writes the desktop entry with the game's
# full path under the prefix being installed to, or with its name alone for a
# tarball, which may be unpacked anywhere: a desktop looks an Exec without a
# path up on its PATH. packaging.cmake sets ZINTARAPOLKE_GAMESDIR,
# ZINTARAPOLKE_EXEC_BY_NAME, ZINTARAPOLKE_DESKTOP_IN and ZINTARAPOLKE_DESKTOP first.
set(exec ${ZINTARAPOLKE_GAMESDIR}/zintarapolke)
if(ZINTARAPOLKE_EXEC_BY_NAME)
  set(exec zintarapolke)
elseif(NOT IS_ABSOLUTE "${exec}")
  set(exec ${CMAKE_INSTALL_PREFIX}/${exec})
endif()
# A path with a space or another reserved character is quoted, and the
# characters that stay special inside quotes are escaped; the entry's own
# string escaping then doubles every backslash. A percent sign is doubled,
# quoted or not, not to be read as a field code.
if(NOT exec MATCHES "^[A-Za-z0-9/._+,:@%-]+$")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
  string(REPLACE "\\" "\\\\" exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" ZINTARAPOLKE_EXEC "${exec}")
configure_file(${ZINTARAPOLKE_DESKTOP_IN} ${ZINTARAPOLKE_DESKTOP} @ONLY)
