# The installer window's pictures: content/kestrup/pictures/*.svg rendered
# into 24-bit bitmaps in build/TREE/kestrup-pictures/, which the program's
# resource script (src/kestrup/win32/Kestrup.rc) includes by name. For
# displays of a larger scale each is drawn again from its SVG at 125, 150
# and 200 % as NAME_125.png ... (PNG keeps the installer small), named as
# data resources by the generated KestrupScaled.rc, which Kestrup.rc
# includes; the program shows the display's nearest.
# Include from cmake/Layout.cmake after the Kestrup target.

find_program(RSVG_CONVERT rsvg-convert)
find_program(IMAGEMAGICK_CONVERT convert)
if(NOT RSVG_CONVERT OR NOT IMAGEMAGICK_CONVERT)
  message(FATAL_ERROR "rsvg-convert and convert are needed for Kestrup's pictures "
                      "(scripts/install-deps.sh installs them)")
endif()
set(KESTRUP_PICTURES ${CMAKE_BINARY_DIR}/kestrup-pictures)
file(GLOB kestrup_svgs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/content/kestrup/pictures/*.svg)
set(kestrup_bitmaps)
foreach(svg IN LISTS kestrup_svgs)
  get_filename_component(name ${svg} NAME_WE)
  add_custom_command(
    OUTPUT ${KESTRUP_PICTURES}/${name}.bmp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTRUP_PICTURES}
    COMMAND ${RSVG_CONVERT} -o ${KESTRUP_PICTURES}/${name}.png ${svg}
    COMMAND ${IMAGEMAGICK_CONVERT} ${KESTRUP_PICTURES}/${name}.png -flatten -alpha off
            -type TrueColor BMP3:${KESTRUP_PICTURES}/${name}.bmp
    COMMAND ${CMAKE_COMMAND} -E remove ${KESTRUP_PICTURES}/${name}.png
    DEPENDS ${svg}
    COMMENT "Drawing Kestrup picture ${name}"
    VERBATIM)
  list(APPEND kestrup_bitmaps ${KESTRUP_PICTURES}/${name}.bmp)
  foreach(percent 125 150 200)
    set(scaled ${KESTRUP_PICTURES}/${name}_${percent})
    add_custom_command(
      OUTPUT ${scaled}.png
      COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTRUP_PICTURES}
      COMMAND ${RSVG_CONVERT} -z ${percent}e-2 -o ${scaled}.drawn.png ${svg}
      COMMAND ${IMAGEMAGICK_CONVERT} ${scaled}.drawn.png -flatten -alpha off PNG24:${scaled}.png
      COMMAND ${CMAKE_COMMAND} -E remove ${scaled}.drawn.png
      DEPENDS ${svg}
      COMMENT "Drawing Kestrup picture ${name} at ${percent} %"
      VERBATIM)
    list(APPEND kestrup_bitmaps ${scaled}.png)
    string(APPEND kestrup_scaled_rc "${name}_${percent} RCDATA \"${name}_${percent}.png\"\n")
  endforeach()
endforeach()
file(GENERATE OUTPUT ${KESTRUP_PICTURES}/KestrupScaled.rc CONTENT "${kestrup_scaled_rc}")
list(APPEND kestrup_bitmaps ${KESTRUP_PICTURES}/KestrupScaled.rc)
add_custom_target(kestrup_pictures DEPENDS ${kestrup_bitmaps})
add_dependencies(Kestrup kestrup_pictures)
target_include_directories(Kestrup PRIVATE ${KESTRUP_PICTURES})
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/kestrup/win32/Kestrup.rc PROPERTIES
                            OBJECT_DEPENDS "${kestrup_bitmaps}")
