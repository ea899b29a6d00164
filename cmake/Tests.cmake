# Test, benchmark, fuzz and tool targets of both trees.
include(CTest)

if(WIN32)
  # Cross-built GoogleTest, from the sources Debian ships.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Every Windows executable ctest runs goes through Wine in this tree's own
  # prefix (build/win32/wineprefix) with a private HOME.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run ${CMAKE_BINARY_DIR})
  # Wine 8 runs a 32-bit Windows program only in a 32-bit Linux process. Where
  # no 32-bit Windows program runs under the installed Wine, the 32-bit tree
  # builds its tests but the 64-bit tree (cmake/x86_64-w64-mingw32.cmake) runs
  # them; scripts/windows-test-tree.sh decides by running a probe.
  set(WINE_CAN_RUN ON)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows-test-tree.sh --why
                    OUTPUT_VARIABLE wine_tree OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REPLACE "\n" ";" wine_tree "${wine_tree}")
    list(GET wine_tree 0 wine_tree_name)
    if(NOT wine_tree_name STREQUAL "win32")
      set(WINE_CAN_RUN OFF)
      list(GET wine_tree 1 wine_tree_why)
      message(STATUS "Windows tests are built, not registered: ${wine_tree_why}")
    endif()
  endif()
  set(GTEST_MAIN_TARGET gtest_main)
  set(GTEST_TARGETS gtest gmock)
else()
  find_package(GTest REQUIRED)
  set(GTEST_MAIN_TARGET GTest::gtest_main)
  set(GTEST_TARGETS GTest::gtest GTest::gmock)
endif()

# The floors of src/ as the #include lines use them: no file includes a floor
# above its own, shipped code no headless double, portable code no Windows header.
add_test(NAME include_floors COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-includes.sh
         ${CMAKE_SOURCE_DIR}/src)

# Picture fixtures in every format the decoder reads, made by ImageMagick at
# build time (never kept in the repository).
set(PICTURE_FIXTURES ${CMAKE_BINARY_DIR}/fixtures/pictures)
add_custom_command(OUTPUT ${PICTURE_FIXTURES}/stamp
                   COMMAND bash ${CMAKE_SOURCE_DIR}/tests/support/make-pictures.sh ${PICTURE_FIXTURES}
                   DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/make-pictures.sh
                   COMMENT "Making the picture fixtures" VERBATIM)
add_custom_target(picture_fixtures DEPENDS ${PICTURE_FIXTURES}/stamp)
# Media fixtures of the Windows tests (a film and sounds), made by ffmpeg and sox.
set(MEDIA_FIXTURES ${CMAKE_BINARY_DIR}/fixtures/media)
add_custom_command(OUTPUT ${MEDIA_FIXTURES}/stamp
                   COMMAND bash ${CMAKE_SOURCE_DIR}/tests/support/make-media.sh ${MEDIA_FIXTURES}
                   DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/make-media.sh
                   COMMENT "Making the media fixtures" VERBATIM)
add_custom_target(media_fixtures DEPENDS ${MEDIA_FIXTURES}/stamp)

# Unit tests of the portable core: the same sources run natively and under Wine.
file(GLOB_RECURSE UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(unit_tests PRIVATE ${MOVARO_PORTABLE_ALL} ${GTEST_TARGETS} ${GTEST_MAIN_TARGET})
target_compile_definitions(unit_tests PRIVATE
  MOVARO_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data" MOVARO_PICTURES="${PICTURE_FIXTURES}")
add_dependencies(unit_tests picture_fixtures)

if(WIN32)
  # Under Wine each test executable is one ctest entry: starting Wine per test
  # case would cost far more than the tests themselves. Run a single case with
  #   scripts/wine-run build/win32 build/win32/bin/unit_tests.exe --gtest_filter=...
  set_target_properties(unit_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  if(WINE_CAN_RUN)
    add_test(NAME unit_tests COMMAND unit_tests)
  endif()

  file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
  add_executable(win32_tests ${WIN32_TEST_SOURCES})
  target_include_directories(win32_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(win32_tests PRIVATE ${WIN32_LIBS} ${MOVARO_PORTABLE_ALL} ${GTEST_TARGETS}
                        ${GTEST_MAIN_TARGET})
  target_sources(win32_tests PRIVATE ${CMAKE_SOURCE_DIR}/src/base/win32/TickCount64.c)
  target_compile_definitions(win32_tests PRIVATE MOVARO_PICTURES="${PICTURE_FIXTURES}"
                             MOVARO_MEDIA="${MEDIA_FIXTURES}")
  target_link_libraries(win32_tests PRIVATE psapi)
  movaro_kit_resources(win32_tests)
  movaro_skin_resources(win32_tests) # the skinned windows as the program shows them
  add_dependencies(win32_tests picture_fixtures media_fixtures)
  set_target_properties(win32_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  if(WINE_CAN_RUN)
    # The sessions with the profile server run through
    # tests/win32/profile_server_session.sh, which starts the server.
    add_test(NAME win32_tests COMMAND win32_tests --gtest_filter=-ProfileServerSession.*:ProfileServerDialog.*:ProfileServerTls.*)
    # A window test that waits for something that never comes must fail in
    # minutes, not hold the run for ctest's default 25.
    set_tests_properties(win32_tests PROPERTIES TIMEOUT 600)
  endif()

  # Helper programs the Win32 tests start (one executable per file).
  file(GLOB WIN32_PROBES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/probes/*.cpp)
  foreach(probe IN LISTS WIN32_PROBES)
    get_filename_component(name ${probe} NAME_WE)
    add_executable(${name} WIN32 ${probe})
    target_link_libraries(${name} PRIVATE ${WIN32_LIBS} ${MOVARO_PORTABLE_ALL})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    add_dependencies(win32_tests ${name})
  endforeach()

  # The static check of the shipped 32-bit programs needs no Wine, so it runs
  # on every machine (scripts/test-all.sh runs the label "static" of the
  # 32-bit tree even where that tree's other tests cannot run).
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_test(NAME shipped_programs_check
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scripts/check_pe_test.sh
                     ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(shipped_programs_check PROPERTIES LABELS static)
  endif()

  # Tests driven from the Linux side (screenshots, xdotool): one script each,
  # given the build tree.
  file(GLOB WIN32_SCRIPT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.sh)
  if(NOT WINE_CAN_RUN)
    set(WIN32_SCRIPT_TESTS)
  endif()
  foreach(script IN LISTS WIN32_SCRIPT_TESTS)
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME ${name} COMMAND bash ${script} ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  endforeach()
  if(TEST profile_server_session)
    set_tests_properties(profile_server_session PROPERTIES TIMEOUT 300)
  endif()
else()
  include(GoogleTest)
  gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)
  if(NOT MOVARO_SANITIZE)
    # Readers of outside bytes in an address space as small as a 32-bit
    # program's: a claimed length they cannot allocate is refused, not thrown.
    add_test(NAME small_address_space
             COMMAND bash -c "ulimit -v 1048576 && exec \"$0\" --gtest_filter=$1"
                     $<TARGET_FILE:unit_tests> ArchiveDirectory.LengthBeyondMemoryIsRefused)
  endif()

  # The profile server: storage on SQLite and on a scratch PostgreSQL server
  # the run starts itself (scripts/pg-scratch.sh), tokens, and many users at
  # once over HTTP on loopback. One ctest entry, so PostgreSQL starts once.
  file(GLOB SERVER_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/server/*.cpp)
  add_executable(server_tests ${SERVER_TEST_SOURCES})
  target_link_libraries(server_tests PRIVATE server_core ${GTEST_TARGETS} ${GTEST_MAIN_TARGET})
  # Two server processes share one database in a test: the program is built first.
  target_compile_definitions(server_tests PRIVATE MOVARO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                                  MOVARO_PROFILE_SERVER="$<TARGET_FILE:profile_server>")
  add_dependencies(server_tests profile_server)
  add_test(NAME server_tests COMMAND server_tests)
  set_tests_properties(server_tests PROPERTIES TIMEOUT 600)

  # The set-up scripts' decisions, with apt and Wine stubbed.
  add_test(NAME setup_decisions
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scripts/setup_decisions_test.sh ${CMAKE_SOURCE_DIR})

  # The mutation tool's choice of mutants (scripts/mutants.sh).
  add_test(NAME mutants_listing
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scripts/mutants_test.sh ${CMAKE_SOURCE_DIR})

  # The day simulator's documented example, run.
  add_test(NAME daysim_example
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scripts/daysim_example_test.sh ${CMAKE_SOURCE_DIR}
                   $<TARGET_FILE:daysim>)

  # The markup tool's output format.
  add_test(NAME markup_layout
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scripts/markup_layout_test.sh $<TARGET_FILE:markup>)

  # Benchmarks: never part of a pass/fail run.
  find_package(benchmark REQUIRED)
  file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
  if(BENCH_SOURCES AND NOT MOVARO_SANITIZE)
    add_executable(benchmarks ${BENCH_SOURCES})
    target_link_libraries(benchmarks PRIVATE ${MOVARO_PORTABLE_ALL} benchmark::benchmark
                          benchmark::benchmark_main)
  endif()

  # The profile server's load generator, run by bench/profile_server.sh.
  if(NOT MOVARO_SANITIZE)
    add_executable(profile_load ${CMAKE_SOURCE_DIR}/bench/load/ProfileLoad.cpp)
    target_link_libraries(profile_load PRIVATE server_core)
    set_target_properties(profile_load PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  endif()

  # Authoring tools: one executable per folder under tools/.
  file(GLOB TOOL_DIRS LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*)
  foreach(dir IN LISTS TOOL_DIRS)
    if(IS_DIRECTORY ${dir})
      get_filename_component(name ${dir} NAME)
      movaro_sources(files ${dir})
      if(files)
        add_executable(${name} ${files})
        target_link_libraries(${name} PRIVATE ${MOVARO_PORTABLE_ALL})
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
      endif()
    endif()
  endforeach()

  # Fuzz targets: one per file, each smoke-run for a short time as a ctest.
  if(MOVARO_FUZZ)
    set(MOVARO_FUZZ_SECONDS 15 CACHE STRING "Seconds each fuzz target runs under ctest")
    file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
    foreach(src IN LISTS FUZZ_SOURCES)
      get_filename_component(name ${src} NAME_WE)
      add_executable(${name} ${src})
      target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
      target_link_options(${name} PRIVATE -fsanitize=fuzzer)
      target_link_libraries(${name} PRIVATE ${MOVARO_PORTABLE_ALL})
      set(corpus ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
      file(MAKE_DIRECTORY ${corpus})
      set(seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/seeds/${name})
      if(NOT IS_DIRECTORY ${seeds})
        set(seeds)
      endif()
      if(name STREQUAL "picture_fuzz") # seeded with the generated pictures
        list(APPEND seeds ${PICTURE_FIXTURES})
        add_dependencies(${name} picture_fixtures)
      endif()
      add_test(NAME ${name} COMMAND ${name} -max_total_time=${MOVARO_FUZZ_SECONDS}
               -rss_limit_mb=2048 -print_final_stats=0 ${corpus} ${seeds})
      set_tests_properties(${name} PROPERTIES LABELS fuzz)
    endforeach()
  endif()
endif()
