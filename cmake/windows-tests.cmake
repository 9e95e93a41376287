# The unit tests that touch the platform layer, built for Windows and run
# under Wine: the profile reader, the message line, and the Win32 platform's
# files, profiles, code page conversion and messages. The rest of the program
# is the same code on every platform and is tested by the native build.
#
# No GoogleTest package exists for the cross compiler, so it is built here
# from the sources Debian ships in package googletest. Without those sources,
# or without Wine to run the tests, only the program is built.
set(QUENDRIX_GTEST_SOURCE /usr/src/googletest CACHE PATH
    "GoogleTest sources, built for the target")
find_program(QUENDRIX_WINE wine)
if(NOT EXISTS ${QUENDRIX_GTEST_SOURCE}/CMakeLists.txt)
  message(STATUS "Windows unit tests left out: no GoogleTest sources in "
                 "${QUENDRIX_GTEST_SOURCE} (Debian: googletest)")
  return()
endif()
if(NOT QUENDRIX_WINE AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  message(STATUS "Windows unit tests left out: Wine not found (Debian: wine64)")
  return()
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QUENDRIX_GTEST_SOURCE} googletest EXCLUDE_FROM_ALL)

# The test program runs through this, for gtest's test discovery too: Wine
# without a display, quiet, in a prefix of its own inside the build directory.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wine-prefix)
endif()

enable_testing()
include(GoogleTest)

file(GLOB QUENDRIX_TEST_SOURCES CONFIGURE_DEPENDS
  src/platform/*_test.cpp src/platform/${QUENDRIX_PLATFORM}/*_test.cpp)
add_executable(quendrix_tests ${QUENDRIX_TEST_SOURCES})
target_link_libraries(quendrix_tests PRIVATE quendrix_core GTest::gtest_main)
# Tests are listed when ctest runs, so that building needs no Wine.
gtest_discover_tests(quendrix_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)
