# Installation (cmake --install), the Debian package (cpack) and the macOS bundle settings.
include(GNUInstallDirs)

set(kw_packaging ${PROJECT_SOURCE_DIR}/packaging)
configure_file(${kw_packaging}/linux/kabelwacht.desktop.in ${PROJECT_BINARY_DIR}/packaging/${KABELWACHT_APP_ID}.desktop @ONLY)
configure_file(${kw_packaging}/linux/kabelwacht.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/packaging/${KABELWACHT_APP_ID}.metainfo.xml @ONLY)

# On a Mac the bundle carries all of it instead (cmake/MacBundle.cmake).
if(NOT APPLE)
install(TARGETS kabelwacht RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program looks for its helper in ../libexec/kabelwacht beside its own folder.
install(TARGETS kabelwacht-system-profiler RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kabelwacht)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${KABELWACHT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${KABELWACHT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${kw_packaging}/linux/kabelwacht.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${KABELWACHT_APP_ID}.svg)
install(FILES ${kw_packaging}/COPYRIGHT RENAME copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/src/ui/assets/fonts/Inter-LICENSE.txt
              ${PROJECT_SOURCE_DIR}/src/ui/assets/fonts/Nunito-LICENSE.txt
              ${PROJECT_SOURCE_DIR}/src/ui/assets/fonts/MaterialDesignIcons-LICENSE.txt
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# macOS: the bundle's Info.plist, filled from the project version. Not built on Linux.
set_target_properties(kabelwacht PROPERTIES
  MACOSX_BUNDLE_INFO_PLIST ${kw_packaging}/macos/Info.plist.in
  MACOSX_BUNDLE_GUI_IDENTIFIER ${KABELWACHT_APP_ID}
  MACOSX_BUNDLE_BUNDLE_NAME "Kabelwacht ZIV-A Dodiv"
  MACOSX_BUNDLE_EXECUTABLE_NAME kabelwacht
  MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
  MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
  MACOSX_BUNDLE_COPYRIGHT "© 2026 Kabelwacht"
  MACOSX_BUNDLE_ICON_FILE kabelwacht.icns)
if(APPLE)
  include(${PROJECT_SOURCE_DIR}/cmake/MacBundle.cmake)
endif()

set(CPACK_PACKAGE_NAME kabelwacht)
set(CPACK_PACKAGE_VENDOR "Kabelwacht")
set(CPACK_PACKAGE_CONTACT "${KABELWACHT_MAKER_EMAIL}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Checks whether each USB-C port of a MacBook still works")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://${KABELWACHT_MAKER_HOST}/")
set(CPACK_PACKAGE_FILE_NAME "kabelwacht_${PROJECT_VERSION}")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # the Qt libraries, found by dpkg-shlibdeps
# QML modules are loaded at run time, so no library dependency names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-layouts, qml6-module-qtquick-shapes, qml6-module-qtquick-templates, qml6-module-qtquick-window, qml6-module-qtqml-workerscript")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_PACKAGE_DESCRIPTION "Kabelwacht ZIV-A Dodiv reads a MacBook's USB-C port controllers, flags probable
logic-board damage when one is missing, and walks the user through a charging test, port by port. It
runs locally, needs no administrator rights and sends nothing. On Linux it reads the USB-C ports from
sysfs, and shows a simulated Mac where there are none.")
include(CPack)
