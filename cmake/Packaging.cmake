# cpack -G DEB: a Debian package of what `cmake --install` installs. Library
# dependencies come from dpkg-shlibdeps; the ones it cannot see are named here:
# the browser engine's helper process, Qt's platform plugins, the picture
# format plugins (posters are often WebP) and the font with Arial's metrics
# that printed lists and labels are laid out for.
set(CPACK_PACKAGE_NAME quelto)
set(CPACK_PACKAGE_VENDOR "Quelto")
set(CPACK_PACKAGE_CONTACT "Quelto maintainers <quelto@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of a collection of recorded movies")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quelto keeps a catalogue of a private collection of recorded movies: video tapes, laser discs "
    "and DVDs, filled by hand or from a movie web site, searched, sorted and printed as lists, tape "
    "labels and box covers.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6webenginecore6-bin, qt6-qpa-plugins, qt6-image-formats-plugins, fonts-liberation2")

include(CPack)
