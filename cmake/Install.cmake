# What `cmake --install` puts where, and the Debian package cpack builds from it.
include(GNUInstallDirs)

# The launcher finds the GUI module in ../lib/qorprt/ beside its own folder.
install(TARGETS qorprt-launcher RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS qorprt-gui LIBRARY DESTINATION lib/qorprt)
install(FILES data/qorprt.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/qorprt-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
    RENAME qorprt.xml)
install(FILES data/qorprt.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES src/app/resources/qorprt.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES data/qorprt.service DESTINATION lib/systemd/user)
install(FILES data/qorprt.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qorprt)
set(CPACK_PACKAGE_VENDOR "Qorva eG")
set(CPACK_PACKAGE_CONTACT "Qorva eG <druck@qorva.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Qorva-Druck-Programm: prints the PRT print files of the Qorva client")
set(CPACK_PACKAGE_DESCRIPTION
    "QorPrt prints the PRT print files of the Qorva business client on CUPS printers or its\n built-in PDF printer, shows them in a preview and writes archive PDFs. One instance runs\n and queues the jobs later starts hand over; service mode sits in the tray.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries do not say: the fonts the layout is made for and the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-urw-base35, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups-client")
include(CPack)
