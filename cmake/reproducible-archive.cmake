# Run by cpack once it has made the Windows zip or a release tarball: makes
# it again from the same files, in the order of their names, without owners,
# and with SOURCE_DATE_EPOCH's time: the zip with Info-ZIP's zip, the tarball
# with GNU tar and gzip. CPack's own archives take the order of the file
# system's directory entries and the builder's user and group ids, so two
# machines or two users would make different archives of one commit.
get_filename_component(top ${CPACK_TEMPORARY_DIRECTORY} DIRECTORY)
get_filename_component(folder ${CPACK_TEMPORARY_DIRECTORY} NAME)
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${top} ${CPACK_TEMPORARY_DIRECTORY}/*)
list(SORT files)
# zip takes each file's time, in local time: all are set to the one time, and
# both commands read it as UTC. tar sets the directories' time as well.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  string(TIMESTAMP stamp "%Y%m%d%H%M.%S" UTC)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC touch -t ${stamp} ${files}
    WORKING_DIRECTORY ${top} COMMAND_ERROR_IS_FATAL ANY)
  set(tar_time --mtime=@$ENV{SOURCE_DATE_EPOCH})
endif()
find_program(ZIP_PROGRAM zip)
find_program(TAR_PROGRAM NAMES gtar tar)
find_program(GZIP_PROGRAM gzip)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.zip$" AND ZIP_PROGRAM)
    file(REMOVE ${package})
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP_PROGRAM} -q -X -9 -D ${package} ${files}
      WORKING_DIRECTORY ${top} COMMAND_ERROR_IS_FATAL ANY)
  elseif(package MATCHES "\\.tar\\.gz$" AND TAR_PROGRAM AND GZIP_PROGRAM)
    # ustar: no times but the one of each entry; gzip -n: no name nor time.
    execute_process(
      COMMAND ${TAR_PROGRAM} --sort=name --format=ustar --owner=0 --group=0 --numeric-owner
        ${tar_time} -cf - ${folder}
      COMMAND ${GZIP_PROGRAM} -9n
      OUTPUT_FILE ${package} WORKING_DIRECTORY ${top} COMMAND_ERROR_IS_FATAL ANY)
  else()
    message(WARNING "zip, or GNU tar and gzip, not found (Debian: zip, tar, gzip): "
      "${package} keeps CPack's file order and owners, and is not the same file when built elsewhere")
  endif()
endforeach()
