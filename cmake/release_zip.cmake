# Makes one release zip: cmake -P release_zip.cmake with PROGRAMS (the program
# folder), README, NAME (the zip's top folder), STAGE (a scratch folder),
# ZIP_FILE and SOURCE_DIR; run by the release_zip target.
#
# The zip's bytes follow from its inputs alone: fixed entry order, times
# (SOURCE_DATE_EPOCH, else the last commit's time) and modes, and Info-ZIP's
# zip without extra fields (-X), which stores only names, modification times,
# modes and contents. cmake -E tar --format=zip would also store each file's
# access and change times, and the owner's numbers.

set(files Ormidal.exe reload.exe ormidal-check.exe Bin/install_all.bat Bin/uninstall_all.bat)

find_program(INFO_ZIP zip REQUIRED)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endif()

file(REMOVE_RECURSE ${STAGE})
set(entries ${NAME}/README.txt)
foreach(file IN LISTS files)
  get_filename_component(folder ${file} DIRECTORY)
  file(COPY ${PROGRAMS}/${file} DESTINATION ${STAGE}/${NAME}/${folder}
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  list(APPEND entries ${NAME}/${file})
endforeach()
file(COPY ${README} DESTINATION ${STAGE}/${NAME}
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(SORT entries)

execute_process(COMMAND touch -d @${epoch} ${entries} WORKING_DIRECTORY ${STAGE}
  COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${ZIP_FILE})
# A zip holds local times: UTC makes them the same in every time zone.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=ZIPOPT TZ=UTC
    ${INFO_ZIP} -X -D -q -9 ${ZIP_FILE} ${entries}
  WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)
