# Installation and the Debian package. `cmake --install build --prefix /usr` lays the program out
# as a Linux desktop expects it; `cpack -G DEB` in the build folder packs that layout.
include(GNUInstallDirs)

option(TIVORA_INSTALL_TOOLS "Install tivora-cfg and tivora-demo-server beside the program" OFF)

install(TARGETS tivora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The automation browser's host, started by the program only: beside it, else here.
install(TARGETS tivora-browser-host RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tivora)
# The transfer process, likewise: it alone links the transfer library.
install(TARGETS tivora-transfer RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tivora)
# The program looks for its catalogue beside itself, then in ../share/tivora/.
install(FILES ${PROJECT_BINARY_DIR}/tivora.cfg DESTINATION ${CMAKE_INSTALL_DATADIR}/tivora)
install(FILES ${PROJECT_SOURCE_DIR}/res/desktop/tivora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

set(TIVORA_APP_ID io.github.tivora.Tivora)
configure_file(${PROJECT_SOURCE_DIR}/res/desktop/${TIVORA_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${TIVORA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${TIVORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The program's icon at every size drawn, and each size again as drawn at twice the density
# for the double-density folder.
set(TIVORA_ICON_SIZES 16 32 48 64 128 256)
foreach(size IN LISTS TIVORA_ICON_SIZES)
  install(FILES ${PROJECT_SOURCE_DIR}/res/icons/137-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME tivora.png)
  install(FILES ${PROJECT_SOURCE_DIR}/res/icons/137-${size}@2x.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}@2/apps
          RENAME tivora.png)
endforeach()

if(TIVORA_INSTALL_TOOLS)
  if(NOT TIVORA_BUILD_TOOLS)
    message(FATAL_ERROR "TIVORA_INSTALL_TOOLS needs TIVORA_BUILD_TOOLS")
  endif()
  install(TARGETS tivora-cfg tivora-demo-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The Debian package: dpkg-shlibdeps finds the runtime libraries the program and its helpers
# link (the xcb platform plugin and the image format plugins come with libqt6gui6); named by
# hand are the transfer library's least version, as tivora-transfer sets options that older
# ones do not know (its symbols alone ask for 7.16), and Qt's Wayland platform, for a desktop
# without XWayland. The browser for controlled games and the Tahoma face are
# Recommends.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tivora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tivora team")
set(CPACK_PACKAGE_CONTACT "Tivora team <tivora-team@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small desktop bar that opens online games")
set(CPACK_PACKAGE_DESCRIPTION
    "Tivora is a small bar that stays on the desktop, or in the tray, and opens games in the\n"
    "browser with one click: favourite games as picture buttons, the others in a drop-down\n"
    "list, and a search box.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tivora team <tivora-team@example.org>")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4 (>= 7.88), qt6-wayland (>= 6.4.2)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "chromium, fonts-wine")
include(CPack)
