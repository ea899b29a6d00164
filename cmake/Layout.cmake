# Where the sources live and what is built from them. New source files are
# picked up by directory, so adding a module means adding files, not list entries.

set(SRC ${CMAKE_SOURCE_DIR}/src)
add_compile_options(-Wall -Wextra)

if(MOVARO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

function(movaro_sources out)
  set(files)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

if(WIN32)
  find_package(ZLIB REQUIRED)
  # ANSI ("A") API throughout: UNICODE is never defined. Minimum Windows version:
  # Windows XP (0x0501), the oldest system with everything the programs call
  # (low-level input hooks, SHGetFolderPath, RichEdit 2.0).
  add_library(win32_api INTERFACE)
  target_compile_definitions(win32_api INTERFACE WINVER=0x0501 _WIN32_WINNT=0x0501
                             _WIN32_IE=0x0600 WIN32_LEAN_AND_MEAN STRICT)
else()
  find_package(ZLIB REQUIRED)
endif()

# --- the portable core: data layer, platform interfaces with headless
#     implementations, UI kit model, and the programs' portable logic.
movaro_sources(CORE_SOURCES ${SRC}/data ${SRC}/platform ${SRC}/platform/headless ${SRC}/ui
               ${SRC}/movaro ${SRC}/kestrup)
add_library(core STATIC ${CORE_SOURCES})
target_include_directories(core PUBLIC ${SRC})
target_link_libraries(core PUBLIC ZLIB::ZLIB)

# --- writers of the data files (table database, record file, archive): used
#     by the native authoring tools and by tests to make fixtures; never by the
#     programs, which only read.
movaro_sources(AUTHORING_SOURCES ${SRC}/authoring)
if(AUTHORING_SOURCES)
  add_library(authoring STATIC ${AUTHORING_SOURCES})
  target_link_libraries(authoring PUBLIC core)
else()
  add_library(authoring INTERFACE)
  target_link_libraries(authoring INTERFACE core)
endif()

if(WIN32)
  # --- the Win32 implementations of the platform interfaces.
  movaro_sources(PLATFORM_WIN32_SOURCES ${SRC}/platform/win32 ${SRC}/ui/win32)
  if(PLATFORM_WIN32_SOURCES)
    add_library(platform_win32 STATIC ${PLATFORM_WIN32_SOURCES})
    set(scope PUBLIC)
  else()
    add_library(platform_win32 INTERFACE)
    set(scope INTERFACE)
  endif()
  target_link_libraries(platform_win32 ${scope} core win32_api
                        winmm gdi32 ole32 oleaut32 shell32 uuid comctl32 comdlg32 advapi32)
  set(WIN32_LIBS platform_win32)

  function(movaro_program name kind dir)
    movaro_sources(files ${dir})
    file(GLOB rc CONFIGURE_DEPENDS ${dir}/*.rc ${dir}/*.def)
    if(kind STREQUAL "DLL")
      add_library(${name} SHARED ${files} ${rc})
      set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
      # Undecorated export names: GetProcAddress and SetWindowsHookEx look
      # them up by their plain names.
      target_link_options(${name} PRIVATE -Wl,--kill-at)
    else()
      add_executable(${name} ${kind} ${files} ${rc})
    endif()
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      # Shipped 32-bit programs must load on Windows XP (scripts/check-pe.sh).
      target_sources(${name} PRIVATE ${SRC}/xpcompat/TickCount64.c)
    endif()
  endfunction()

  movaro_program(Movaro WIN32 ${SRC}/movaro/win32)
  target_link_libraries(Movaro PRIVATE ${WIN32_LIBS})
  movaro_program(Kestrup WIN32 ${SRC}/kestrup/win32)
  target_link_libraries(Kestrup PRIVATE ${WIN32_LIBS})
  movaro_program(KestrupEx WIN32 ${SRC}/cleanup)
  target_link_libraries(KestrupEx PRIVATE win32_api)
  # The hook and network client libraries stand apart from the core: small,
  # loaded into the program, depending only on system DLLs.
  movaro_program(MovaroHook DLL ${SRC}/hook)
  set_target_properties(MovaroHook PROPERTIES OUTPUT_NAME Movaro)
  target_link_libraries(MovaroHook PRIVATE win32_api)
  movaro_program(MVRClient DLL ${SRC}/netclient)
  target_link_libraries(MVRClient PRIVATE win32_api ws2_32)
endif()

include(cmake/Tests.cmake)
