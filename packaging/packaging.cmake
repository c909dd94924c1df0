# Installation as a desktop program and the Debian package. Included from the
# top-level CMakeLists.txt, so that it sees every target.
#
#   cmake --install build --prefix /usr/local    # or DESTDIR=... for staging
#   cmake --build build --target package         # build/brisko_<version>_<arch>.deb
#
# Lays out what a Linux desktop expects: the programs in bin/, the menu entry
# in share/applications, the icon in share/icons/hicolor/<size>/apps and the
# README in share/doc/brisko.
# The Windows cross-build makes an installer and a portable ZIP instead.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
  return()
endif()
include(GNUInstallDirs)

set(BRISKO_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

foreach(program brisko brisko-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET brisko)
  install(FILES ${BRISKO_PACKAGING_DIR}/brisko.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # 16 and 32 are the window's own icons; 48 and the SVG are drawn from the
  # same shapes by packaging/make_desktop_icons.py.
  set(hicolor ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES ${PROJECT_SOURCE_DIR}/dialog/icons/brisko-16.png DESTINATION ${hicolor}/16x16/apps RENAME brisko.png)
  install(FILES ${PROJECT_SOURCE_DIR}/dialog/icons/brisko-32.png DESTINATION ${hicolor}/32x32/apps RENAME brisko.png)
  install(FILES ${BRISKO_PACKAGING_DIR}/icons/brisko-48.png DESTINATION ${hicolor}/48x48/apps RENAME brisko.png)
  install(FILES ${BRISKO_PACKAGING_DIR}/icons/brisko.svg DESTINATION ${hicolor}/scalable/apps)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# CPack: one Debian package with both programs. The library dependencies
# (Qt 6, the C++ runtime) are read from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brisko)
set(CPACK_PACKAGE_VENDOR "Brisko developers")
set(CPACK_PACKAGE_CONTACT "Brisko developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure a glider's GPS flight recorder over a serial port")
set(CPACK_PACKAGE_DESCRIPTION
    "Brisko reads a GPS flight recorder's identity, settings and readings over a serial port, writes the pilot, glider and fix-rate settings into it and deletes its recorded flights. brisko-sim plays such a recorder on a pseudo-terminal.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
