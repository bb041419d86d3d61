# The game as a web page (emcmake, `make web`): the game compiled to
# WebAssembly, its JavaScript loader, and the page around it, assembled in
# site/ of the build directory as a static site that any web server can
# serve, also as a zip. The terminal emulator (xterm.js and its fit add-on)
# comes from web/node_modules, installed from web/package-lock.json (npm ci).
set(ZINTARAPOLKE_SITE ${CMAKE_BINARY_DIR}/site)
set_target_properties(zintarapolke PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZINTARAPOLKE_SITE})

# C++ exceptions as on every other platform (Emscripten leaves them out by
# default): an error unwinds through the restore and ends the game with its
# message and status 1, for about 14 KB more with gzip.
foreach(target zintarapolke_core zintarapolke_console zintarapolke)
  target_compile_options(${target} PRIVATE -fexceptions)
endforeach()
target_link_options(zintarapolke PRIVATE -fexceptions)

# Asyncify lets the game's wait between ticks yield to the browser and take
# up the game where it left off. Each game is a fresh instance made by
# createZintarapolke(), whose main() the page calls and awaits (ccall); no
# file system, and no code made at run time (the page's security policy
# allows none). The WebAssembly is inlined in the script (SINGLE_FILE), so the
# page plays opened from disk too, where a browser fetches no file.
target_link_options(zintarapolke PRIVATE
  -sASYNCIFY
  -sMODULARIZE -sEXPORT_NAME=createZintarapolke
  -sINVOKE_RUN=0 -sEXPORTED_RUNTIME_METHODS=ccall
  -sENVIRONMENT=web -sFILESYSTEM=0 -sALLOW_MEMORY_GROWTH -sDYNAMIC_EXECUTION=0 -sSINGLE_FILE)

set(node_modules ${PROJECT_SOURCE_DIR}/web/node_modules)
if(NOT EXISTS ${node_modules}/@xterm/xterm/lib/xterm.js)
  message(FATAL_ERROR "xterm.js is not in web/node_modules: run `npm ci` in web/ (make web does)")
endif()

# Each file to its place in the site: SOURCE>NAME.
set(site_files
  web/index.html>index.html
  web/page.js>page.js
  web/page.css>page.css
  doc/icons/zintarapolke-32.png>favicon.png
  LICENSE>LICENSE.txt
  web/node_modules/@xterm/xterm/lib/xterm.js>xterm.js
  web/node_modules/@xterm/xterm/css/xterm.css>xterm.css
  web/node_modules/@xterm/xterm/LICENSE>xterm-LICENSE.txt
  web/node_modules/@xterm/addon-fit/lib/addon-fit.js>addon-fit.js
  web/node_modules/@xterm/addon-fit/LICENSE>addon-fit-LICENSE.txt)
set(site_outputs)
set(site_names zintarapolke.js)
foreach(file ${site_files})
  string(REPLACE ">" ";" file ${file})
  list(GET file 0 source)
  list(GET file 1 name)
  list(APPEND site_names ${name})
  add_custom_command(OUTPUT ${ZINTARAPOLKE_SITE}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${ZINTARAPOLKE_SITE}/${name}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source})
  list(APPEND site_outputs ${ZINTARAPOLKE_SITE}/${name})
endforeach()
add_custom_target(site ALL DEPENDS ${site_outputs})

# The site as a zip to play from disk (make release puts it in dist/), made
# again at every build, so that it always takes the last commit's time. It
# takes the site's files by name: an older build may have left others there.
string(REPLACE ";" "," site_names "${site_names}")
add_custom_target(web_zip ALL
  COMMAND ${CMAKE_COMMAND} -DSITE=${ZINTARAPOLKE_SITE} -DFILES=${site_names} -DSOURCE=${PROJECT_SOURCE_DIR}
    -DZIP=${CMAKE_BINARY_DIR}/zintarapolke-${PROJECT_VERSION}-web.zip -P ${PROJECT_SOURCE_DIR}/cmake/web-zip.cmake
  VERBATIM)
add_dependencies(web_zip site zintarapolke)
