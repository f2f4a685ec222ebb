# Installs the build into ROOT with prefix /usr, as the Debian package does, and fails unless the binary, the
# desktop entry (naming the installed binary), both icons, the metainfo and the help page are there and the
# desktop entry and metainfo validate as an installed tree.
# cmake -DBUILD_DIR=... -DROOT=... -DAPP_ID=... -DDESKTOP_FILE_VALIDATE=... -DAPPSTREAMCLI=... -P check_install.cmake
file(REMOVE_RECURSE "${ROOT}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${ROOT} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(expected
  bin/clicktrove
  share/applications/${APP_ID}.desktop
  share/icons/hicolor/scalable/apps/${APP_ID}.svg
  share/icons/hicolor/symbolic/apps/${APP_ID}-symbolic.svg
  share/metainfo/${APP_ID}.metainfo.xml
  share/clicktrove/input-permission.html)
foreach(path IN LISTS expected)
  if(NOT EXISTS "${ROOT}/usr/${path}")
    message(FATAL_ERROR "not installed: /usr/${path}")
  endif()
endforeach()

file(STRINGS "${ROOT}/usr/share/applications/${APP_ID}.desktop" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=/usr/bin/clicktrove")
  message(FATAL_ERROR "the installed entry starts '${exec}', not the installed /usr/bin/clicktrove")
endif()

execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} "${ROOT}/usr/share/applications/${APP_ID}.desktop"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "desktop-file-validate failed on the installed entry")
endif()
# The tree check also finds the entry and the icon the metainfo's launchable points to.
execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net --strict "${ROOT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate-tree failed on the installed tree")
endif()
file(REMOVE_RECURSE "${ROOT}")
