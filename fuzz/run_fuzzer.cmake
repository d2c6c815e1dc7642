# Runs one fuzz target for SECONDS on a fresh copy of its seed corpus (so that
# every run starts from the writers' output, and the tree's seeds never grow).
# A crash, a leak, a sanitizer report or a broken invariant fails the test;
# the input that did it is left in ARTIFACTS.
foreach(var FUZZER SEEDS WORK ARTIFACTS SECONDS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_fuzzer.cmake needs -D${var}=...")
  endif()
endforeach()
if(NOT IS_DIRECTORY "${SEEDS}")
  message(FATAL_ERROR "no seed corpus at ${SEEDS}")
endif()
file(REMOVE_RECURSE "${WORK}" "${ARTIFACTS}")
file(MAKE_DIRECTORY "${WORK}" "${ARTIFACTS}")
file(COPY "${SEEDS}/" DESTINATION "${WORK}")
execute_process(
  COMMAND "${FUZZER}" -max_total_time=${SECONDS} -timeout=10 -print_final_stats=1
          "-artifact_prefix=${ARTIFACTS}/" "${WORK}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input is in ${ARTIFACTS}")
endif()
