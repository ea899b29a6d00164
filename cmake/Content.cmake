# Data files built from the text sources in content/ by the native authoring
# tools (host tree only): the language files Movaro.lng and Kestrup.lng, and
# the install script Kestrup.inf from content/kestrup/Kestrup.inf.txt.
# Each program's folder content/lang/<program>/ holds contents.txt (the
# "Contents" table and the file's options) and one text table per language.

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
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${source} "-DINPUTS=${dir}/contents.txt;${languages}"
            -P ${CMAKE_SOURCE_DIR}/cmake/Concat.cmake
    COMMAND tabledb build ${source} ${CONTENT_OUTPUT}/${output}
    DEPENDS tabledb ${dir}/contents.txt ${languages} ${CMAKE_SOURCE_DIR}/cmake/Concat.cmake
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

if(NOT WIN32 AND TARGET tabledb)
  movaro_language_file(movaro Movaro.lng)
  movaro_language_file(kestrup Kestrup.lng)
  movaro_table_file(${CMAKE_SOURCE_DIR}/content/kestrup/Kestrup.inf.txt Kestrup.inf)
  if(CONTENT_FILES)
    add_custom_target(content ALL DEPENDS ${CONTENT_FILES})
  endif()
endif()
