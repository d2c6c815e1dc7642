# Read by CPack for each generator: the installer's file name says it is one,
# beside the zip of the same programs.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
