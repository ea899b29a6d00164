# Generated media and documents of the product, built into build/host/content/
# from their sources (nothing generated is kept in git):
#   movaro.dat                pictures (content/pictures/*.svg, as JPEG members
#                             named without extension) and the exercise videos
#                             00000001.avi ... (content/videos/exercises.txt,
#                             drawn by contenttool, encoded by ffmpeg)
#   Av/*.wav                  the eight standard sounds, synthesised by sox
#   Kestrup_lic_<code>.rtf    the licence per language (content/licence/)
#   Readme.txt                the readme in all six languages (content/readme/)
#   MVRMsgs.dat               the rule file (content/rules/MVRMsgs.dat)
# Intermediate files live in build/host/content/work/; every step has its
# inputs as dependencies, so a warm build does nothing.
# Include from cmake/Content.cmake (it sets CONTENT_OUTPUT and CONTENT_FILES).

find_program(RSVG_CONVERT rsvg-convert)
find_program(IMAGEMAGICK_CONVERT convert)
find_program(FFMPEG ffmpeg)
find_program(SOX sox)
set(work ${CONTENT_OUTPUT}/work)
set(media_ok ON)
foreach(tool RSVG_CONVERT IMAGEMAGICK_CONVERT FFMPEG SOX)
  if(NOT ${tool})
    message(WARNING "${tool} not found (scripts/install-deps.sh installs it): "
                    "movaro.dat and the sounds are not built")
    set(media_ok OFF)
  endif()
endforeach()

if(media_ok)
  # Pictures: SVG drawn here, rendered at its own size, stored as JPEG.
  file(GLOB pictures CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/content/pictures/*.svg)
  set(members)
  foreach(svg IN LISTS pictures)
    get_filename_component(name ${svg} NAME_WE)
    add_custom_command(
      OUTPUT ${work}/pictures/${name}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${work}/pictures
      COMMAND ${RSVG_CONVERT} -b white -o ${work}/pictures/${name}.png ${svg}
      COMMAND ${IMAGEMAGICK_CONVERT} ${work}/pictures/${name}.png -strip -quality 82
              jpg:${work}/pictures/${name}
      COMMAND ${CMAKE_COMMAND} -E remove ${work}/pictures/${name}.png
      DEPENDS ${svg}
      COMMENT "Drawing picture ${name}"
      VERBATIM)
    list(APPEND members ${work}/pictures/${name})
  endforeach()

  # Exercise videos: 180 x 180 (the player's display rectangle), 10 frames a
  # second, cinepak with every frame a key frame: under Wine only such files
  # show the right frame after a step or seek (Microsoft Video 1 plays, but
  # keeps showing the last frame played). One strip and no extra codebook
  # rounds make the encoder about three times faster at a similar picture.
  set(script ${CMAKE_SOURCE_DIR}/content/videos/exercises.txt)
  foreach(n RANGE 1 33)
    string(LENGTH "${n}" digits)
    math(EXPR zeros "8 - ${digits}")
    string(REPEAT "0" ${zeros} pad)
    set(video ${pad}${n}.avi)
    add_custom_command(
      OUTPUT ${work}/videos/${video}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${work}/videos
      COMMAND sh -c "\"$1\" film \"$2\" ${n} | \"$3\" -loglevel error -y -f rawvideo -pix_fmt rgb24 -s 180x180 -r 10 -i - -c:v cinepak -g 1 -max_extra_cb_iterations 0 -max_strips 1 -an \"$4\""
              film $<TARGET_FILE:contenttool> ${script} ${FFMPEG} ${work}/videos/${video}
      DEPENDS contenttool ${script}
      COMMENT "Filming exercise ${video}"
      VERBATIM)
    list(APPEND members ${work}/videos/${video})
  endforeach()

  list(SORT members)
  add_custom_command(
    OUTPUT ${CONTENT_OUTPUT}/movaro.dat
    COMMAND archiver container ${CONTENT_OUTPUT}/movaro.dat ${members}
    DEPENDS archiver ${members}
    COMMENT "Building movaro.dat"
    VERBATIM)
  list(APPEND CONTENT_FILES ${CONTENT_OUTPUT}/movaro.dat)

  # Standard sounds, short and soft: sox synthesis commands, one per sound.
  include(${CMAKE_SOURCE_DIR}/content/sounds/sounds.cmake)
  foreach(sound IN LISTS STANDARD_SOUNDS)
    add_custom_command(
      OUTPUT ${CONTENT_OUTPUT}/Av/${sound}.wav
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CONTENT_OUTPUT}/Av
      COMMAND ${SOX} -q -n -r 22050 -c 1 -b 16 ${CONTENT_OUTPUT}/Av/${sound}.wav ${SOUND_${sound}}
      DEPENDS ${CMAKE_SOURCE_DIR}/content/sounds/sounds.cmake
      COMMENT "Synthesising ${sound}.wav"
      VERBATIM)
    list(APPEND CONTENT_FILES ${CONTENT_OUTPUT}/Av/${sound}.wav)
  endforeach()

  # The content check of the shipped build: every file through the programs'
  # readers, text widths measured against content/lang/widths/.
  add_test(NAME ContentCheck.ShippedContent
           COMMAND contenttool check ${CONTENT_OUTPUT} ${CMAKE_SOURCE_DIR}/content/lang/widths)
endif()

# Documents: Windows-1252 with CR LF, from UTF-8 sources.
foreach(language nl:dutch fr:french es:spanish it:italian uk:english de:german)
  string(REPLACE ":" ";" pair ${language})
  list(GET pair 0 code)
  list(GET pair 1 source)
  add_custom_command(
    OUTPUT ${CONTENT_OUTPUT}/Kestrup_lic_${code}.rtf
    COMMAND contenttool rtf ${CONTENT_OUTPUT}/Kestrup_lic_${code}.rtf
            ${CMAKE_SOURCE_DIR}/content/licence/${source}.txt
    DEPENDS contenttool ${CMAKE_SOURCE_DIR}/content/licence/${source}.txt
    COMMENT "Writing Kestrup_lic_${code}.rtf"
    VERBATIM)
  list(APPEND CONTENT_FILES ${CONTENT_OUTPUT}/Kestrup_lic_${code}.rtf)
endforeach()
set(readmes)
foreach(source english dutch french german italian spanish)
  list(APPEND readmes ${CMAKE_SOURCE_DIR}/content/readme/${source}.txt)
endforeach()
add_custom_command(
  OUTPUT ${CONTENT_OUTPUT}/Readme.txt
  COMMAND contenttool text ${CONTENT_OUTPUT}/Readme.txt ${readmes}
  DEPENDS contenttool ${readmes}
  COMMENT "Writing Readme.txt"
  VERBATIM)
add_custom_command(
  OUTPUT ${CONTENT_OUTPUT}/MVRMsgs.dat
  COMMAND contenttool text ${CONTENT_OUTPUT}/MVRMsgs.dat ${CMAKE_SOURCE_DIR}/content/rules/MVRMsgs.dat
  DEPENDS contenttool ${CMAKE_SOURCE_DIR}/content/rules/MVRMsgs.dat
  COMMENT "Writing MVRMsgs.dat"
  VERBATIM)
list(APPEND CONTENT_FILES ${CONTENT_OUTPUT}/Readme.txt ${CONTENT_OUTPUT}/MVRMsgs.dat)
