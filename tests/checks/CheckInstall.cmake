# Installs the build into a scratch DESTDIR with the prefix /usr and checks the installed files:
# exactly the expected list, and the AppStream and desktop files valid where their checkers are
# installed.
# Usage: cmake -DBUILD_DIR=... -DDESTDIR=... -DINSTALL_TOOLS=ON|OFF -P CheckInstall.cmake
file(REMOVE_RECURSE ${DESTDIR})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${DESTDIR} ${CMAKE_COMMAND} --install ${BUILD_DIR}
          --prefix /usr
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

set(expected
    usr/bin/tivora
    usr/libexec/tivora/tivora-browser-host
    usr/libexec/tivora/tivora-transfer
    usr/share/applications/tivora.desktop
    usr/share/metainfo/io.github.tivora.Tivora.metainfo.xml
    usr/share/tivora/tivora.cfg)
foreach(size 16 32 48 64 128 256)
  list(APPEND expected usr/share/icons/hicolor/${size}x${size}/apps/tivora.png
       usr/share/icons/hicolor/${size}x${size}@2/apps/tivora.png)
endforeach()
if(INSTALL_TOOLS)
  list(APPEND expected usr/bin/tivora-cfg usr/bin/tivora-demo-server)
endif()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${DESTDIR} ${DESTDIR}/*)
set(missing ${expected})
list(REMOVE_ITEM missing ${installed})
set(extra ${installed})
list(REMOVE_ITEM extra ${expected})
if(missing OR extra)
  message(FATAL_ERROR "installed files differ\n  missing: ${missing}\n  unexpected: ${extra}")
endif()

# The 2x icon of a size has twice its pixels (the PNG header's width and height), and it is
# its own drawing, not the plain picture of the double size.
file(READ ${DESTDIR}/usr/share/icons/hicolor/32x32@2/apps/tivora.png header OFFSET 16 LIMIT 8 HEX)
if(NOT header STREQUAL "0000004000000040")
  message(FATAL_ERROR "32x32@2 is not 64 x 64 pixels (IHDR ${header})")
endif()
file(SHA256 ${DESTDIR}/usr/share/icons/hicolor/32x32@2/apps/tivora.png double)
file(SHA256 ${DESTDIR}/usr/share/icons/hicolor/64x64/apps/tivora.png large)
if(double STREQUAL large)
  message(FATAL_ERROR "32x32@2 is the 64 px picture, not the 32 px one drawn at twice the density")
endif()

find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(
    COMMAND ${APPSTREAMCLI} validate --no-net
            ${DESTDIR}/usr/share/metainfo/io.github.tivora.Tivora.metainfo.xml
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the metainfo file is not valid:\n${output}")
  endif()
else()
  message(STATUS "appstreamcli not installed: the metainfo file is not validated")
endif()
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(
    COMMAND ${DESKTOP_FILE_VALIDATE} ${DESTDIR}/usr/share/applications/tivora.desktop
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR NOT output STREQUAL "")
    message(FATAL_ERROR "the desktop entry is not valid:\n${output}")
  endif()
endif()
file(REMOVE_RECURSE ${DESTDIR})
