# The Windows installer: `cpack` in a Windows build directory writes kvt640-VERSION-win64.exe
# (NSIS, Debian's makensis) from the install rules: the three programs, the DLLs they load
# (Qt's and libcsv's; tools/test-windows.sh checks this list against the programs' imports),
# Qt's windows platform plugin and style, a Start menu entry, an uninstaller, and a firewall
# rule that lets the search's replies and the IP address reports in.
set(qt_dir ${KVT_WIN_DEPS}/qt6-mingw)
set(bin ${CMAKE_INSTALL_BINDIR})
if(KVT_BUILD_GUI)
    install(FILES ${qt_dir}/bin/Qt6Core.dll ${qt_dir}/bin/Qt6Gui.dll ${qt_dir}/bin/Qt6Widgets.dll
            DESTINATION ${bin})
    # Qt looks for its plugins in these folders beside the program.
    install(FILES ${qt_dir}/plugins/platforms/qwindows.dll DESTINATION ${bin}/platforms)
    install(FILES ${qt_dir}/plugins/styles/qwindowsvistastyle.dll DESTINATION ${bin}/styles)
    install(FILES ${qt_dir}/LICENSES/LGPL-3.0-only.txt DESTINATION doc/qt)
endif()
# libcsv is LGPL: shipped as its own DLL, with its licence, so it can be replaced.
install(FILES ${KVT_WIN_DEPS}/libcsv-mingw/bin/libcsv-3.dll DESTINATION ${bin})
install(DIRECTORY ${KVT_WIN_DEPS}/libcsv-mingw/share/doc/libcsv DESTINATION doc)
install(FILES README.md docs/user-guide.md DESTINATION doc)

# UDP ports that must be let in: the search's replies come to its local port, the reports to
# the listener's port (both the programs' defaults).
set(KVT_FIREWALL_PORTS 10002,16800)
set(firewall_add)
set(firewall_delete)
foreach(program kvt640 kvt640-cli)
    set(rule "KVT-640 ${program}")
    string(APPEND firewall_add
           "nsExec::ExecToLog 'netsh advfirewall firewall add rule name=\"${rule}\" dir=in action=allow protocol=UDP localport=${KVT_FIREWALL_PORTS} program=\"$INSTDIR\\${bin}\\${program}.exe\" enable=yes'\n")
    string(APPEND firewall_delete
           "nsExec::ExecToLog 'netsh advfirewall firewall delete rule name=\"${rule}\"'\n")
endforeach()

set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR Kelvarin)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for KVT-275R gateways")
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY KVT-640)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY KVT-640)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# A 64-bit installer (Wine here runs 64-bit programs only; the programs are 64-bit anyway).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_PACKAGE_NAME "KVT-640 ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME KVT-640)
set(CPACK_NSIS_MUI_ICON ${KVT_ICON_ICO})
set(CPACK_NSIS_MUI_UNIICON ${KVT_ICON_ICO})
set(CPACK_NSIS_INSTALLED_ICON_NAME "${bin}\\kvt640.exe")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ${bin})
set(CPACK_PACKAGE_EXECUTABLES kvt640 KVT-640)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "${firewall_add}")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${firewall_delete}")
include(CPack)
