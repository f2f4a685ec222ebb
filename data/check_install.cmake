# Installs the build into ROOT with prefix /usr, as the Debian package does, and fails unless the binary, the
# desktop entry (naming the installed binary), both icons, the metainfo and the help page are there, the
# desktop entry and metainfo validate as an installed tree, and the binary is stripped with a debug link to its
# debug information under /usr/lib/debug/.build-id by its build ID.
# cmake -DBUILD_DIR=... -DROOT=... -DAPP_ID=... -DDESKTOP_FILE_VALIDATE=... -DAPPSTREAMCLI=... -DREADELF=...
#       -P check_install.cmake
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

execute_process(COMMAND ${READELF} -n -S -W "${ROOT}/usr/bin/clicktrove" OUTPUT_VARIABLE binary RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT binary MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  message(FATAL_ERROR "the installed binary has no build ID")
endif()
set(build_id "${CMAKE_MATCH_1}${CMAKE_MATCH_2}")
set(debug_file "${ROOT}/usr/lib/debug/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug")
if(binary MATCHES "\\.debug_info" OR binary MATCHES "\\.symtab" OR NOT binary MATCHES "\\.gnu_debuglink")
  message(FATAL_ERROR "the installed binary is not stripped with a debug link")
endif()
execute_process(COMMAND ${READELF} -n -S -W "${debug_file}" OUTPUT_VARIABLE debug RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT debug MATCHES "\\.debug_line" OR
   NOT debug MATCHES "Build ID: ${build_id}")
  message(FATAL_ERROR "no debug information of the installed binary at ${debug_file}")
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
