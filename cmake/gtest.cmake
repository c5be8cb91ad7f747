# GoogleTest: the system's build natively (and on Windows with an installed GoogleTest), Debian's
# sources built with the cross compiler when cross-compiling from Linux.
if(WIN32 AND EXISTS /usr/src/googletest/CMakeLists.txt)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()

# GoogleTest's main with one difference: when every test of the executable was skipped, it exits
# with this code, which ctest then reports as skipped.
set(TESSA_GTEST_SKIPPED 77)
add_library(tessa_gtest_main STATIC ${PROJECT_SOURCE_DIR}/tests/gtest_main.cpp)
target_link_libraries(tessa_gtest_main PUBLIC GTest::gtest)

# How long an ordinary test may run before ctest ends it and counts it failed; tests that need
# longer set their own TIMEOUT after registering.
set(TESSA_TEST_TIMEOUT 180)

# One GoogleTest executable, registered as one test (under Wine when cross-compiled).
function(tessa_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tessa_gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${TESSA_TEST_TIMEOUT} SKIP_RETURN_CODE ${TESSA_GTEST_SKIPPED})
endfunction()

# Every *_test.cpp of the calling folder becomes one test executable named <area>_<file>;
# files named *_win32_test.cpp exercise the real Windows API and are built for Windows only.
function(tessa_test_folder area)
  cmake_parse_arguments(T "" "" "LIBS;WIN32_LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(src ${sources})
    get_filename_component(name ${src} NAME_WE)
    if(name MATCHES "_win32_test$" AND NOT WIN32)
      continue()
    endif()
    set(libs ${T_LIBS})
    if(WIN32)
      list(APPEND libs ${T_WIN32_LIBS})
    endif()
    tessa_gtest(${area}_${name} SOURCES ${src} LIBS ${libs})
  endforeach()
endfunction()
