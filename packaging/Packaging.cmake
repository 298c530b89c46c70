# Installing and packaging: the program and the simulator in bin/, the demo settings beside them in
# share/korvisensor/demo (found from the executable, so an unpacked tree works wherever it lies),
# the desktop entry, icon, AppStream metadata, manual pages, the udev rule for USB serial adapters
# and the copyright file; and a Debian package made by CPack.
include(GNUInstallDirs)

# The desktop entry and the AppStream metadata share the application's reverse-DNS id.
set(KORVI_APP_ID "org.korvisensor.KorviSensor")
set(KORVI_DEMO_DESTINATION ${CMAKE_INSTALL_DATADIR}/korvisensor/demo)
set(KORVI_DOC_DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvisensor)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The build tree mirrors the installed layout for the demo settings (app/../share/...), so a
# program started from the build folder finds them as an installed one does.
file(GLOB_RECURSE korvi_demo_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/demo/*)
set(korvi_demo_stamp ${PROJECT_BINARY_DIR}/share/korvisensor/demo.stamp)
add_custom_command(OUTPUT ${korvi_demo_stamp}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/demo
          ${PROJECT_BINARY_DIR}/share/korvisensor/demo
  COMMAND ${CMAKE_COMMAND} -E touch ${korvi_demo_stamp}
  DEPENDS ${korvi_demo_files}
  COMMENT "Copying the demo settings beside the build's programs")
add_custom_target(korvi_demo_data ALL DEPENDS ${korvi_demo_stamp})

# The live web view, likewise beside the build's programs and installed with the demo.
configure_file(${PROJECT_SOURCE_DIR}/web/viewer.html
               ${PROJECT_BINARY_DIR}/share/korvisensor/web/viewer.html COPYONLY)
install(FILES ${PROJECT_SOURCE_DIR}/web/viewer.html
        DESTINATION ${CMAKE_INSTALL_DATADIR}/korvisensor/web
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

install(TARGETS korvisensor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET korvi-sim)
  install(TARGETS korvi-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/demo/ DESTINATION ${KORVI_DEMO_DESTINATION}
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# What a Linux desktop and Debian's tools expect besides the programs.
if(NOT UNIX OR APPLE)
  return()
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${KORVI_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/korvisensor.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(${CMAKE_CURRENT_LIST_DIR}/${KORVI_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/packaging/${KORVI_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${KORVI_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright
        DESTINATION ${KORVI_DOC_DESTINATION})
# The USB serial bridges: access for the user at the seat, and no probing by ModemManager.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/60-korvisensor.rules DESTINATION lib/udev/rules.d)

# Manual pages and the changelog (a native package's: changelog.gz) go in compressed at the
# highest level and without a time stamp, as Debian's tools expect.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog
               @ONLY)
set(korvi_gzipped)
foreach(page ${CMAKE_CURRENT_LIST_DIR}/korvisensor.1 ${CMAKE_CURRENT_LIST_DIR}/korvi-sim.1
             ${PROJECT_BINARY_DIR}/packaging/changelog)
  get_filename_component(name ${page} NAME)
  set(out ${PROJECT_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND gzip -9 -n -c ${page} > ${out}
    DEPENDS ${page}
    VERBATIM)
  list(APPEND korvi_gzipped ${out})
endforeach()
add_custom_target(korvi_gzipped_docs ALL DEPENDS ${korvi_gzipped})
install(FILES ${PROJECT_BINARY_DIR}/packaging/korvisensor.1.gz
              ${PROJECT_BINARY_DIR}/packaging/korvi-sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${KORVI_DOC_DESTINATION} RENAME changelog.gz)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "korvisensor")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KorviSensor developers")
set(CPACK_PACKAGE_CONTACT "KorviSensor developers <korvisensor@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for a pressure-position sensor system")
set(CPACK_PACKAGE_DESCRIPTION
    "KorviSensor shows every press reported by a pressure-position sensor\n"
    "controller on a serial line as a coloured dot or a footprint picture on a\n"
    "layout of up to 16 sensors, keeps a trace of recent presses, plays sounds\n"
    "by rules, shows the raw serial traffic and records the readings to CSV\n"
    "files. The package also holds korvi-sim, a simulator of the controller on\n"
    "a pseudo-terminal, and demo settings.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_DEBIAN_COMPRESSION_TYPE "xz")
include(CPack)
