# Late ("delay-loaded") imports of the system libraries that are not among
# the system's known libraries, so that the loader never looks for them in
# the program's folder: a delay-import library is made at configure time from
# mingw's import library (every function it lists) with dlltool, and the
# loader hook of src/base/win32/LibrarySearch.c loads the library from the
# system folder on the first call. movaro_delay_library(dll) defines the
# target delay_<dll>, to be linked instead of <dll>.
set(DELAY_DIR ${CMAKE_BINARY_DIR}/delay-imports)
file(MAKE_DIRECTORY ${DELAY_DIR})

function(movaro_delay_library dll)
  find_library(import_${dll} NAMES lib${dll}.a REQUIRED)
  execute_process(COMMAND ${CMAKE_NM} ${import_${dll}} OUTPUT_VARIABLE symbols
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot list the functions of ${import_${dll}}")
  endif()
  # Every import slot "__imp_<name>" (on 32-bit "__imp__<name>@<bytes>").
  string(REGEX MATCHALL "I __imp_[^\n]+" slots "${symbols}")
  set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
  foreach(slot IN LISTS slots)
    string(REGEX REPLACE "^I __imp_" "" name "${slot}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      # Exactly one underscore, the 32-bit decoration: "_TrackMouseEvent"
      # keeps its own (a "^_" replacement would take every leading one and
      # claim user32's TrackMouseEvent for this library).
      string(SUBSTRING "${name}" 1 -1 name)
    endif()
    string(APPEND def "  ${name}\n")
  endforeach()
  file(WRITE ${DELAY_DIR}/${dll}.def "${def}")
  set(kill_at)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(kill_at --kill-at)
  endif()
  set(out ${DELAY_DIR}/lib${dll}_delay.a)
  execute_process(COMMAND ${MINGW_TRIPLE}-dlltool --input-def ${DELAY_DIR}/${dll}.def
                          --dllname ${dll}.dll ${kill_at} --output-delaylib ${out}
                  RESULT_VARIABLE failed ERROR_VARIABLE errors)
  if(failed)
    message(FATAL_ERROR "dlltool cannot make the late imports of ${dll}: ${errors}")
  endif()
  add_library(delay_${dll} STATIC IMPORTED)
  set_target_properties(delay_${dll} PROPERTIES IMPORTED_LOCATION ${out})
endfunction()

movaro_delay_library(comctl32)
movaro_delay_library(winmm)
movaro_delay_library(comdlg32)
