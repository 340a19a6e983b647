# The Debian package (scripts/package): `cpack -G DEB` in a Release build installed to
# /usr. Library dependencies come from dpkg-shlibdeps; the fonts are drawn with are
# named, since no library asks for them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallimer)
set(CPACK_PACKAGE_VENDOR Brannock)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brannock <tallimer@brannock.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chart the statistics of an NTP time server")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brannock <tallimer@brannock.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ntp | ntpsec")
# The extended description, below the summary; CPack indents it and marks the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tallimer reads the loopstats and peerstats files that ntpd writes (plain,
gzip-compressed or in a ZIP archive) and draws the clock's offset, frequency,
jitter and poll interval and each peer's offset, delay, dispersion and jitter
on tabbed charts, with a table of the peers and a histogram of the offsets.

Without a display it writes the charts as PNG or SVG images, their data as CSV
files, or a self-contained web page; a systemd timer (installed, not enabled)
can refresh that page every hour.")
# The settings file of the timer's service is the administrator's to change.
file(WRITE ${CMAKE_BINARY_DIR}/debian-control/conffiles "/etc/default/tallimer-report\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian-control/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
