# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows packages: a portable zip (tessaly-<version>-win64.zip) and an NSIS installer
# (tessaly-<version>-setup.exe), both one folder holding tessaly.exe, the DLLs and Qt plugins it loads, and
# the shipped files (the installer's in a folder of their own: WindowsInstallerLayout.cmake).

# The C++ runtime of MinGW-w64, which the Qt DLLs need as much as the program.
foreach(runtime IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
        OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${runtime_path}" OR NOT EXISTS "${runtime_path}")
        message(FATAL_ERROR "The MinGW-w64 runtime ${runtime} was not found (${CMAKE_CXX_COMPILER} said '${runtime_path}')")
    endif()
    install(FILES ${runtime_path} DESTINATION .)
endforeach()

foreach(module IN ITEMS Core Gui Widgets Network)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
endforeach()

# Plugins no library links: the Windows platform, its native look, and the readers of the picture
# formats Qt keeps outside Qt Gui (GIF, JPEG, ICO). A plugin Qt was built without is left out.
set(TESSALY_QT_PLUGINS
    platforms QWindowsIntegrationPlugin
    styles QWindowsVistaStylePlugin
    imageformats QGifPlugin
    imageformats QJpegPlugin
    imageformats QICOPlugin)
while(TESSALY_QT_PLUGINS)
    list(POP_FRONT TESSALY_QT_PLUGINS folder plugin)
    if(TARGET Qt6::${plugin})
        install(FILES $<TARGET_FILE:Qt6::${plugin}> DESTINATION ${folder})
    elseif(folder STREQUAL "platforms")
        message(FATAL_ERROR "Qt for Windows has no ${plugin}: the program could not start")
    endif()
endwhile()

install(FILES copyright DESTINATION . RENAME COPYRIGHT.txt)

# Stripped with the program when CPack strips (CPACK_STRIP_FILES): Debian's libstdc++-6.dll alone carries
# 21 MB of symbols.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        file(GLOB_RECURSE dlls \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
        foreach(dll IN LISTS dlls)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${dll}\" RESULT_VARIABLE failed)
            if(failed)
                message(FATAL_ERROR \"Could not strip \${dll}\")
            endif()
        endforeach()
    endif()")

set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VENDOR "The Tessaly developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop wallpaper changer with captions")
set(CPACK_PACKAGE_FILE_NAME tessaly-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tessaly)
# Start-menu entry: tessaly.exe, shown as "Tessaly".
set(CPACK_PACKAGE_EXECUTABLES tessaly Tessaly)
set(CPACK_STRIP_FILES ON)
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Tessaly)
set(CPACK_NSIS_DISPLAY_NAME Tessaly)
set(CPACK_NSIS_INSTALLED_ICON_NAME tessaly.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_URL_INFO_ABOUT https://tessaly.org)
# The running copy holds its files open; the uninstaller ends it first, and removes its login start.
# --quit answers before the copy has ended: its program file can be deleted once it has (up to 10 s).
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
    "ExecWait '\"$INSTDIR\\tessaly.exe\" --quit'
  StrCpy $0 0
  tessalyTryDelete:
  ClearErrors
  Delete \"$INSTDIR\\tessaly.exe\"
  IfErrors 0 tessalyGone
  IntOp $0 $0 + 1
  IntCmp $0 100 tessalyGone
  Sleep 100
  Goto tessalyTryDelete
  tessalyGone:
  DeleteRegValue HKCU \"Software\\Microsoft\\Windows\\CurrentVersion\\Run\" \"Tessaly\"")
set(CPACK_TESSALY_SHIPPED_FILES ${TESSALY_SHIPPED_DATA})
set(CPACK_TESSALY_SHIPPED_DIR ${TESSALY_WINDOWS_SHIPPED_DIR})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/WindowsInstallerLayout.cmake)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/WindowsPackageNames.cmake)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR ZIP NSIS)
include(CPack)
