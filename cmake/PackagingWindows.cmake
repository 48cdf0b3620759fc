# The Windows setup program, made with CPack's NSIS generator: transvo-<version>-win64-setup.exe.
# It installs the program folder (transvo.exe, deployment.ini, help\, lgt.dbf, lgt.CDX) into
# Program Files\Transvo, adds the Start-menu entry "Transvo" and registers its uninstaller with
# Windows. /S installs silently, for administrators who deploy it.
#
# Under Program Files the user may not write; the pipe-length update then keeps its files in
# %LOCALAPPDATA%\Transvo (src/platform/Paths.h, dataFolder).

install(TARGETS transvo RUNTIME DESTINATION .)
install(FILES ${TRANSVO_BIN_DIR}/lgt.dbf ${TRANSVO_BIN_DIR}/lgt.CDX DESTINATION .)
install(DIRECTORY ${TRANSVO_BIN_DIR}/help DESTINATION .)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Transvo)
set(CPACK_PACKAGE_VENDOR VARO)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Bestelbestanden omzetten en naar de webshop van VARO verzenden")
set(CPACK_PACKAGE_FILE_NAME transvo-${PROJECT_VERSION}-win64-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Transvo)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Transvo)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
# A 64-bit setup program for a 64-bit program: it sees the 64-bit Program Files and registry as
# the program does, and runs where Windows (or Wine) has no 32-bit support.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Transvo)
set(CPACK_NSIS_DISPLAY_NAME Transvo)
set(CPACK_NSIS_MUI_ICON ${TRANSVO_ICON_FILE})
set(CPACK_NSIS_MUI_UNIICON ${TRANSVO_ICON_FILE})
set(CPACK_NSIS_INSTALLED_ICON_NAME transvo.exe)
# The Start-menu folder and its entry are both called Transvo.
set(CPACK_PACKAGE_EXECUTABLES transvo Transvo)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_MODIFY_PATH OFF)

# deployment.ini holds what the supplier set for this installation; a reinstall (or an update
# installed over the old version) must keep an administrator's edits, so it is written only where
# none is yet. Removing the program removes it with the rest.
# Written as they stand into CPack's configuration: the NSIS lines below need no extra escaping.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  SetOutPath '$INSTDIR'
  SetOverwrite off
  File '${TRANSVO_BIN_DIR}/deployment.ini'
  SetOverwrite on")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  Delete '$INSTDIR\\deployment.ini'")
include(CPack)
