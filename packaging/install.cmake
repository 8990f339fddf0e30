# Install layout and the Debian package.
#
#   cmake --install build --prefix /opt/tavrin4x    bin/, share/tavrin4x/, menu entry, icons
#   (cd build && cpack -G DEB)                      tavrin4x_<version>_<arch>.deb for /usr
#   scripts/package.sh                              both programs built, then the package
#
# Installing and packaging take the programs as built: they do not build the
# tests and benchmarks first (scripts/package.sh builds what is needed).
#
# The program looks for its pictures and resolution list beside itself first,
# then in ../share/tavrin4x relative to its own folder, so any prefix works.

include(GNUInstallDirs)
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

file(RELATIVE_PATH TAVRIN_DATA_FROM_BIN "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_DATADIR}/tavrin4x")
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/link/program_files.cpp APPEND PROPERTY
             COMPILE_DEFINITIONS TAVRIN_DATA_FROM_BIN="${TAVRIN_DATA_FROM_BIN}")

install(TARGETS tavrin4x RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tavrin4x-sim)
  install(TARGETS tavrin4x-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tavrin4x)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavrin4x.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Drawn by tools/draw_bitmaps.cpp.
install(DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/simulator/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME simulator.md)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrin4x)
set(CPACK_PACKAGE_VENDOR "TAVRIN-4X panel developers")
set(CPACK_PACKAGE_CONTACT "TAVRIN-4X panel developers <tavrin4x@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control panel for the TAVRIN-4X video processor")
set(CPACK_PACKAGE_DESCRIPTION
    "Routes inputs to outputs, switches display modes and adjusts picture, bezel, audio and output of a TAVRIN-4X over RS-232 or Ethernet. Includes tavrin4x-sim, a simulated device.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# The Qt 6 libraries (libqt6widgets6 and the rest, whatever the release calls
# them) come from dpkg-shlibdeps; the fonts are what the captions were fitted to.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2 | fonts-liberation, fonts-dejavu-core, fonts-wqy-microhei")
include(CPack)
