# GoogleTest is built inside every build from Debian's source package (package googletest).
set(VIRELTA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${VIRELTA_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${VIRELTA_GTEST_SOURCE}: install the Debian package googletest")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${VIRELTA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

if(WIN32 AND CMAKE_CROSSCOMPILING)
  # Windows test programs run under Wine through this wrapper; it creates the build's private
  # prefix, a persistent wineserver and an Xvfb display on first use (see tools/wine-exec). The
  # x86_64 programs run as 64-bit processes, the i686 ones as 32-bit processes on 64-bit Windows
  # (WOW64), which needs 32-bit Wine. Where Wine cannot run this build's programs, they are built
  # and registered as no tests, and the reason is said here and by tools/run-tests.
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(VIRELTA_WINE_MACHINE x86_64)
  else()
    set(VIRELTA_WINE_MACHINE i686)
  endif()
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-exec --can-run ${VIRELTA_WINE_MACHINE}
                  RESULT_VARIABLE wine_cannot_run ERROR_VARIABLE wine_reason
                  ERROR_STRIP_TRAILING_WHITESPACE)
  if(wine_cannot_run)
    message(WARNING "The ${VIRELTA_WINE_MACHINE} Windows tests are built but NOT RUN: ${wine_reason}")
    set(VIRELTA_NO_TEST_RUNS ON)
  else()
    set(VIRELTA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine-exec;${VIRELTA_WINE_PREFIX})
    add_test(NAME wine.start COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-exec ${VIRELTA_WINE_PREFIX} --start)
    add_test(NAME wine.stop COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-exec ${VIRELTA_WINE_PREFIX} --stop)
    set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
    # A second session whose screen has 120 logical pixels per inch (the system's large fonts),
    # for the tests registered with virelta_test_at_large_fonts.
    set(VIRELTA_WINE_PREFIX_LARGE_FONTS ${CMAKE_BINARY_DIR}/wineprefix-120dpi)
    add_test(NAME wine-large-fonts.start COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-exec
             ${VIRELTA_WINE_PREFIX_LARGE_FONTS} --start --log-pixels 120)
    add_test(NAME wine-large-fonts.stop COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-exec
             ${VIRELTA_WINE_PREFIX_LARGE_FONTS} --stop)
    set_tests_properties(wine-large-fonts.start PROPERTIES FIXTURES_SETUP wine-large-fonts)
    set_tests_properties(wine-large-fonts.stop PROPERTIES FIXTURES_CLEANUP wine-large-fonts)
  endif()
endif()

# Wine tests that change what one session shares beyond their scratch folders (the desktop, the
# Windows fonts folder and the registry values that go with them) hold this lock: one at a time.
set(VIRELTA_SYSTEM_STATE_LOCK virelta-system-state)

# virelta_test(name SOURCES ... LIBS ... [PROPERTIES <ctest properties>]): a GoogleTest program,
# run natively or under Wine. PROPERTIES go to every test discovered in it (RESOURCE_LOCK for
# tests that share something outside their scratch folders).
function(virelta_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main virelta_warnings)
  if(NOT VIRELTA_NO_TEST_RUNS)
    set(props TIMEOUT 300)
    if(WIN32)
      list(APPEND props FIXTURES_REQUIRED wine)
    endif()
    list(APPEND props ${T_PROPERTIES})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 180
                         TEST_PREFIX "${name}." PROPERTIES ${props})
  endif()
endfunction()

# virelta_test_at_large_fonts(target FILTER <gtest filter>): runs the tests of the Wine test
# program `target` that the filter selects once more, in the large-fonts session (120 logical
# pixels per inch), as the one test <target>.LargeFonts. The program finds the resolution it is to
# expect in VIRELTA_TEST_LOGPIXELS (unset in the normal session, which has 96). The test passes
# only when at least one test ran and none failed or was skipped.
function(virelta_test_at_large_fonts target)
  cmake_parse_arguments(T "" "FILTER" "" ${ARGN})
  if(NOT VIRELTA_WINE_PREFIX_LARGE_FONTS OR NOT T_FILTER)
    return()
  endif()
  add_test(NAME ${target}.LargeFonts
           COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-exec ${VIRELTA_WINE_PREFIX_LARGE_FONTS}
                   $<TARGET_FILE:${target}> --gtest_filter=${T_FILTER})
  set_tests_properties(${target}.LargeFonts PROPERTIES
    FIXTURES_REQUIRED wine-large-fonts ENVIRONMENT VIRELTA_TEST_LOGPIXELS=120 TIMEOUT 300
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [1-9][0-9]* tests?\\."
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]|\\[  SKIPPED \\]")
endfunction()

# virelta_test_folder(name LIBS ... [PROPERTIES ...]): the tests of one folder, picked up by file
# name; PROPERTIES as for virelta_test.
#   *Test.cpp        portable: natively on the seam's doubles, under Wine on the real system
#   *FaultTest.cpp   natively only (they inject faults into the doubles)
#   *WinTest.cpp     under Wine only (Win32 behaviour with no portable counterpart)
# Natively the program is <name>_tests, under Wine <name>_win_tests.
function(virelta_test_folder name)
  cmake_parse_arguments(T "" "" "LIBS;PROPERTIES" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  set(sources)
  foreach(file ${all})
    if(file MATCHES "WinTest\\.cpp$")
      if(WIN32)
        list(APPEND sources ${file})
      endif()
    elseif(file MATCHES "FaultTest\\.cpp$")
      if(NOT WIN32)
        list(APPEND sources ${file})
      endif()
    else()
      list(APPEND sources ${file})
    endif()
  endforeach()
  if(WIN32)
    set(target ${name}_win_tests)
    list(APPEND sources ${VIRELTA_WIN32_ENVIRONMENT})
  else()
    set(target ${name}_tests)
    list(APPEND sources ${VIRELTA_MEMORY_ENVIRONMENT})
  endif()
  virelta_test(${target} SOURCES ${sources} LIBS ${T_LIBS} virelta_os_testing
               PROPERTIES ${T_PROPERTIES})
  set(VIRELTA_TEST_TARGET ${target} PARENT_SCOPE)
endfunction()
