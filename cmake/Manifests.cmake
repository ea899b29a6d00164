# The shipped programs' application manifests: resources/manifests/ holds the
# one form they share, filled in per program and per tree (the processor
# architecture must be the program's own) and compiled in as resource 1 of
# type 24, where the loader looks for a program's manifest.
set(MANIFEST_TEMPLATE ${CMAKE_SOURCE_DIR}/resources/manifests/manifest.xml.in)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "64")
  set(MANIFEST_ARCH amd64)
else()
  set(MANIFEST_ARCH x86)
endif()

function(movaro_manifest target description)
  set(NAME ${target})
  set(ARCH ${MANIFEST_ARCH})
  set(DESCRIPTION ${description})
  set(dir ${CMAKE_BINARY_DIR}/manifests)
  configure_file(${MANIFEST_TEMPLATE} ${dir}/${target}.manifest @ONLY)
  file(WRITE ${dir}/${target}.manifest.rc.in "1 24 \"${dir}/${target}.manifest\"\n")
  configure_file(${dir}/${target}.manifest.rc.in ${dir}/${target}.manifest.rc COPYONLY)
  set_source_files_properties(${dir}/${target}.manifest.rc PROPERTIES
    OBJECT_DEPENDS ${dir}/${target}.manifest)
  target_sources(${target} PRIVATE ${dir}/${target}.manifest.rc)
endfunction()
