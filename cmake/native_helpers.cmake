# What the Windows build needs to run natively: the unit simulator (the Wine
# tests' unit: it makes a Linux pty that Wine maps to a COM port) and the
# command-line tool that writes the package's sample settings file. They come
# from this same source tree, configured without the toolchain file in a
# folder of this build, of which only those targets are built. Configured
# once; built on every build, which Ninja makes a no-op when nothing changed.
# Optimised lightly (-O1): they are helpers, and compile in half the time.
include(ExternalProject)

set(KVR_NATIVE_HELPERS_DIR ${CMAKE_BINARY_DIR}/native-sim)
ExternalProject_Add(kvr_native_sim_build
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${KVR_NATIVE_HELPERS_DIR}
  CMAKE_GENERATOR Ninja
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release "-DCMAKE_C_FLAGS_RELEASE=-O1 -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG"
             -DKVR_BUILD_TESTS=OFF -DKVR_WERROR=${KVR_WERROR}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${KVR_NATIVE_HELPERS_DIR} --target kvr2840e-sim kvr_sample_settings
  BUILD_ALWAYS TRUE
  BUILD_BYPRODUCTS ${KVR_NATIVE_HELPERS_DIR}/sim/kvr2840e-sim ${KVR_NATIVE_HELPERS_DIR}/sample-settings.dat
  INSTALL_COMMAND ""
  LOG_CONFIGURE TRUE
  LOG_BUILD TRUE
  LOG_OUTPUT_ON_FAILURE TRUE
)
add_executable(kvr_native_sim IMPORTED GLOBAL)
set_target_properties(kvr_native_sim PROPERTIES IMPORTED_LOCATION ${KVR_NATIVE_HELPERS_DIR}/sim/kvr2840e-sim)
# Built by every build (ALL), with or without the tests.
set(KVR_SAMPLE_SETTINGS ${KVR_NATIVE_HELPERS_DIR}/sample-settings.dat)
