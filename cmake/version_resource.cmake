# Who makes the release, as the packages and the version resources name it.
set(KVR_VENDOR "The KVR2840E configuration tool developers")

# kvr_add_version_resource(TARGET DESCRIPTION): on Windows, TARGET's .exe
# carries the release's version and DESCRIPTION in a version resource.
# Elsewhere it does nothing.
function(kvr_add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(KVR_RC_NAME ${target})
  set(KVR_RC_FILE ${target}.exe)
  set(KVR_RC_DESCRIPTION "${description}")
  # FILEVERSION takes four numbers; "1.00" is 1,0,0,0 (no leading zero: the
  # resource compiler would read 08 as octal).
  string(REGEX MATCHALL "[0-9]+" numbers "${PROJECT_VERSION}")
  set(KVR_RC_VERSION "")
  foreach(k RANGE 0 3)
    list(LENGTH numbers count)
    set(number 0)
    if(k LESS count)
      list(GET numbers ${k} number)
      math(EXPR number "${number}")   # "00" -> 0, "08" -> 8
    endif()
    list(APPEND KVR_RC_VERSION ${number})
  endforeach()
  string(JOIN "," KVR_RC_VERSION ${KVR_RC_VERSION})
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
