# SPDX-License-Identifier: GPL-3.0-or-later
# cpack -G DEB in the build tree: the Debian package of what cmake --install puts under /usr.
# Its dependencies come from dpkg-shlibdeps; the binaries are stripped; the copyright and the
# changelog are installed into share/doc/rondel by cmake/RondelInstall.cmake.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rondel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Rondel developers")
set(RONDEL_PACKAGE_MAINTAINER "Rondel maintainers <maintainers@users.noreply.c-seed-7510e1c7.example>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT ${RONDEL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programming tool for a 16-channel handheld radio")
# The summary above is the first line; CPack indents the lines below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Rondel reads the memory of a 16-channel handheld two-way radio through a
USB programming cable, shows its channels (frequencies, CTCSS/DCS tones,
bandwidth, power) and radio-wide settings in one form, writes them back
into the radio and keeps them in data files (.dig). Channel lists can be
printed, or exchanged as CSV.

The package holds the desktop program rondel, rondel-cli for the same work
from the command line and in scripts, and rondel-radiosim, a virtual radio
on a pseudo-terminal for trying both without a radio. Its udev rule gives
the logged-in desktop user the usual USB programming cables.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${RONDEL_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
