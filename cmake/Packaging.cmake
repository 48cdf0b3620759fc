# Installation and packages. `cmake --install` lays out a prefix (bin/, lib/transvo/, share/);
# CPack makes a .tar.gz of that layout, whose lib/transvo/ is the relocatable program folder, and
# a .deb installed under /usr that declares its Debian dependencies.
#
#   bin/transvo                 starter: work folder in the user's configuration folder
#   lib/transvo/                the program folder: transvo, deployment.ini, help/, lgt.dbf, lgt.CDX
#   share/applications/transvo.desktop
#   share/icons/hicolor/<size>/apps/transvo.png, scalable/apps/transvo.svg
#
# Installed system-wide, lib/transvo/ is not the user's to write; the pipe-length update then keeps
# its files in the user's data folder (src/platform/Paths.h, dataFolder).

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake)
    return()
endif()

set(TRANSVO_INSTALL_PROGRAM_DIR lib/transvo)
set(TRANSVO_ICON_SIZES 16 22 24 32 48 64 128 256)

install(TARGETS transvo RUNTIME DESTINATION ${TRANSVO_INSTALL_PROGRAM_DIR})
install(FILES ${TRANSVO_BIN_DIR}/deployment.ini ${TRANSVO_BIN_DIR}/lgt.dbf ${TRANSVO_BIN_DIR}/lgt.CDX
    DESTINATION ${TRANSVO_INSTALL_PROGRAM_DIR})
install(DIRECTORY ${TRANSVO_BIN_DIR}/help DESTINATION ${TRANSVO_INSTALL_PROGRAM_DIR})
install(PROGRAMS ${PROJECT_SOURCE_DIR}/resources/desktop/transvo.sh DESTINATION bin RENAME transvo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/transvo.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/images/A_ICOON.svg DESTINATION share/icons/hicolor/scalable/apps
    RENAME transvo.svg)

# The PNG sizes, rendered from the program's own icon with its own SVG renderer.
set(icon_folder ${CMAKE_BINARY_DIR}/icons/hicolor)
set(icon_files)
foreach(size ${TRANSVO_ICON_SIZES})
    list(APPEND icon_files ${icon_folder}/${size}x${size}/apps/transvo.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
    COMMAND ${TRANSVO_ICON_RENDER} ${PROJECT_SOURCE_DIR}/resources/images/A_ICOON.svg ${icon_folder} ${TRANSVO_ICON_SIZES}
    DEPENDS ${TRANSVO_ICON_RENDER_TARGET} ${PROJECT_SOURCE_DIR}/resources/images/A_ICOON.svg
    COMMENT "Rendering the program icon")
add_custom_target(transvo_icons ALL DEPENDS ${icon_files})
foreach(size ${TRANSVO_ICON_SIZES})
    install(FILES ${icon_folder}/${size}x${size}/apps/transvo.png DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

set(TRANSVO_PACKAGE_MAINTAINER "VARO <transvo@varo.be>" CACHE STRING "Maintainer named in the .deb")

set(CPACK_GENERATOR TGZ DEB)
set(CPACK_PACKAGE_NAME transvo)
set(CPACK_PACKAGE_VENDOR VARO)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Bestelbestanden omzetten en naar de webshop van VARO verzenden")
set(CPACK_PACKAGE_DESCRIPTION "Transvo converts an order file exported by the customer's own software (SDF, CSV, \
ASCII ICM 1.0, XML, Mercis XML or MC1000) into a cXML order, posts it to the VARO webshop and opens the \
webshop in the browser.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME transvo-${PROJECT_VERSION}-Linux)
set(CPACK_PACKAGE_CHECKSUM SHA256)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TRANSVO_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Named rather than found by dpkg-shlibdeps: besides the libraries the program links, it needs Qt's
# platform plugins and SVG icon engine (loaded at run time), a font for its windows and xdg-open.
string(REGEX MATCH "^[0-9]+\\.[0-9]+" qt_minor ${Qt6_VERSION})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1, \
libqt6core6 (>= ${qt_minor}), libqt6gui6 (>= ${qt_minor}), libqt6widgets6 (>= ${qt_minor}), \
libqt6svg6 (>= ${qt_minor}), qt6-qpa-plugins, libxml2 (>= 2.9), libcurl4 (>= 7.74), ca-certificates, \
fonts-dejavu-core, xdg-utils")
# deployment.ini holds what the supplier sets for one installation; an administrator's edits must
# survive an upgrade, so dpkg keeps it as a configuration file and asks before replacing it.
file(WRITE ${CMAKE_BINARY_DIR}/debian/conffiles "/usr/${TRANSVO_INSTALL_PROGRAM_DIR}/deployment.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The .deb lives under /usr; the .tar.gz keeps the prefix layout below its top folder.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackPerGenerator.cmake)
file(WRITE ${CMAKE_BINARY_DIR}/CPackPerGenerator.cmake
    "if(CPACK_GENERATOR STREQUAL \"DEB\")\n  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)\nendif()\n")
include(CPack)
