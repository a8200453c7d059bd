# What `cmake --install` puts where, and the Debian package cpack builds from it.
include(GNUInstallDirs)

# The launcher finds the GUI module in ../libexec/qorprt/ beside its own folder: a module that
# only the program loads belongs to no library path (and needs no ldconfig run).
install(TARGETS qorprt-launcher RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS qorprt-gui LIBRARY DESTINATION libexec/qorprt)
install(FILES data/qorprt.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/qorprt-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
    RENAME qorprt.xml)
install(FILES data/qorprt.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES src/app/resources/qorprt.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES data/qorprt.service DESTINATION lib/systemd/user)

# Debian wants the manual page and the changelog compressed, reproducibly (no name, no time).
configure_file(data/changelog.in ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
set(QORPRT_COMPRESSED ${CMAKE_BINARY_DIR}/package/qorprt.1.gz ${CMAKE_BINARY_DIR}/package/changelog.gz)
add_custom_command(OUTPUT ${QORPRT_COMPRESSED}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/data/qorprt.1 > ${CMAKE_BINARY_DIR}/package/qorprt.1.gz
    COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/package/changelog > ${CMAKE_BINARY_DIR}/package/changelog.gz
    DEPENDS data/qorprt.1 ${CMAKE_BINARY_DIR}/package/changelog
    VERBATIM)
add_custom_target(qorprt-package-files ALL DEPENDS ${QORPRT_COMPRESSED})
install(FILES ${CMAKE_BINARY_DIR}/package/qorprt.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/package/changelog.gz data/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qorprt)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qorprt)
set(CPACK_PACKAGE_VENDOR "Qorva eG")
set(CPACK_PACKAGE_CONTACT "Qorva eG <druck@qorva.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Qorva-Druck-Programm: prints the PRT print files of the Qorva client")
# Debian's extended description: CPack starts each line with a blank; lintian wants at most 80
# characters a line.
set(CPACK_PACKAGE_DESCRIPTION
    "QorPrt prints the PRT print files of the Qorva business client on CUPS\n"
    "printers or its built-in PDF printer, shows them in a preview and writes\n"
    "archive PDFs. One instance runs and queues the jobs later starts hand over.\n"
    "In service mode it sits in the notification area and reports failed jobs\n"
    "there and in the journal.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A package carries no debugging symbols.
set(CPACK_STRIP_FILES ON)
# What the libraries do not say: the fonts the layout is made for, the desktop's opener and Qt's
# German texts (message box buttons, context menus).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-urw-base35, xdg-utils, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups-client")
include(CPack)
