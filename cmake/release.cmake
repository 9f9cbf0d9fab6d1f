# Reproducible Windows programs and the release zip of one architecture
# (included by the top CMakeLists.txt for the Windows builds).
#   cmake --build build/windows-x64 --target release_zip
# makes dist/Ormidal-8.8.2-x64.zip beside the program folder; ./run package
# makes both and their checksums.

if(MINGW)
  # The same bytes from any folder at any time: the linker leaves the PE time
  # stamp at 0, and source paths that reach the code (__FILE__ in asserts and
  # the runtime's headers) are relative. The build folder is mapped last, so
  # that it wins where it lies inside the source folder.
  add_link_options(LINKER:--no-insert-timestamp)
  add_compile_options(
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>)
endif()

# Users see three numbers; the fourth is for Windows' version resources.
set(RELEASE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(RELEASE_NAME Ormidal-${RELEASE_VERSION}-${WINDOWS_ARCH})
if(WINDOWS_ARCH STREQUAL "x64")
  set(RELEASE_WINDOWS 64-bit)
else()
  set(RELEASE_WINDOWS 32-bit)
endif()
get_filename_component(RELEASE_DIR ${DIST_DIR} DIRECTORY)

configure_file(${PROJECT_SOURCE_DIR}/release/README.txt.in ${CMAKE_BINARY_DIR}/release/README.txt
  @ONLY NEWLINE_STYLE CRLF)
add_custom_target(release_zip
  COMMAND ${CMAKE_COMMAND}
    -D PROGRAMS=${DIST_DIR}
    -D README=${CMAKE_BINARY_DIR}/release/README.txt
    -D NAME=${RELEASE_NAME}
    -D STAGE=${CMAKE_BINARY_DIR}/release/stage
    -D ZIP_FILE=${RELEASE_DIR}/${RELEASE_NAME}.zip
    -D SOURCE_DIR=${PROJECT_SOURCE_DIR}
    -P ${CMAKE_CURRENT_LIST_DIR}/release_zip.cmake
  COMMENT "Release zip ${RELEASE_DIR}/${RELEASE_NAME}.zip"
  VERBATIM)
add_dependencies(release_zip Ormidal reload ormidal-check)
