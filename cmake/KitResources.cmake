# The control kit's resources: the palettes "PAL16" and "PAL256" and the
# cursors "HandCursor" and "HandNoFingersCursor", made at build time from the
# text sources in resources/kit/ and compiled into every Windows program that
# shows the kit's controls (movaro_kit_resources).
enable_language(RC)
set(KIT_SOURCE_DIR ${CMAKE_SOURCE_DIR}/resources/kit)
set(KIT_RESOURCE_DIR ${CMAKE_BINARY_DIR}/kit-resources)
set(KIT_RESOURCE_FILES)
foreach(file pal16.bmp pal256.bmp HandCursor.cur HandNoFingersCursor.cur)
  list(APPEND KIT_RESOURCE_FILES ${KIT_RESOURCE_DIR}/${file})
endforeach()
add_custom_command(
  OUTPUT ${KIT_RESOURCE_FILES}
  COMMAND bash ${KIT_SOURCE_DIR}/make-kit-resources.sh ${KIT_RESOURCE_DIR}
  DEPENDS ${KIT_SOURCE_DIR}/make-kit-resources.sh ${KIT_SOURCE_DIR}/HandCursor.txt
          ${KIT_SOURCE_DIR}/HandNoFingersCursor.txt
  COMMENT "Making the control kit's palettes and cursors"
  VERBATIM)
set(KIT_RC ${KIT_RESOURCE_DIR}/Kit.rc)
file(MAKE_DIRECTORY ${KIT_RESOURCE_DIR})
file(CONFIGURE OUTPUT ${KIT_RC} CONTENT [[
PAL16 BITMAP "@KIT_RESOURCE_DIR@/pal16.bmp"
PAL256 BITMAP "@KIT_RESOURCE_DIR@/pal256.bmp"
HandCursor CURSOR "@KIT_RESOURCE_DIR@/HandCursor.cur"
HandNoFingersCursor CURSOR "@KIT_RESOURCE_DIR@/HandNoFingersCursor.cur"
]] @ONLY)
set_source_files_properties(${KIT_RC} PROPERTIES OBJECT_DEPENDS "${KIT_RESOURCE_FILES}")

function(movaro_kit_resources target)
  target_sources(${target} PRIVATE ${KIT_RC})
endfunction()
