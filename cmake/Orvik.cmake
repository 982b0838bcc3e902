# Build rules shared by every directory.
#
# One source tree, three kinds of build:
#   native  - Linux; the portable code, its unit tests (sanitizers), the UPS simulator, benchmarks
#   fuzz    - Linux with clang; libFuzzer targets of the parsers of outside input
#   Windows - MinGW-w64 cross build; the deliverables and the tests that run under Wine
# A file that needs <windows.h> ends in _win.cpp and is only named inside if(WIN32) blocks.

set(ORVIK_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
get_filename_component(ORVIK_ROOT ${ORVIK_ROOT} ABSOLUTE)

if(WIN32)
  set(ORVIK_WINDOWS ON)
elseif(ORVIK_FUZZ)
  set(ORVIK_FUZZ_BUILD ON)
else()
  set(ORVIK_NATIVE ON)
endif()

add_library(orvik_options INTERFACE)
target_include_directories(orvik_options INTERFACE ${ORVIK_ROOT})
target_compile_options(orvik_options INTERFACE -Wall -Wextra -Wshadow -Wformat=2)

if(ORVIK_WINDOWS)
  # Windows XP is the oldest target; newer functions are looked up at run time.
  target_compile_definitions(orvik_options INTERFACE
    _WIN32_WINNT=0x0501 WINVER=0x0501 WIN32_LEAN_AND_MEAN NOMINMAX __USE_MINGW_ANSI_STDIO=1)
  # Only system DLLs may be imported.
  set(ORVIK_STATIC_LINK -static -static-libgcc -static-libstdc++)
  target_link_options(orvik_options INTERFACE ${ORVIK_STATIC_LINK})
endif()

if(ORVIK_WINDOWS AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(ORVIK_I686 ON)
endif()

if(ORVIK_I686)
  # The i686 build computes on the x87, whose registers carry 64-bit mantissas. Left there, the
  # 32-bit programs get other results from the same sources than the 64-bit build that the
  # portable tests check: 25 % of 400 VA ran 28 minutes instead of 29, 13.7 V was recorded as
  # 136 tenths, a reading of 10.6 V passed a threshold of 10.6 V, the viewer stepped an axis of
  # 0..1 by 0.2. Rounding every value to its type gives the same results on any processor that
  # runs these programs, where SSE arithmetic would need SSE2.
  target_compile_options(orvik_options INTERFACE -ffloat-store)
  # MinGW's start-up code widens the x87 to 64-bit mantissas where Windows starts every process
  # with 53; our programs keep Windows' setting. The system's x87 code then gives in them what it
  # gives anywhere (with 64 bits, a third of its automation dates differed in the last bit from
  # the 64-bit system's), and our doubles are rounded once.
  target_link_options(orvik_options INTERFACE -l:CRT_fp8.o)
endif()

if(ORVIK_NATIVE AND ORVIK_SANITIZE)
  target_compile_options(orvik_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(orvik_options INTERFACE -fsanitize=address,undefined)
endif()

if(ORVIK_FUZZ_BUILD)
  target_compile_options(orvik_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(orvik_options INTERFACE -fsanitize=address,undefined)
endif()

if(ORVIK_NATIVE)
  find_package(GTest REQUIRED)
  find_package(benchmark QUIET)
  include(GoogleTest)
endif()

if(ORVIK_WINDOWS)
  # GoogleTest built from Debian's sources with the cross compiler, for the tests that run under Wine.
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(ORVIK_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(ORVIK_NATIVE_BUILD_DIR ${ORVIK_ROOT}/build/native CACHE PATH "Native build holding the UPS simulator")
  set(ORVIK_WIN32_BUILD_DIR "" CACHE PATH "i686 build whose programs the cross-architecture tests start")
  set(ORVIK_WINE_RUN ${ORVIK_ROOT}/tools/wine/run_test.sh)
  set(ORVIK_UPSSIM ${ORVIK_NATIVE_BUILD_DIR}/tools/upssim/upssim)

  # One Wine prefix per build directory: made (or reused) before the first Windows test,
  # its server stopped after the last one.
  add_test(NAME wine_prefix_up COMMAND ${ORVIK_ROOT}/tools/wine/prefix.sh up ${ORVIK_WINE_PREFIX})
  set_tests_properties(wine_prefix_up PROPERTIES FIXTURES_SETUP wine TIMEOUT 240)
  add_test(NAME wine_prefix_down COMMAND ${ORVIK_ROOT}/tools/wine/prefix.sh down ${ORVIK_WINE_PREFIX})
  set_tests_properties(wine_prefix_down PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
endif()

# The message table of the Windows Event Log's entries (source "UPS"): one message per event code
# 1..99, made of the entry's one insertion string, so that Event Viewer shows each event's text
# whole and a code added later needs no line here. In English and Russian, which the system's
# search for a message finds whatever the user's language. Written and compiled with windmc when
# the build is configured; orvik_event_messages(target) puts the table into a program or library.
if(ORVIK_WINDOWS)
  set(ORVIK_EVENT_MESSAGES_DIR ${CMAKE_BINARY_DIR}/event_messages)
  set(mc "LanguageNames=(English=0x409:MSG00409 Russian=0x419:MSG00419)\n")
  foreach(code RANGE 1 99)
    # %0 ends the message without a line feed of its own.
    string(APPEND mc "\nMessageId=${code}\nLanguage=English\n%1%0\n.\nLanguage=Russian\n%1%0\n.\n")
  endforeach()
  file(MAKE_DIRECTORY ${ORVIK_EVENT_MESSAGES_DIR})
  file(WRITE ${ORVIK_EVENT_MESSAGES_DIR}/event_messages.mc "${mc}")
  find_program(ORVIK_MESSAGE_COMPILER_PATH ${ORVIK_MESSAGE_COMPILER} REQUIRED)
  execute_process(
    COMMAND ${ORVIK_MESSAGE_COMPILER_PATH} -r ${ORVIK_EVENT_MESSAGES_DIR} -h ${ORVIK_EVENT_MESSAGES_DIR}
      ${ORVIK_EVENT_MESSAGES_DIR}/event_messages.mc
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ORVIK_MESSAGE_COMPILER} could not compile the event messages")
  endif()
endif()

function(orvik_event_messages target)
  set(rc ${ORVIK_EVENT_MESSAGES_DIR}/event_messages.rc)
  target_sources(${target} PRIVATE ${rc})
  # windres finds the compiled messages (MSG*.bin) through the include path.
  set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES INCLUDE_DIRECTORIES ${ORVIK_EVENT_MESSAGES_DIR})
endfunction()

# A library of portable code: built by every kind of build.
function(orvik_portable_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_link_libraries(${name} PUBLIC orvik_options ${A_LIBS})
endfunction()

# A unit test of portable code, run natively under the sanitizers.
#   I686 - the i686 build runs it too, under Wine (label i686): its subject computes with floating
#          point, and the 32-bit programs must get the results the native test expects
function(orvik_native_test name)
  cmake_parse_arguments(A "I686" "" "SOURCES;LIBS" ${ARGN})
  if(A_I686 AND ORVIK_I686)
    orvik_wine_test(${name} SOURCES ${A_SOURCES} LIBS ${A_LIBS} LABELS i686)
    return()
  endif()
  if(NOT ORVIK_NATIVE)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE orvik_options ${A_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_MODE PRE_TEST PROPERTIES LABELS unit)
endfunction()

# A Windows test program (GoogleTest), run under Wine in the build's prefix.
#   SIMULATOR scenario  - a UPS simulator runs on COM1 for the test's length, playing that scenario
#   NUT_SERVER speed    - NUT's own server serves a simulated UPS (of that speed) on a loopback port
#                         for the test's length (tools/wine/nut_server.sh); skipped without NUT
#   HELPERS targets...  - programs the test starts (built first)
#   NEEDS_WIN32         - the test also starts programs of the i686 build (ORVIK_WIN32_BUILD_DIR)
#   LABELS i686         - its run in the i686 build tells something the x86-64 run cannot (layouts
#                         read across architectures, the exports' calling convention, the 32-bit
#                         viewer, floating point on the x87): tools/test_all.sh runs only these there
function(orvik_wine_test name)
  if(NOT ORVIK_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(A "NEEDS_WIN32" "SIMULATOR;NUT_SERVER;TIMEOUT" "SOURCES;LIBS;HELPERS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE orvik_options ${A_LIBS} gtest gmock gtest_main)
  if(A_HELPERS)
    add_dependencies(${name} ${A_HELPERS})
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  set(env ORVIK_WINE_PREFIX=${ORVIK_WINE_PREFIX} ORVIK_TEST_TIMEOUT=${A_TIMEOUT} ORVIK_BIN_DIR=$<TARGET_FILE_DIR:${name}>)
  if(A_NEEDS_WIN32)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      list(APPEND env ORVIK_WIN32_BIN_DIR=$<TARGET_FILE_DIR:${name}>)
    elseif(ORVIK_WIN32_BUILD_DIR)
      list(APPEND env ORVIK_WIN32_BIN_DIR=${ORVIK_WIN32_BUILD_DIR}/bin)
    else()
      message(FATAL_ERROR "${name} needs ORVIK_WIN32_BUILD_DIR (the win64 preset sets it)")
    endif()
  endif()
  set(lock)
  if(A_SIMULATOR)
    list(APPEND env ORVIK_UPSSIM=${ORVIK_UPSSIM} ORVIK_SIM_SCENARIO=${A_SIMULATOR})
    set(lock com1)
  endif()
  if(A_NUT_SERVER)
    list(APPEND env ORVIK_UPSSIM=${ORVIK_UPSSIM} ORVIK_NUT_SERVER=${A_NUT_SERVER})
    # Such a test installs the service "UPS" of the shared prefix, as the simulator's tests do.
    set(lock com1)
  endif()
  add_test(NAME ${name} COMMAND ${ORVIK_WINE_RUN} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${env}" FIXTURES_REQUIRED wine TIMEOUT ${A_TIMEOUT}
    LABELS "wine;${A_LABELS}" RESOURCE_LOCK "${lock}" SKIP_RETURN_CODE 77)
endfunction()

# A libFuzzer target; ctest runs it briefly over its seed corpus.
function(orvik_fuzz_target name)
  if(NOT ORVIK_FUZZ_BUILD)
    return()
  endif()
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE orvik_options ${A_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  add_test(NAME ${name} COMMAND ${ORVIK_ROOT}/tools/run_fuzz.sh $<TARGET_FILE:${name}> ${work} ${A_CORPUS})
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 120)
endfunction()

# A benchmark (Google Benchmark); prints figures, never part of ctest.
function(orvik_benchmark name)
  if(NOT ORVIK_NATIVE OR ORVIK_SANITIZE OR NOT benchmark_FOUND)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE orvik_options ${A_LIBS} benchmark::benchmark)
endfunction()
