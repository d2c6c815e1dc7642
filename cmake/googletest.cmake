# GoogleTest, built from the Debian source package for whichever compiler this
# build uses (the native g++ or MinGW-w64), so both builds run the same tests.
set(KVR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${KVR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# One test program. Natively every case is its own ctest test; under Wine one
# ctest test runs the whole program, because starting Wine once per case would
# cost a second each.
function(kvr_add_test_program name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE kvr_core GTest::gtest GTest::gtest_main)
  target_compile_options(${name} PRIVATE ${KVR_WARNINGS})
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30)
  endif()
endfunction()
