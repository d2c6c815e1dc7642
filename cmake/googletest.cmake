# GoogleTest, built from the Debian source package for whichever compiler this
# build uses (the native g++ or MinGW-w64), so both builds run the same tests.
set(KVR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${KVR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# kvr_test_code(TARGET...): the test programs' own code, and GoogleTest,
# compile without optimisation. What they test is the libraries, built as the
# build type says (the release flags natively and for Windows, the sanitizers'
# in theirs); the tests' own files, heavy with GoogleTest's macros, then
# compile in half the time.
function(kvr_test_code)
  if(NOT MSVC)
    foreach(target ${ARGN})
      target_compile_options(${target} PRIVATE -O0)
    endforeach()
  endif()
endfunction()
kvr_test_code(gtest gtest_main)

# kvr_test_header(TARGET...): GoogleTest's header precompiled for each test
# program: parsing it is more than half of a test file's compile time, in
# every one of the builds.
function(kvr_test_header)
  foreach(target ${ARGN})
    target_precompile_headers(${target} PRIVATE <gtest/gtest.h>)
  endforeach()
endfunction()

# One test program. Natively every case is its own ctest test, and the whole
# program runs once more in one process in a shuffled order, so that a case
# that leans on state another left behind is found. Under Wine one ctest test
# runs the whole program, shuffled, because starting Wine once per case would
# cost a second each.
function(kvr_add_test_program name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE kvr_test_support GTest::gtest GTest::gtest_main)
  target_compile_options(${name} PRIVATE ${KVR_WARNINGS})
  kvr_test_code(${name})
  kvr_test_header(${name})
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 --gtest_shuffle)
    kvr_require_gtest_summary(${name})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 NO_PRETTY_VALUES)
    add_test(NAME ${name}.shuffled COMMAND ${name} --gtest_brief=1 --gtest_shuffle)
    kvr_require_gtest_summary(${name}.shuffled)
  endif()
endfunction()

# A run that dies without GoogleTest's summary, runs no case at all, or
# skips one, must not pass. Nor may one whose sanitizer reported only at exit
# (a leak comes after the summary).
function(kvr_require_gtest_summary test)
  set_tests_properties(${test} PROPERTIES
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [1-9]"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];\\[  SKIPPED \\];SUMMARY: [A-Za-z]*Sanitizer")
endfunction()
