# The Wine scenarios: test programs of the Win32 parts run under Wine against
# the unit simulator, one ctest entry for each scenario (a gtest filter with
# its own simulator and set-up), run by tests/win32/run_wine_scenario.sh.
include(ExternalProject)

set(KVR_WINE_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/wine-test-launcher.sh)
set(KVR_WINE_SCENARIO_RUNNER ${PROJECT_SOURCE_DIR}/tests/win32/run_wine_scenario.sh)
set(KVR_WINE_SCENARIO_COVERAGE ${PROJECT_SOURCE_DIR}/tests/win32/check_wine_scenarios.sh)

# The scenarios need a NATIVE simulator (it makes a Linux pty that Wine maps
# to a COM port): this same source tree, configured without the toolchain
# file in a folder of this build, of which only the simulator is built.
# Configured once; built on every build, which Ninja makes a no-op when
# nothing changed.
set(KVR_NATIVE_SIM_DIR ${CMAKE_BINARY_DIR}/native-sim)
ExternalProject_Add(kvr_native_sim_build
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${KVR_NATIVE_SIM_DIR}
  CMAKE_GENERATOR Ninja
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DKVR_BUILD_TESTS=OFF -DKVR_WERROR=${KVR_WERROR}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${KVR_NATIVE_SIM_DIR} --target kvr2840e-sim
  BUILD_ALWAYS TRUE
  BUILD_BYPRODUCTS ${KVR_NATIVE_SIM_DIR}/sim/kvr2840e-sim
  INSTALL_COMMAND ""
  LOG_CONFIGURE TRUE
  LOG_BUILD TRUE
  LOG_OUTPUT_ON_FAILURE TRUE
)
add_executable(kvr_native_sim IMPORTED GLOBAL)
set_target_properties(kvr_native_sim PROPERTIES IMPORTED_LOCATION ${KVR_NATIVE_SIM_DIR}/sim/kvr2840e-sim)

# kvr_wine_scenario_program(TARGET): TARGET's cases run as Wine scenarios. It
# is built after the native simulator, and a ctest entry checks that every
# case it lists (--gtest_list_tests) is run by one of its scenarios, so that
# a case left off the list fails instead of never running.
function(kvr_wine_scenario_program program)
  add_dependencies(${program} kvr_native_sim_build)
  set(filters ${CMAKE_CURRENT_BINARY_DIR}/${program}.scenarios)
  # Read at generate time: the scenarios added after this call count too.
  file(GENERATE OUTPUT ${filters}
       CONTENT "$<JOIN:$<TARGET_PROPERTY:${program},KVR_WINE_SCENARIO_FILTERS>,\n>\n")
  kvr_add_wine_scenario_check(${program}.every_case_has_a_scenario ${program} ${filters})
endfunction()

# kvr_add_wine_scenario_check(TEST TARGET FILTERS_FILE): the ctest entry TEST
# that fails unless the filters of FILTERS_FILE, one a line, cover every case
# of TARGET.
function(kvr_add_wine_scenario_check test program filters)
  add_test(NAME ${test}
    COMMAND bash ${KVR_WINE_SCENARIO_COVERAGE} ${KVR_WINE_LAUNCHER} $<TARGET_FILE:${program}> ${filters})
endfunction()

# kvr_add_wine_scenario(TARGET NAME SETUP <serial|program|tcp-client|tcp-server>
#                       [FILTER GTEST_FILTER] [UNITS N] [WILL_FAIL]
#                       [SIM_OPTIONS OPTION...])
# One ctest entry, TARGET.NAME: the cases of TARGET that GTEST_FILTER names
# (NAME when not given; patterns separated by ':', no negative ones) against
# a simulator started with SIM_OPTIONS, set up as SETUP says (see the
# runner). UNITS: how many units connect to the program's server (tcp-server).
# WILL_FAIL: a proof that must fail; its filter covers no case.
function(kvr_add_wine_scenario program name)
  cmake_parse_arguments(PARSE_ARGV 2 arg "WILL_FAIL" "SETUP;FILTER;UNITS" "SIM_OPTIONS")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "kvr_add_wine_scenario(${program} ${name}): unknown ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_SETUP MATCHES "^(serial|program|tcp-client|tcp-server)$")
    message(FATAL_ERROR "kvr_add_wine_scenario(${program} ${name}): SETUP '${arg_SETUP}' is none of "
                        "serial, program, tcp-client, tcp-server")
  endif()
  set(server FALSE)
  if(arg_SETUP STREQUAL "tcp-server")
    set(server TRUE)
  endif()
  set(units_given FALSE)
  if(DEFINED arg_UNITS)
    set(units_given TRUE)
  endif()
  if(NOT server STREQUAL units_given)
    message(FATAL_ERROR "kvr_add_wine_scenario(${program} ${name}): UNITS goes with SETUP tcp-server, and only there")
  endif()
  if(NOT DEFINED arg_FILTER)
    set(arg_FILTER ${name})
  endif()
  if(arg_FILTER MATCHES "-")
    message(FATAL_ERROR "kvr_add_wine_scenario(${program} ${name}): a negative filter cannot be checked for coverage")
  endif()
  set(units "")
  if(DEFINED arg_UNITS)
    set(units --units ${arg_UNITS})
  endif()
  add_test(NAME ${program}.${name}
    COMMAND bash ${KVR_WINE_SCENARIO_RUNNER} --setup ${arg_SETUP} --sim $<TARGET_FILE:kvr_native_sim>
            --launcher ${KVR_WINE_LAUNCHER} --exe $<TARGET_FILE:${program}> --filter ${arg_FILTER} ${units}
            -- ${arg_SIM_OPTIONS})
  if(arg_WILL_FAIL)
    set_tests_properties(${program}.${name} PROPERTIES WILL_FAIL TRUE)
  else()
    set_property(TARGET ${program} APPEND PROPERTY KVR_WINE_SCENARIO_FILTERS "${arg_FILTER}")
  endif()
endfunction()
