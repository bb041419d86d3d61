# Run by cpack once it has made the Windows zip: makes the zip again from the
# same files with Info-ZIP's zip, in the order of their names, without owners,
# and with SOURCE_DATE_EPOCH's time. CPack's own zip takes the order of the
# file system's directory entries and the builder's user and group ids, so two
# machines or two users would make different zips of one commit.
find_program(ZIP_PROGRAM zip)
if(NOT ZIP_PROGRAM)
  message(WARNING "zip not found (Debian: zip): the zip keeps CPack's file order and owners, "
    "and is not the same file when built elsewhere")
  return()
endif()
get_filename_component(top ${CPACK_TEMPORARY_DIRECTORY} DIRECTORY)
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${top} ${CPACK_TEMPORARY_DIRECTORY}/*)
list(SORT files)
# zip takes each file's time, in local time: all are set to the one time, and
# both commands read it as UTC.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  string(TIMESTAMP stamp "%Y%m%d%H%M.%S" UTC)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC touch -t ${stamp} ${files}
    WORKING_DIRECTORY ${top} COMMAND_ERROR_IS_FATAL ANY)
endif()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.zip$")
    file(REMOVE ${package})
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP_PROGRAM} -q -X -9 -D ${package} ${files}
      WORKING_DIRECTORY ${top} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
