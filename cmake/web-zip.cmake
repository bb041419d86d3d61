# Run by the web build (cmake -P) once the site is assembled: packs the
# files FILES (names joined by commas) of the site SITE into ZIP, in one
# folder named after the zip, the way the Windows zip is
# made (reproducible-archive.cmake): files in name order, without owners, each
# with SOURCE_DATE_EPOCH's time (the last commit's unless the environment sets
# it) and the mode 644 whatever the umask, so that every build of one commit
# makes the same file.
string(REGEX REPLACE "\\.zip$" "" folder ${ZIP})
get_filename_component(name ${folder} NAME)
set(stage ${folder}.d)
file(REMOVE_RECURSE ${stage})
string(REPLACE "," ";" files "${FILES}")
list(TRANSFORM files PREPEND ${SITE}/)
file(COPY ${files} DESTINATION ${stage}/${name}
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
  DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct WORKING_DIRECTORY ${SOURCE}
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(epoch MATCHES "^[0-9]+$")
      set(ENV{SOURCE_DATE_EPOCH} ${epoch})
    endif()
  endif()
endif()
set(CPACK_TEMPORARY_DIRECTORY ${stage}/${name})
set(CPACK_PACKAGE_FILES ${ZIP})
include(${CMAKE_CURRENT_LIST_DIR}/reproducible-archive.cmake)
file(REMOVE_RECURSE ${stage})
