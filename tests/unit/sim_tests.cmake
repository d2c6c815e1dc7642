# The unit simulator's tests. The interpreter, live status, clock, link and
# option tests use the simulator's library and run in both builds; the
# process tests start the real simulator over a pseudo-terminal and loopback
# TCP, so they are native only.
kvr_add_test_program(sim_core_tests
  test_support.cpp
  sim_test_support.cpp
  sim_interpreter_test.cpp
  sim_live_status_test.cpp
  sim_clock_test.cpp
  sim_link_test.cpp
  sim_options_test.cpp
  sim_round_trip_test.cpp
)
target_link_libraries(sim_core_tests PRIVATE kvr_sim_core)

if(NOT WIN32)
  kvr_add_test_program(sim_process_tests
    test_support.cpp
    sim_test_support.cpp
    sim_process.cpp
    sim_process_test.cpp
  )
  target_link_libraries(sim_process_tests PRIVATE kvr_sim_core)
  target_compile_definitions(sim_process_tests PRIVATE KVR_SIM_PATH="$<TARGET_FILE:kvr2840e-sim>")
  add_dependencies(sim_process_tests kvr2840e-sim)
endif()
