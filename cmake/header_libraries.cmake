# CLI11 (the command lines of kvr2840e-cli and kvr2840e-sim) and nlohmann/json
# (the --json output), both header-only, from the Debian packages libcli11-dev
# and nlohmann-json3-dev. Their headers lie in /usr/include, which neither
# build may put on its include path: the MinGW-w64 compiler would then find
# glibc's headers before its own. So each build gets a folder of its own,
# made here at configure time, that holds links to these two header folders
# and nothing else:
#   kvr_cli11  CLI/CLI.hpp
#   kvr_json   nlohmann/json.hpp
set(KVR_HEADER_LIBRARY_ROOT /usr/include CACHE PATH
  "Where the header folders CLI/ (libcli11-dev) and nlohmann/ (nlohmann-json3-dev) are installed")
set(KVR_HEADER_LIBRARY_DIR ${CMAKE_BINARY_DIR}/header-libraries)

function(kvr_header_library target folder header package)
  set(source ${KVR_HEADER_LIBRARY_ROOT}/${folder})
  if(NOT EXISTS ${source}/${header})
    message(FATAL_ERROR "${source}/${header} is missing: install the Debian package ${package} "
                        "(bash scripts/setup.sh installs what the build needs)")
  endif()
  file(MAKE_DIRECTORY ${KVR_HEADER_LIBRARY_DIR}/${target})
  file(CREATE_LINK ${source} ${KVR_HEADER_LIBRARY_DIR}/${target}/${folder} SYMBOLIC)
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${KVR_HEADER_LIBRARY_DIR}/${target})
endfunction()

kvr_header_library(kvr_cli11 CLI CLI.hpp libcli11-dev)
kvr_header_library(kvr_json nlohmann json.hpp nlohmann-json3-dev)
