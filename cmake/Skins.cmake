# Movaro's skin images, icon and their resource script, drawn at build time
# from content/skins/ (SVG and the glyph list) by make-skins.sh with
# rsvg-convert and ImageMagick, and compiled into Movaro.exe.
enable_language(RC)
set(SKIN_SOURCE_DIR ${CMAKE_SOURCE_DIR}/content/skins)
set(SKIN_DIR ${CMAKE_BINARY_DIR}/skins)
file(GLOB skin_sources CONFIGURE_DEPENDS ${SKIN_SOURCE_DIR}/*.svg ${SKIN_SOURCE_DIR}/*.txt
     ${SKIN_SOURCE_DIR}/*.sh)
add_custom_command(
  OUTPUT ${SKIN_DIR}/Skins.rc
  COMMAND bash ${SKIN_SOURCE_DIR}/make-skins.sh ${SKIN_DIR}
  DEPENDS ${skin_sources}
  COMMENT "Drawing Movaro's skin images"
  VERBATIM)
add_custom_target(movaro_skins DEPENDS ${SKIN_DIR}/Skins.rc)

function(movaro_skin_resources target)
  target_sources(${target} PRIVATE ${SKIN_DIR}/Skins.rc)
  add_dependencies(${target} movaro_skins)
endfunction()
