# The Debian package: `cpack` in a build directory writes kvt640_VERSION-1_ARCH.deb from the
# install rules, with its dependencies computed from the programs' shared libraries
# (dpkg-shlibdeps) and the documents that Debian asks of every package.

# Hardened like Debian's own packages (dpkg-buildflags); fortification needs optimisation.
if(NOT KVT_SANITIZE AND NOT KVT_FUZZ)
    target_compile_options(kvt_common INTERFACE -fstack-protector-strong)
    target_compile_definitions(
        kvt_common INTERFACE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
    if(WIN32)
        # MinGW's stack protector and fortified functions live in libssp, which the compiler
        # driver links only when it sees the flag at link time.
        target_link_options(kvt_common INTERFACE -fstack-protector-strong)
    else()
        target_link_options(kvt_common INTERFACE -Wl,-z,relro,-z,now)
    endif()
endif()
if(WIN32)
    # Address space layout randomisation (64-bit, high entropy) and no executable data.
    target_link_options(kvt_common INTERFACE -Wl,--dynamicbase,--nxcompat,--high-entropy-va)
else()
    # A program depends on the libraries it calls only: the core links libcsv for the
    # inventories of batches, which the desktop tool never reads.
    target_link_options(kvt_common INTERFACE -Wl,--as-needed)
endif()

# The rest is the Debian package.
if(WIN32)
    include(cmake/WindowsInstaller.cmake)
    return()
elseif(NOT KVT_TARGET_LINUX)
    return()
endif()

set(KVT_MAINTAINER "Kelvarin KVT-640 team <kvt640@kelvarin.com>")
set(KVT_DEB_RELEASE 1)
set(KVT_DEB_VERSION ${PROJECT_VERSION}-${KVT_DEB_RELEASE})
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})

find_program(KVT_GZIP gzip REQUIRED)
execute_process(COMMAND date -u -R -d ${KVT_RELEASE_DATE}
                OUTPUT_VARIABLE KVT_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.Debian)
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/changelog.Debian.in ${changelog} @ONLY)
execute_process(COMMAND ${KVT_GZIP} -9nc ${changelog} OUTPUT_FILE ${changelog}.gz
                COMMAND_ERROR_IS_FATAL ANY)

install(FILES README.md SECURITY.md packaging/debian/copyright ${changelog}.gz
        DESTINATION ${doc_dir})
# The user guide; its pictures when this build draws them (KVT_DOC_PICTURES).
install(FILES docs/user-guide.md DESTINATION ${doc_dir})
if(KVT_DOC_PICTURES)
    install(FILES ${KVT_DOC_PICTURES_NAMED} DESTINATION ${doc_dir}/images)
endif()
# The Wireshark dissector for the gateway's protocol, for diagnosing a plant's traffic.
install(FILES contrib/wireshark/kvt275r.lua DESTINATION ${CMAKE_INSTALL_DATADIR}/${PROJECT_NAME}/wireshark)
install(FILES packaging/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${PROJECT_NAME})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR Kelvarin)
set(CPACK_PACKAGE_CONTACT ${KVT_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for KVT-275R gateways")
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "KVT-640 finds KVT-275R serial-to-EtherNet/IP gateways on the network, reads,
edits and writes their configuration, keeps configurations in .inf files and
watches the IP address reports that gateways send.

The package holds the desktop tool (kvt640, Qt 6, Chinese or English
interface), the same operations for scripts (kvt640-cli) and a simulator of
gateways on loopback addresses for tests and demonstrations (kvt275r-sim).")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KVT_DEB_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not libraries, so dpkg-shlibdeps cannot see them: the fonts the Chinese window texts need,
# and the Chinese texts of Qt's own dialogs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-translations-l10n")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
