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
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    # Windows test programs run under Wine through this wrapper; it creates the build's private
    # prefix, a persistent wineserver and an Xvfb display on first use (see tools/wine-exec).
    set(VIRELTA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine-exec;${VIRELTA_WINE_PREFIX})
    add_test(NAME wine.start COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-exec ${VIRELTA_WINE_PREFIX} --start)
    add_test(NAME wine.stop COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-exec ${VIRELTA_WINE_PREFIX} --stop)
    set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
  else()
    # Only 64-bit Wine runs here: 32-bit test programs are built but never registered as tests.
    set(VIRELTA_NO_TEST_RUNS ON)
  endif()
endif()

# virelta_test(name SOURCES ... LIBS ...): a GoogleTest program, run natively or under Wine.
function(virelta_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main virelta_warnings)
  if(NOT VIRELTA_NO_TEST_RUNS)
    set(props TIMEOUT 300)
    if(WIN32)
      list(APPEND props FIXTURES_REQUIRED wine)
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 180
                         TEST_PREFIX "${name}." PROPERTIES ${props})
  endif()
endfunction()
