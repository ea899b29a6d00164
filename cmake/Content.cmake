# Data files built from the text sources in content/ by the native authoring
# tools (host tree only), into build/host/content/: the language files
# Movaro.lng and Kestrup.lng, the install script Kestrup.inf, the information
# file MVRInfo.dat and the generated media (cmake/ContentMedia.cmake).
# Each program's folder content/lang/<program>/ holds contents.txt (the
# "Contents" table and the file's options) and one text table per language,
# all UTF-8; contenttool joins them as Windows-1252 for tabledb.

set(CONTENT_OUTPUT ${CMAKE_BINARY_DIR}/content)
set(CONTENT_FILES)

function(movaro_language_file program output)
  set(dir ${CMAKE_SOURCE_DIR}/content/lang/${program})
  if(NOT EXISTS ${dir}/contents.txt)
    return()
  endif()
  file(GLOB languages CONFIGURE_DEPENDS ${dir}/*.txt)
  list(REMOVE_ITEM languages ${dir}/contents.txt)
  list(SORT languages)
  set(source ${CONTENT_OUTPUT}/${program}.lng.txt)
  add_custom_command(
    OUTPUT ${CONTENT_OUTPUT}/${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CONTENT_OUTPUT}
    COMMAND contenttool cp1252 ${source} ${dir}/contents.txt ${languages}
    COMMAND tabledb build ${source} ${CONTENT_OUTPUT}/${output}
    DEPENDS tabledb contenttool ${dir}/contents.txt ${languages}
    COMMENT "Building ${output}"
    VERBATIM)
  set(CONTENT_FILES ${CONTENT_FILES} ${CONTENT_OUTPUT}/${output} PARENT_SCOPE)
endfunction()

function(movaro_table_file source output)
  add_custom_command(
    OUTPUT ${CONTENT_OUTPUT}/${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CONTENT_OUTPUT}
    COMMAND tabledb build ${source} ${CONTENT_OUTPUT}/${output}
    DEPENDS tabledb ${source}
    COMMENT "Building ${output}"
    VERBATIM)
  set(CONTENT_FILES ${CONTENT_FILES} ${CONTENT_OUTPUT}/${output} PARENT_SCOPE)
endfunction()

# MVRInfo.dat: content/info/<language>.txt, one file per language.
function(movaro_info_file output)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/content/info/*.txt)
  add_custom_command(
    OUTPUT ${CONTENT_OUTPUT}/${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CONTENT_OUTPUT}
    COMMAND contenttool info ${CONTENT_OUTPUT}/${output} ${CMAKE_SOURCE_DIR}/content/info
    DEPENDS contenttool ${sources}
    COMMENT "Building ${output}"
    VERBATIM)
  set(CONTENT_FILES ${CONTENT_FILES} ${CONTENT_OUTPUT}/${output} PARENT_SCOPE)
endfunction()

if(NOT WIN32 AND TARGET tabledb AND TARGET contenttool)
  movaro_language_file(movaro Movaro.lng)
  movaro_language_file(kestrup Kestrup.lng)
  movaro_table_file(${CMAKE_SOURCE_DIR}/content/kestrup/Kestrup.inf.txt Kestrup.inf)
  movaro_info_file(MVRInfo.dat)
  if(NOT MOVARO_SANITIZE)
    include(cmake/ContentMedia.cmake)
  endif()
  if(CONTENT_FILES)
    add_custom_target(content ALL DEPENDS ${CONTENT_FILES})
  endif()

  # The content checker's own tests, on small fixtures made by the writers.
  file(GLOB content_tool_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/contenttool/*.cpp)
  list(FILTER content_tool_sources EXCLUDE REGEX "/main\\.cpp$")
  file(GLOB content_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/content/*.cpp)
  add_executable(content_tests ${content_test_sources}
                 ${content_tool_sources})
  target_include_directories(content_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests
                             ${CMAKE_SOURCE_DIR}/tools/contenttool)
  target_link_libraries(content_tests PRIVATE ${MOVARO_PORTABLE_ALL} ${GTEST_TARGETS} ${GTEST_MAIN_TARGET})
  # The shipped files are read as the program reads them.
  target_compile_definitions(content_tests PRIVATE MOVARO_CONTENT_DIR="${CONTENT_OUTPUT}")
  gtest_discover_tests(content_tests DISCOVERY_TIMEOUT 60)
endif()
