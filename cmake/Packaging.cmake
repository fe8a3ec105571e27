# The Debian package: `cpack -G DEB` in a build configured with -DCMAKE_INSTALL_PREFIX=/usr
# (scripts/package.sh does both).
set(CPACK_PACKAGE_NAME "calibrix")
set(CPACK_PACKAGE_VENDOR "ORVANE")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Firmware updates and settings for camera lenses on a USB lens dock")
set(CPACK_PACKAGE_DESCRIPTION
    "ORVANE Calibrix identifies a USB lens dock, mount converter or flash unit and what is mounted on it,\n"
    "installs newer firmware from the update server, reads and writes the lens's own settings and keeps\n"
    "a history of every device it has met. Includes calibrix-cli and the calibrix-dock-sim simulator.")
set(CPACK_PACKAGE_CONTACT "ORVANE Calibrix team <calibrix@orvane.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvane.example/calibrix")
# Library dependencies come from the binaries themselves (the X11 platform plugin comes with
# Qt's GUI library); a font is loaded at run time, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")

include(CPack)
