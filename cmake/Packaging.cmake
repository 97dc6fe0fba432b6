# The Debian package: `cpack` in the build folder makes qm3270_VERSION-1_ARCH.deb
# from what cmake/Install.cmake and the programs install. scripts/package.sh
# builds it with Debian's compiler flags and checks it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qm3270)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(QM3270_PACKAGE_MAINTAINER "QM3270 developers <qm3270@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QM3270_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The libraries the programs link come from dpkg-shlibdeps. Qt loads the SQLite
# driver as a plugin, which no linker sees: without it the channel database does
# not open, so it is a dependency by name. The X11 platform plugin ships in
# libqt6gui6, which the window links. The Chinese fonts and Qt's own Chinese
# texts (file and message dialogs), and the native Wayland plugin, make the
# window look right but are not needed to run it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-arphic-ukai, fonts-arphic-uming, qt6-translations-l10n, qt6-wayland")

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "channel programmer for the QM3270 handheld radio")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads the 16 channels and the squelch level of the QM3270 handheld two-way
radio through a serial programming cable, lets the user edit each channel's
receive and transmit frequency and beat flag in a grid, and writes them back.
Channel tables are kept as small channel files. The window's texts are in
Chinese.

The package holds the desktop program qm3270, the command line program
qm3270-cli for scripts, and qm3270-radio, a simulated radio on a
pseudo-terminal for trying things out without a radio. A udev rule lets the
user logged in at the computer open the usual USB programming cables.")

include(CPack)
