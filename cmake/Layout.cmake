# Where the sources live and what is built from them. New source files are
# picked up by directory, so adding a module means adding files, not list entries.

set(SRC ${CMAKE_SOURCE_DIR}/src)
add_compile_options(-Wall -Wextra)
# The product's own code (every library and program built from src/) builds
# without warnings; tests, tools and benchmarks only report theirs.
option(MOVARO_WERROR "Treat warnings in the product's code as errors" ON)
set(MOVARO_PRODUCT_OPTIONS $<$<BOOL:${MOVARO_WERROR}>:-Werror>)
if(MINGW)
  # The Windows programs are built for size: they spend their time waiting
  # for the user, in the system and in zlib, not in their own code, while the
  # setup file's stub has a size budget and every program's code is memory.
  add_compile_options(-Os)
endif()

if(MOVARO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(MOVARO_FUZZ)
  # Coverage in every library the fuzz targets link, not only in the targets'
  # own files: without it libFuzzer sees none of the code under test.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Every .cpp/.c file below the folders. Used for the tools, one folder each.
function(movaro_sources out)
  set(files)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# The sources of a floor: every .cpp/.c file below its folder except those in
# win32/ and headless/ subfolders, which belong to targets of their own. New
# subfolders join their floor without an edit here.
function(movaro_floor_sources out dir)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  set(files)
  foreach(file IN LISTS found)
    file(RELATIVE_PATH rel ${dir} ${file})
    if(NOT rel MATCHES "(^|/)(win32|headless)/")
      list(APPEND files ${file})
    endif()
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# The files below dir that lie in one of its win32/ folders (.rc and .def too).
function(movaro_win32_sources out dir)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c ${dir}/*.rc ${dir}/*.def)
  set(files)
  foreach(file IN LISTS found)
    file(RELATIVE_PATH rel ${dir} ${file})
    if(rel MATCHES "(^|/)win32/")
      list(APPEND files ${file})
    endif()
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# A static library of the given sources linked to what it may use; an interface
# library while there are no sources yet, so dependants need not change when
# the first file arrives.
function(movaro_library name)
  cmake_parse_arguments(arg "" "" "SOURCES;USES" ${ARGN})
  if(arg_SOURCES)
    add_library(${name} STATIC ${arg_SOURCES})
    target_link_libraries(${name} PUBLIC ${arg_USES})
    target_compile_options(${name} PRIVATE ${MOVARO_PRODUCT_OPTIONS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${arg_USES})
  endif()
endfunction()

function(movaro_floor name dir)
  movaro_floor_sources(files ${dir})
  movaro_library(${name} SOURCES ${files} ${ARGN})
endfunction()

if(WIN32)
  # zlib linked in: the programs depend on no DLL that Windows lacks.
  set(ZLIB_USE_STATIC_LIBS ON)
  find_package(ZLIB REQUIRED)
  # ANSI ("A") API throughout: UNICODE is never defined. Minimum Windows version:
  # Windows XP (0x0501), the oldest system with everything the programs call
  # (low-level input hooks, SHGetFolderPath, RichEdit 2.0).
  add_library(win32_api INTERFACE)
  # The late-imported libraries' functions are declared without dllimport:
  # a call then goes to the late-import stub, which the 32-bit linker keeps.
  # Called through the import slot instead, it drops the stub as unused and
  # the slot stays empty (a call to address 0 on the first use).
  target_compile_definitions(win32_api INTERFACE WINVER=0x0501 _WIN32_WINNT=0x0501
                             _WIN32_IE=0x0600 WIN32_LEAN_AND_MEAN STRICT
                             _COMCTL32_ _COMDLG32_ _WINMM_)
else()
  find_package(ZLIB REQUIRED)
endif()

# --- the portable floors, each a target that links only the floors below it
#     (scripts/check-includes.sh holds the same order for the #include lines).
add_library(src_root INTERFACE)
target_include_directories(src_root INTERFACE ${SRC})
movaro_floor(base ${SRC}/base USES src_root)
movaro_floor(platform ${SRC}/platform USES base)
movaro_floor(data ${SRC}/data USES platform base ZLIB::ZLIB)
# stb_image (Debian's libstb-dev) decodes the common picture formats. It is a
# header only, so the Windows trees take it from the host's include folder too.
find_path(STB_INCLUDE_DIR stb_image.h PATHS /usr/include/stb NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
target_include_directories(data SYSTEM PRIVATE ${STB_INCLUDE_DIR})
movaro_floor(uikit ${SRC}/ui USES data)
movaro_floor(protocol ${SRC}/protocol USES data)
movaro_floor(movaro_core ${SRC}/movaro USES uikit protocol)
movaro_floor(kestrup_core ${SRC}/kestrup USES uikit)

# --- never shipped: the headless doubles of the platform interfaces, the
#     simulators and harnesses built on them, and the writers of the data files
#     (for the authoring tools and test fixtures; the programs only read).
movaro_floor(platform_headless ${SRC}/platform/headless USES platform)
movaro_floor(sim ${SRC}/sim USES movaro_core kestrup_core platform_headless)
movaro_floor(authoring ${SRC}/authoring USES data platform_headless)
# What tests, benchmarks and tools link: every portable floor and the doubles.
set(MOVARO_PORTABLE_ALL movaro_core kestrup_core sim authoring platform_headless)

if(NOT WIN32)
  # --- the profile server, a native Linux program on base, data and protocol:
  #     its logic as a library, its entry (main.cpp) as the program.
  movaro_floor_sources(SERVER_SOURCES ${SRC}/server)
  list(FILTER SERVER_SOURCES EXCLUDE REGEX "/main\\.cpp$")
  # Debian's cpp-httplib is a compiled library: its defines (TLS, compression)
  # come from pkg-config and must match, or the classes' layouts differ.
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
  find_package(SQLite3 REQUIRED)
  find_package(OpenSSL REQUIRED)
  # libpq for the server (its pipeline mode), libpqxx for the tests' set-up.
  pkg_check_modules(LIBPQ REQUIRED IMPORTED_TARGET libpq)
  find_library(PQXX_LIBRARY pqxx REQUIRED)
  find_package(Threads REQUIRED)
  movaro_library(server_core SOURCES ${SERVER_SOURCES} USES protocol PkgConfig::HTTPLIB
                 SQLite::SQLite3 OpenSSL::Crypto ${PQXX_LIBRARY} PkgConfig::LIBPQ Threads::Threads)
  if(EXISTS ${SRC}/server/main.cpp)
    add_executable(profile_server ${SRC}/server/main.cpp)
    target_link_libraries(profile_server PRIVATE server_core)
    target_compile_options(profile_server PRIVATE ${MOVARO_PRODUCT_OPTIONS})
    set_target_properties(profile_server PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  endif()
endif()

if(WIN32)
  # --- the Win32 implementations of the platform interfaces and the UI kit's
  #     Win32 backend.
  #     The libraries not among the system's known ones are imported late,
  #     from the system folder (cmake/DelayLoad.cmake, base/win32/LibrarySearch.h,
  #     whose small library every shipped program links too).
  include(cmake/DelayLoad.cmake)
  movaro_library(library_search SOURCES ${SRC}/base/win32/LibrarySearch.c USES src_root win32_api)
  movaro_win32_sources(PLATFORM_WIN32_SOURCES ${SRC}/platform)
  movaro_library(platform_win32 SOURCES ${PLATFORM_WIN32_SOURCES} USES platform win32_api
                 library_search delay_winmm gdi32 ole32 oleaut32 shell32 uuid delay_comctl32
                 delay_comdlg32 advapi32)
  movaro_win32_sources(UIKIT_WIN32_SOURCES ${SRC}/ui)
  movaro_library(uikit_win32 SOURCES ${UIKIT_WIN32_SOURCES} USES uikit platform_win32)
  set(WIN32_LIBS uikit_win32 platform_win32)
  include(cmake/KitResources.cmake)

  # A program or DLL of the given sources.
  function(movaro_program name kind)
    if(kind STREQUAL "DLL")
      add_library(${name} SHARED ${ARGN})
      set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
      # Undecorated export names: GetProcAddress and SetWindowsHookEx look
      # them up by their plain names.
      target_link_options(${name} PRIVATE -Wl,--kill-at)
    else()
      add_executable(${name} ${kind} ${ARGN})
    endif()
    target_link_libraries(${name} PRIVATE src_root win32_api library_search)
    target_compile_options(${name} PRIVATE ${MOVARO_PRODUCT_OPTIONS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      # Shipped 32-bit programs must load on Windows XP (scripts/check-pe.sh).
      target_sources(${name} PRIVATE ${SRC}/base/win32/TickCount64.c)
    endif()
  endfunction()

  # The two programs: their win32/ folders on their portable logic.
  movaro_win32_sources(files ${SRC}/movaro)
  movaro_program(Movaro WIN32 ${files})
  target_link_libraries(Movaro PRIVATE movaro_core ${WIN32_LIBS})
  movaro_kit_resources(Movaro)
  include(cmake/Skins.cmake)
  movaro_skin_resources(Movaro)
  include(cmake/Manifests.cmake)
  movaro_manifest(Movaro "Movaro, a health assistant for work at the computer")
  movaro_win32_sources(files ${SRC}/kestrup)
  movaro_program(Kestrup WIN32 ${files})
  target_link_libraries(Kestrup PRIVATE kestrup_core ${WIN32_LIBS})
  movaro_kit_resources(Kestrup)
  include(cmake/KestrupPictures.cmake)
  movaro_manifest(Kestrup "Kestrup, the installer")
  # The outside pieces stand apart from the core: small, depending only on
  # system DLLs; the network client speaks the portable protocol.
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${SRC}/cleanup/*.cpp ${SRC}/cleanup/*.rc)
  movaro_program(KestrupEx WIN32 ${files})
  movaro_manifest(KestrupEx "Kestrup's clean-up program")
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${SRC}/hook/*.cpp ${SRC}/hook/*.rc ${SRC}/hook/*.def)
  movaro_program(MovaroHook DLL ${files})
  set_target_properties(MovaroHook PROPERTIES OUTPUT_NAME Movaro)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${SRC}/netclient/*.cpp ${SRC}/netclient/*.rc
       ${SRC}/netclient/*.def)
  movaro_program(MVRClient DLL ${files})
  target_link_libraries(MVRClient PRIVATE protocol ws2_32 advapi32 secur32 crypt32)
endif()

include(cmake/Tests.cmake)
