# The Windows packages of brisko.exe, made by the mingw-w64 cross-build:
#
#   cmake --build build-mingw --target package
#     build-mingw/brisko-<version>-win32.exe   installer (NSIS, Debian's makensis)
#     build-mingw/brisko-<version>-win32.zip   portable: brisko.exe and README.md
#
# The x86_64 build that the tests run where 32-bit programs cannot run makes
# the same two as brisko-<version>-win64.*, a 64-bit installer for a 64-bit
# program; only the 32-bit ones are shipped.
#
# The installer puts brisko.exe and README.md into Program Files\Brisko, adds
# a Start-menu entry whose working folder is %APPDATA%\Brisko (the program
# keeps BRISKO.INI in its working folder, and Program Files is not writable
# for a user), creates that folder for the installing user, and registers an
# uninstaller that removes all of it; the folder goes only when it is empty,
# so a user's BRISKO.INI stays.
if(TARGET brisko)
  install(TARGETS brisko RUNTIME DESTINATION .)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME brisko)
set(CPACK_PACKAGE_VENDOR "Brisko developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure a glider's GPS flight recorder over a serial port")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(brisko_windows_bits 64)
else()
  set(brisko_windows_bits 32)
endif()
set(CPACK_PACKAGE_FILE_NAME brisko-${PROJECT_VERSION}-win${brisko_windows_bits})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Brisko)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Brisko)
set(CPACK_STRIP_FILES ON)
# The NSIS lines below are written as NSIS reads them.
set(CPACK_VERBATIM_VARIABLES ON)

set(CPACK_NSIS_PACKAGE_NAME "${BRISKO_DISPLAY_NAME} ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "${BRISKO_DISPLAY_NAME} ${PROJECT_VERSION}")

set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/dialog/icons/brisko.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/dialog/icons/brisko.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME brisko.exe)
set(CPACK_NSIS_UNINSTALL_NAME Uninstall)
set(CPACK_NSIS_MODIFY_PATH OFF)
# A 32-bit installer for the 32-bit program: both run on every Windows, and
# on a 64-bit one the program goes where 32-bit programs go (Program Files
# (x86)). The 64-bit build gets a 64-bit installer, which puts it into
# Program Files and registers it in the 64-bit registry view. Both are
# Unicode installers.
if(brisko_windows_bits EQUAL 64)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
else()
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
  set(CPACK_NSIS_DEFINES "Target x86-unicode")
endif()
# An installer run by an administrator writes the Start menu of all users.
# The settings folder is the installing user's own: it is made in the
# current user's context, which is then put back. The entry names it as
# %APPDATA%\Brisko, which the shell expands for whoever starts it.
set(CPACK_NSIS_CREATE_ICONS_EXTRA [[
  StrCpy $1 "$SMPROGRAMS"
  SetShellVarContext current
  CreateDirectory "$APPDATA\Brisko"
  StrCmp "$1" "$SMPROGRAMS" +2 0
    SetShellVarContext all
  StrCpy $OUTDIR "%APPDATA%\Brisko"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Brisko.lnk" "$INSTDIR\brisko.exe" "" "$INSTDIR\brisko.exe" 0
  SetOutPath "$INSTDIR"
]])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [[
  Delete "$SMPROGRAMS\$MUI_TEMP\Brisko.lnk"
]])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [[
  StrCpy $1 "$SMPROGRAMS"
  SetShellVarContext current
  RMDir "$APPDATA\Brisko"
  StrCmp "$1" "$SMPROGRAMS" +2 0
    SetShellVarContext all
]])
include(CPack)
