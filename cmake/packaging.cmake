# Installing and packaging, all of one version (project()):
#
# Windows build: `cmake --install` puts KVR2840E.exe, kvr2840e-cli.exe,
# kvr2840e-sim.exe, the README, the sample settings file and LICENSE.txt in
# one folder. CPack makes kvr2840e-VERSION-win64.zip of it, and the 64-bit
# installer kvr2840e-VERSION-win64-setup.exe (NSIS, with Debian's makensis):
# Program Files\KVR2840E, a Start-menu shortcut that starts the program in
# Documents\KVR2840E (where it keeps KVR2840E.ini and the user's files; the
# installer makes it, the uninstaller leaves it), an uninstaller registered
# under the Uninstall key; /S and /D= for scripted installs.
#
# Linux build: kvr2840e-cli and kvr2840e-sim in bin/, their manual pages
# (help2man, from --help), the bash completion of kvr2840e-cli, and under
# share/doc/kvr2840e/ the README, the sample, the copyright file (the licence,
# machine-readable) and the changelog. CPack makes kvr2840e_VERSION_ARCH.deb.
#
# scripts/release.sh makes them all and checks them.
include(GNUInstallDirs)

set(KVR_MAINTAINER "${KVR_VENDOR} <maintainers@users.noreply.c-seed-f9a7088f.example>")

# The Debian changelog's latest entry names the version the packages carry:
# the two must agree.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog kvr_changelog_top LIMIT_COUNT 1)
if(NOT kvr_changelog_top MATCHES "^kvr2840e \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog begins with '${kvr_changelog_top}', "
                      "not with an entry for version ${PROJECT_VERSION}")
endif()

# The sample settings file: written by the command-line tool from a unit
# simulator (read-all), as an installer makes one. A cross build gets it
# from its native helper build (cmake/native_helpers.cmake).
if(NOT WIN32)
  set(KVR_SAMPLE_SETTINGS ${CMAKE_BINARY_DIR}/sample-settings.dat)
  add_custom_command(OUTPUT ${KVR_SAMPLE_SETTINGS}
    COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/write_sample_settings.sh
            $<TARGET_FILE:kvr2840e-sim> $<TARGET_FILE:kvr2840e-cli> ${KVR_SAMPLE_SETTINGS}
    DEPENDS kvr2840e-sim kvr2840e-cli ${PROJECT_SOURCE_DIR}/cmake/write_sample_settings.sh
    COMMENT "Writing the sample settings file with kvr2840e-cli read-all from the simulator")
  add_custom_target(kvr_sample_settings ALL DEPENDS ${KVR_SAMPLE_SETTINGS})
endif()

set(CPACK_PACKAGE_NAME kvr2840e)
set(CPACK_PACKAGE_VENDOR "${KVR_VENDOR}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure, provision and simulate KVR2840E video switching units")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# The NSIS script fragments below reach the installer with their quotes.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
# Each generator's own file name (the zip, the installer).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/package_names.cmake)

if(WIN32)
  install(TARGETS KVR2840E kvr2840e-cli kvr2840e-sim RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  if(DEFINED KVR_SAMPLE_SETTINGS)
    install(FILES ${KVR_SAMPLE_SETTINGS} DESTINATION .)
  endif()
  set(CPACK_GENERATOR ZIP NSIS)
  set(KVR_WINDOWS_PACKAGE_NAME kvr2840e-${PROJECT_VERSION}-win64)
  set(CPACK_PACKAGE_FILE_NAME ${KVR_WINDOWS_PACKAGE_NAME})

  # The installer: 64-bit (makensis makes a 32-bit one unless told), into
  # Program Files (64-bit), for all users when run by an administrator.
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_PACKAGE_INSTALL_DIRECTORY KVR2840E)
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY KVR2840E)
  set(CPACK_NSIS_PACKAGE_NAME "KVR2840E ${PROJECT_VERSION}")
  set(CPACK_NSIS_DISPLAY_NAME "KVR2840E configuration tool")
  set(CPACK_NSIS_INSTALLED_ICON_NAME KVR2840E.exe)
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/win32/resources/kvr2840e.ico)
  set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/win32/resources/kvr2840e.ico)
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  # The program keeps .\KVR2840E.ini in the folder it starts in, and a user
  # may not write under Program Files: its shortcut starts it in
  # Documents\KVR2840E ($DOCUMENTS is the Public Documents when installed for
  # all users, the user's own otherwise), made here and left by the
  # uninstaller with whatever the user saved there. CreateShortCut takes the
  # working folder from SetOutPath.
  set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
  CreateDirectory "$DOCUMENTS\KVR2840E"
  SetOutPath "$DOCUMENTS\KVR2840E"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\KVR2840E.lnk" "$INSTDIR\KVR2840E.exe"
  SetOutPath "$INSTDIR"
]=])
  set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete "$SMPROGRAMS\$MUI_TEMP\KVR2840E.lnk"
]=])
else()
  set(kvr_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/kvr2840e)
  install(TARGETS kvr2840e-cli kvr2840e-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${KVR_SAMPLE_SETTINGS} DESTINATION ${kvr_doc_dir})

  # The copyright file: the licence in Debian's machine-readable format.
  file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE kvr_license_lines)
  set(KVR_LICENSE_TEXT "")
  foreach(line IN LISTS kvr_license_lines)
    if(line STREQUAL "")
      string(APPEND KVR_LICENSE_TEXT " .\n")
    else()
      string(APPEND KVR_LICENSE_TEXT " ${line}\n")
    endif()
  endforeach()
  string(STRIP "${KVR_LICENSE_TEXT}" KVR_LICENSE_TEXT)
  set(KVR_LICENSE_TEXT " ${KVR_LICENSE_TEXT}")
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/copyright.in ${CMAKE_BINARY_DIR}/debian/copyright @ONLY)

  # The changelog and the manual pages, compressed as Debian wants them.
  set(kvr_changelog ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
    COMMAND gzip -9n < ${kvr_changelog} > ${CMAKE_BINARY_DIR}/debian/changelog.gz
    DEPENDS ${kvr_changelog} VERBATIM)
  set(kvr_man_pages ${CMAKE_BINARY_DIR}/debian/kvr2840e-cli.1.gz ${CMAKE_BINARY_DIR}/debian/kvr2840e-sim.1.gz)
  set(kvr_make_man_page ${PROJECT_SOURCE_DIR}/cmake/make_man_page.sh)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/kvr2840e-cli.1.gz
    COMMAND bash ${kvr_make_man_page} $<TARGET_FILE:kvr2840e-cli>
            "read, set, verify and provision KVR2840E units; edit and compare settings files"
            ${kvr_changelog} ${CMAKE_BINARY_DIR}/debian/kvr2840e-cli.1.gz
            read-all set-all verify send provision titles diff report
    DEPENDS kvr2840e-cli ${kvr_make_man_page} ${kvr_changelog} VERBATIM)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/kvr2840e-sim.1.gz
    COMMAND bash ${kvr_make_man_page} $<TARGET_FILE:kvr2840e-sim>
            "a stand-in for a KVR2840E video switching unit, on a serial line or TCP/IP"
            ${kvr_changelog} ${CMAKE_BINARY_DIR}/debian/kvr2840e-sim.1.gz
    DEPENDS kvr2840e-sim ${kvr_make_man_page} ${kvr_changelog} VERBATIM)
  add_custom_target(kvr_debian_files ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz ${kvr_man_pages})

  install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
          DESTINATION ${kvr_doc_dir})
  install(FILES ${kvr_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/bash-completion/kvr2840e-cli
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KVR_MAINTAINER}")
  # The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the rest.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "kvr2840e-cli reads, sets, verifies and provisions the settings of KVR2840E
video switching units (64 inputs, 16 outputs) over a serial line, an RS-485
bus or TCP/IP, up to 96 units at once, and edits and compares their settings
files. kvr2840e-sim stands in for a unit, for tests and training.")
  # The libraries the programs link against, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
