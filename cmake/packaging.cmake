# The Debian package, built by scripts/package.sh with CPack's DEB generator. Its
# dependencies are the runtime packages dpkg-shlibdeps finds for the two programs.
set(DABRO_PACKAGE_MAINTAINER "Dabro developers <dabro@localhost>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dabro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${DABRO_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the animated sprite files (.spr) of a game")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The long description; CPack puts the summary above it and indents it.
set(CPACK_PACKAGE_DESCRIPTION
    "Dabro opens one sprite file at a time and shows its header, its animation
sequences and its image collections in one window: edit values, add and
delete sequences and frames, replace images from raw files, halve and align
images, swap palettes, preview the result and save the file back.

The batch tool dabro-cli runs the same operations from scripts.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Where the window's first font is missing, its labels fit only in Liberation Sans Narrow.
# The file type and the desktop entry take effect through the desktop's own packages.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
