# `make package`: a Debian package (.deb) of the installed tree, built with CPack. Library dependencies are found
# by dpkg-shlibdeps; the packages below are what the program loads or reads at run time without linking them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME clicktrove)
set(CPACK_PACKAGE_VENDOR "The Clicktrove Developers")
set(CPACK_PACKAGE_CONTACT "The Clicktrove Developers <clicktrove@clicktrove.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Auto clicker: clicks, holds, drags and scrolls at a precise interval")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Clicktrove posts real mouse input on X11 at intervals down to 1 ms, at the cursor or over recorded points,\n"
       "with presets, macro recording, a run history, global shortcuts, a tray menu and an always-on-top panel.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://clicktrove.example.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's X11 platform plugin and SVG icon engine are plugins, not linked; the icon themes give every symbol an icon
# and the window its icon; the sound theme has the click sounds.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libqt6svg6, adwaita-icon-theme, hicolor-icon-theme, sound-theme-freedesktop")
# Sounds through PulseAudio or PipeWire, opening the help page in the browser, the fonts of the glyph fallback.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcanberra-pulse, xdg-utils, fonts-dejavu-core")
# The matching clicktrove-dbgsym package: CPack strips the binary it packs, with a debug link, and puts its debug
# information under /usr/lib/debug/.build-id, where the crash reports' symboliser finds it. It packs what the
# default component installs, so that the install's own split (component DebugSplit) finds nothing to do here.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
include(CPack)
