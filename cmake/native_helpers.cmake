# What the Windows build needs to run natively: the unit simulator (the Wine
# tests' unit: it makes a Linux pty that Wine maps to a COM port) and the
# command-line tool that writes the package's sample settings file. They come
# from this same source tree, configured without the toolchain file in a
# folder of this build, of which only those targets are built. Configured
# once; built on every build, which Ninja makes a no-op when nothing changed.
# Optimised lightly (-O1): they are helpers, and compile in half the time.
#
# KVR_NATIVE_TOOLS_DIR: a native build of this tree that has built them
# already (its sim/kvr2840e-sim and sample-settings.dat); the test command
# builds the native preset first and names it here, so that they are not
# compiled twice.
set(KVR_NATIVE_TOOLS_DIR "" CACHE PATH "A native build of this tree whose simulator and sample the Windows build uses")
if(KVR_NATIVE_TOOLS_DIR)
  set(KVR_NATIVE_HELPERS_DIR ${KVR_NATIVE_TOOLS_DIR})
  foreach(helper sim/kvr2840e-sim sample-settings.dat)
    if(NOT EXISTS ${KVR_NATIVE_HELPERS_DIR}/${helper})
      message(FATAL_ERROR "KVR_NATIVE_TOOLS_DIR: ${KVR_NATIVE_HELPERS_DIR} has no ${helper}: build it first")
    endif()
  endforeach()
  add_custom_target(kvr_native_sim_build)
else()
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
endif()
add_executable(kvr_native_sim IMPORTED GLOBAL)
set_target_properties(kvr_native_sim PROPERTIES IMPORTED_LOCATION ${KVR_NATIVE_HELPERS_DIR}/sim/kvr2840e-sim)
# Built by every build (ALL), with or without the tests.
set(KVR_SAMPLE_SETTINGS ${KVR_NATIVE_HELPERS_DIR}/sample-settings.dat)
