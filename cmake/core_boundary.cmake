# Configure-time proof that the core cannot reach the Windows side: a core
# file that names a Win32 header of this project must not compile with the
# core's include root and definitions, while one that names a core header
# must. The second check keeps the first from passing for a wrong reason
# (a broken compiler or include root).
function(kvr_check_core_boundary)
  set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
  set(probe_dir ${CMAKE_BINARY_DIR}/core_boundary)
  file(WRITE ${probe_dir}/core_header.cpp
       "#include \"protocol/device_model.h\"\nint kvr_probe() { return kOutputCount; }\n")
  file(WRITE ${probe_dir}/win32_header.cpp
       "#include \"link/serial_link.h\"\nvoid kvr_probe() { CloseSerialPort(); }\n")
  file(WRITE ${probe_dir}/windows_header.cpp
       "#include <windows.h>\nvoid kvr_probe() { Sleep(1); }\n")
  set(defines "")
  foreach(guard IN LISTS KVR_CORE_GUARDS)
    list(APPEND defines "-D${guard}")
  endforeach()
  set(cases core_header:TRUE win32_header:FALSE)
  if(WIN32)
    list(APPEND cases windows_header:FALSE)
  endif()
  foreach(case IN LISTS cases)
    string(REPLACE ":" ";" parts "${case}")
    list(GET parts 0 name)
    list(GET parts 1 expected)
    try_compile(compiled ${probe_dir}/${name} SOURCES ${probe_dir}/${name}.cpp
                CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${PROJECT_SOURCE_DIR}/core"
                COMPILE_DEFINITIONS ${defines}
                CXX_STANDARD 20
                OUTPUT_VARIABLE output)
    if((compiled AND NOT expected) OR (NOT compiled AND expected))
      message(FATAL_ERROR "core boundary: ${name}.cpp compiled=${compiled}, expected ${expected}\n${output}")
    endif()
  endforeach()
  message(STATUS "core boundary: Win32 headers are out of the core's reach")
endfunction()
kvr_check_core_boundary()
