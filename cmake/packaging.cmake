# Installing and packaging: `cmake --install` of the Windows build puts
# KVR2840E.exe, kvr2840e.exe, kvr2840e-sim.exe, the README and a sample
# settings file in one folder, and CPack zips it as
# kvr2840e-VERSION-win64.zip; of the Linux build, kvr2840e and kvr2840e-sim
# in bin/ with the README and the sample under share/doc/kvr2840e/, and CPack
# makes the Debian package kvr2840e_VERSION_ARCH.deb. scripts/release.sh
# makes both and checks them.
include(GNUInstallDirs)

# The sample settings file: written by the command-line tool from a unit
# simulator (read-all), as an installer makes one. A cross build gets it
# from its native helper build (cmake/native_helpers.cmake).
if(NOT WIN32)
  set(KVR_SAMPLE_SETTINGS ${CMAKE_BINARY_DIR}/sample-settings.dat)
  add_custom_command(OUTPUT ${KVR_SAMPLE_SETTINGS}
    COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/write_sample_settings.sh
            $<TARGET_FILE:kvr2840e-sim> $<TARGET_FILE:kvr2840e> ${KVR_SAMPLE_SETTINGS}
    DEPENDS kvr2840e-sim kvr2840e ${PROJECT_SOURCE_DIR}/cmake/write_sample_settings.sh
    COMMENT "Writing the sample settings file with kvr2840e read-all from the simulator")
  add_custom_target(kvr_sample_settings ALL DEPENDS ${KVR_SAMPLE_SETTINGS})
endif()

set(CPACK_PACKAGE_NAME kvr2840e)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "KVR2840E video switching unit: configuration tool, command-line tool and unit simulator")
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)

if(WIN32)
  install(TARGETS KVR2840E kvr2840e kvr2840e-sim RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
  if(DEFINED KVR_SAMPLE_SETTINGS)
    install(FILES ${KVR_SAMPLE_SETTINGS} DESTINATION .)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME kvr2840e-${PROJECT_VERSION}-win64)
else()
  set(kvr_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/kvr2840e)
  install(TARGETS kvr2840e kvr2840e-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${KVR_SAMPLE_SETTINGS} DESTINATION ${kvr_doc_dir})
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "KVR2840E configuration tool developers")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "kvr2840e reads, sets, verifies and provisions the settings of KVR2840E units over a serial line, an RS-485 bus or TCP/IP, and edits settings files; kvr2840e-sim stands in for a unit.")
  # The libraries the programs link against, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
