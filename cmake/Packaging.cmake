# The Debian package: `cpack -G DEB` in the build tree (or `cmake --build build --target
# package`) makes lumo_<version>_<arch>.deb from the install rules, so whatever the program
# installs travels in the package without a list of files here.
include(GNUInstallDirs)

# The manual page carries the program's version and is compressed as Debian's policy wants it;
# gzip -n keeps the package reproducible.
find_program(LUMO_GZIP gzip REQUIRED)
configure_file(packaging/lumo.1 ${PROJECT_BINARY_DIR}/packaging/lumo.1 @ONLY)
set(LUMO_MAN_PAGE ${PROJECT_BINARY_DIR}/packaging/lumo.1.gz)
add_custom_command(OUTPUT ${LUMO_MAN_PAGE}
    COMMAND ${LUMO_GZIP} -9 -n -c ${PROJECT_BINARY_DIR}/packaging/lumo.1 > ${LUMO_MAN_PAGE}
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/lumo.1 VERBATIM)
set(LUMO_CHANGELOG ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${LUMO_CHANGELOG}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
    COMMAND ${LUMO_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${LUMO_CHANGELOG}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(lumo_package_docs ALL DEPENDS ${LUMO_MAN_PAGE} ${LUMO_CHANGELOG})

install(FILES ${LUMO_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/org.lumo.lumo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Debian looks for the copyright and changelog under the package's own name.
install(FILES packaging/copyright ${LUMO_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Whoever builds the package for their laboratory names themselves here.
set(LUMO_PACKAGE_MAINTAINER "Lumo developers <lumo@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${LUMO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "analysis of laboratory data in a text worksheet")
# One string: CPack would join a list with semicolons.
set(CPACK_PACKAGE_DESCRIPTION "Lumo is a desktop analysis tool for laboratory data with a Japanese
user interface. Columns of numbers typed or pasted into a text worksheet
are analysed by unpaired and paired t-tests, a rejection test, a
correlation with its regression line, and Scatchard and Lineweaver-Burk
analyses with their plots. Each report is appended to the worksheet and
written to a report file. lumo --run runs an analysis from the command
line without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Directories as dpkg expects them whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt libraries the program and its module link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no library link shows: the Japanese font the graph and the worksheet draw with, and the
# Japanese texts of Qt's own dialogs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
