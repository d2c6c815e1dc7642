# The Wine scenarios: test programs of the Win32 parts run under Wine against
# the unit simulator, one ctest entry for each scenario (a gtest filter with
# its own simulator and set-up), run by tests/win32/run_wine_scenario.sh.

set(KVR_WINE_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/wine-test-launcher.sh)
set(KVR_WINE_SCENARIO_RUNNER ${PROJECT_SOURCE_DIR}/tests/win32/run_wine_scenario.sh)
set(KVR_WINE_SCENARIO_COVERAGE ${PROJECT_SOURCE_DIR}/tests/win32/check_wine_scenarios.sh)

# The scenarios' unit is the native simulator of cmake/native_helpers.cmake
# (the target kvr_native_sim).

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
