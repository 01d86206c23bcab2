# The Debian package (cpack -G DEB in the build folder, or scripts/package.sh): kelvo_VERSION_ARCH.deb
# with what cmake --install puts under /usr. Its Depends come from dpkg-shlibdeps on the program,
# plus what the program starts or reads without linking it. dpkg's triggers of shared-mime-info and
# desktop-file-utils refresh their caches when the package lands in their folders.
set(KELVO_MAINTAINER "Kelvo developers <kelvo@example.org>" CACHE STRING
    "Maintainer of the Debian package (name <address>)")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvo)
set(CPACK_PACKAGE_VENDOR "Kelvo developers")
set(CPACK_PACKAGE_CONTACT "${KELVO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for educational lab works")
set(CPACK_PACKAGE_DESCRIPTION "Kelvo plays lab works that teachers author as packages (ZIP archives,\n\
usually *.lwz): a menu of chapters in which the student reads documents,\n\
takes quizzes built at random from question variants and works on an\n\
experiment bench, a schema picture with devices whose values the student\n\
sets and reads. Packages made years ago on Windows work as they are.\n\
.\n\
A package opens with a double click; kelvo --check tells a teacher what in\n\
a lab work would go wrong. A demo lab work comes with the program.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Read, not linked: the fonts the layouts are drawn for, and Qt's own translations, which put its
# dialogs into Russian on a Russian system. (The web engine's helper process comes with its
# library's own dependencies.)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-dejavu-core, qt6-translations-l10n")
# xdg-open shows the licence text and opens web links in the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
